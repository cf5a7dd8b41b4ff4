#include "capture/region_selection.h"

#include <algorithm>

CaptureRect SpanRect(CapturePoint a, CapturePoint b) {
    return CaptureRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1,
                       std::max(a.y, b.y) + 1};
}

CaptureRect IntersectRect(const CaptureRect& r, const CaptureRect& bounds) {
    CaptureRect out{std::max(r.left, bounds.left), std::max(r.top, bounds.top),
                    std::min(r.right, bounds.right), std::min(r.bottom, bounds.bottom)};
    if (out.right < out.left) out.right = out.left;
    if (out.bottom < out.top) out.bottom = out.top;
    return out;
}

namespace {

int Clamp(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

// Shifts one axis of the moved selection back inside [0, size - 1]; true when
// it had to.
bool KeepInside(int& a, int& b, int size) {
    const int low = std::min(a, b);
    const int high = std::max(a, b);
    int shift = 0;
    if (low < 0)
        shift = -low;
    else if (high > size - 1)
        shift = size - 1 - high;
    a += shift;
    b += shift;
    return shift != 0;
}

}  // namespace

void ClampSelection(RegionSelection& s, int width, int height) {
    s.anchor.x = Clamp(s.anchor.x, 0, width - 1);
    s.anchor.y = Clamp(s.anchor.y, 0, height - 1);
    s.current.x = Clamp(s.current.x, 0, width - 1);
    s.current.y = Clamp(s.current.y, 0, height - 1);
}

PointerShape ShapeAt(const RegionSelection& s, CapturePoint p, int cornerSize) {
    if (s.selecting || !s.hasSelection) return PointerShape::kCross;
    if (s.moving) return PointerShape::kMove;
    const CaptureRect r = s.Rect();
    if (!r.Contains(p)) return PointerShape::kCross;
    const int cw = std::min(r.Width() / 2, cornerSize);
    const int ch = std::min(r.Height() / 2, cornerSize);
    const bool left = p.x < r.left + cw;
    const bool top = p.y < r.top + ch;
    const bool right = p.x >= r.right - cw;
    const bool bottom = p.y >= r.bottom - ch;
    if ((left && top) || (right && bottom)) return PointerShape::kNwSe;
    if ((right && top) || (left && bottom)) return PointerShape::kNeSw;
    return PointerShape::kMove;
}

PressResult PressAt(RegionSelection& s, PointerShape shape, CapturePoint p) {
    PressResult result;
    switch (shape) {
        case PointerShape::kCross:
            if (s.selecting) break;
            result.wipe = true;
            result.wipeRect = s.drawn;
            s.selecting = true;
            s.anchor = s.current = p;
            s.drawn = CaptureRect{p.x, p.y, p.x, p.y};
            result.redraw = true;
            break;
        case PointerShape::kMove:
            s.moving = true;
            s.moveAnchor = p;
            break;
        case PointerShape::kNwSe:
        case PointerShape::kNeSw: {
            // The corner opposite the grabbed one stays where it is.
            const CaptureRect& d = s.drawn;
            const bool onLeft = p.x < d.left + d.Width() / 2;
            const bool onTop =
                (onLeft && shape == PointerShape::kNwSe) || (!onLeft && shape == PointerShape::kNeSw);
            s.selecting = true;
            s.anchor.x = onLeft ? d.right - 1 : d.left;
            s.anchor.y = onTop ? d.bottom - 1 : d.top;
            s.current = p;
            result.redraw = true;
            break;
        }
    }
    return result;
}

bool PointerMovedTo(RegionSelection& s, CapturePoint p, int width, int height) {
    if (!s.moving) {
        if (!s.selecting || p == s.current) return false;
        s.current = p;
        return true;
    }
    if (p == s.moveAnchor) return false;
    const int dx = p.x - s.moveAnchor.x;
    const int dy = p.y - s.moveAnchor.y;
    s.anchor.x += dx;
    s.current.x += dx;
    s.anchor.y += dy;
    s.current.y += dy;
    // An axis that hit an edge keeps its move anchor, so the selection
    // follows again only once the pointer comes back.
    if (!KeepInside(s.anchor.x, s.current.x, width)) s.moveAnchor.x = p.x;
    if (!KeepInside(s.anchor.y, s.current.y, height)) s.moveAnchor.y = p.y;
    return true;
}

bool Release(RegionSelection& s) {
    const bool redraw = s.selecting;
    if (s.selecting) {
        s.hasSelection = true;
        s.selecting = false;
    }
    s.moving = false;
    return redraw;
}
