#include "capture/overlay_canvas.h"

#include <algorithm>

std::uint32_t OverlayPixel(const CaptureRect& s, std::uint32_t border, int x, int y) {
    if (x < s.left || x >= s.right || y < s.top || y >= s.bottom) return kOverlayDimmed;
    if (x == s.left || x == s.right - 1 || y == s.top || y == s.bottom - 1) return border;
    return kOverlayInside;
}

std::uint32_t OverScreen(std::uint32_t value, std::uint32_t screen) {
    const std::uint32_t keep = 255 - (value >> 24);
    std::uint32_t result = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t channel = (value >> shift & 0xFF) + ((screen >> shift & 0xFF) * keep + 127) / 255;
        result |= std::min<std::uint32_t>(channel, 255) << shift;
    }
    return result;
}

namespace {

const std::uint32_t* BackdropRow(const OverlayCanvas& canvas, int y) {
    return canvas.backdrop + static_cast<long long>(canvas.height - 1 - y) * canvas.width;
}

}  // namespace

void FillOverlay(OverlayCanvas& canvas, const CaptureRect& area, std::uint32_t value) {
    const CaptureRect a = IntersectRect(area, canvas.Bounds());
    for (int y = a.top; y < a.bottom; ++y) {
        std::uint32_t* row = &canvas.At(0, y);
        if (!canvas.backdrop) {
            std::fill(row + a.left, row + a.right, value);
            continue;
        }
        const std::uint32_t* screen = BackdropRow(canvas, y);
        for (int x = a.left; x < a.right; ++x) row[x] = OverScreen(value, screen[x]);
    }
}

void PaintByTable(OverlayCanvas& canvas, const CaptureRect& area, const CaptureRect& s,
                  std::uint32_t border) {
    const CaptureRect a = IntersectRect(area, canvas.Bounds());
    for (int y = a.top; y < a.bottom; ++y) {
        std::uint32_t* row = &canvas.At(0, y);
        const bool outsideRow = y < s.top || y >= s.bottom;
        const bool borderRow = y == s.top || y == s.bottom - 1;
        for (int x = a.left; x < a.right; ++x) {
            if (outsideRow || x < s.left || x >= s.right)
                row[x] = kOverlayDimmed;
            else if (borderRow || x == s.left || x == s.right - 1)
                row[x] = border;
            else
                row[x] = kOverlayInside;
        }
        if (canvas.backdrop) {
            const std::uint32_t* screen = BackdropRow(canvas, y);
            for (int x = a.left; x < a.right; ++x) row[x] = OverScreen(row[x], screen[x]);
        }
    }
}

CornerPlacement PlaceCorners(const CaptureRect& n, const int (&size)[kCornerCount]) {
    CornerPlacement p;
    int w[kCornerCount], h[kCornerCount];
    for (int corner = 0; corner < kCornerCount; ++corner) {
        p.size[corner] = std::max(size[corner], 1);
        w[corner] = std::min(n.Width() / 2, p.size[corner]);
        h[corner] = std::min(n.Height() / 2, p.size[corner]);
    }
    p.area[kTopLeft] = {n.left, n.top, n.left + w[kTopLeft], n.top + h[kTopLeft]};
    p.area[kTopRight] = {n.right - w[kTopRight], n.top, n.right, n.top + h[kTopRight]};
    p.area[kBottomRight] = {n.right - w[kBottomRight], n.bottom - h[kBottomRight], n.right, n.bottom};
    p.area[kBottomLeft] = {n.left, n.bottom - h[kBottomLeft], n.left + w[kBottomLeft], n.bottom};
    p.source[kTopLeft] = {0, 0};
    p.source[kTopRight] = {p.size[kTopRight] - w[kTopRight], 0};
    p.source[kBottomRight] = {p.size[kBottomRight] - w[kBottomRight], p.size[kBottomRight] - h[kBottomRight]};
    p.source[kBottomLeft] = {0, p.size[kBottomLeft] - h[kBottomLeft]};
    return p;
}

CornerPlacement PlaceCorners(const CaptureRect& n, const OverlayDecorations& decorations) {
    const int size[kCornerCount] = {
        decorations.CornerSizeAt({n.left, n.top}), decorations.CornerSizeAt({n.right - 1, n.top}),
        decorations.CornerSizeAt({n.right - 1, n.bottom - 1}), decorations.CornerSizeAt({n.left, n.bottom - 1})};
    return PlaceCorners(n, size);
}

namespace {

void Note(std::vector<CaptureRect>* changed, const CaptureRect& area, const OverlayCanvas& canvas) {
    if (!changed) return;
    const CaptureRect clamped = IntersectRect(area, canvas.Bounds());
    if (!clamped.Empty()) changed->push_back(clamped);
}

void DrawCorners(OverlayCanvas& canvas, const CaptureRect& n, OverlayDecorations& decorations,
                 std::vector<CaptureRect>* changed = nullptr) {
    if (n.Empty()) return;
    const CornerPlacement placement = PlaceCorners(n, decorations);
    for (int corner = 0; corner < kCornerCount; ++corner) {
        Note(changed, placement.area[corner], canvas);
        decorations.PlaceCorner(corner, placement.area[corner], placement.source[corner], placement.size[corner]);
        FillOverlay(canvas, placement.area[corner], kOverlayUnderCorner);
        decorations.PaintCorner(corner, canvas);
    }
}

bool Overlaps(const CaptureRect& a, const CaptureRect& b) {
    return !IntersectRect(a, b).Empty();
}

}  // namespace

CaptureRect RedrawSelectionPixels(OverlayCanvas& canvas, const CaptureRect& o, const CaptureRect& n,
                                  std::uint32_t border, OverlayDecorations* decorations,
                                  std::vector<CaptureRect>* changed) {
    const bool topChanged = o.top != n.top;
    const bool rightChanged = o.right != n.right;
    const bool bottomChanged = o.bottom != n.bottom;
    const bool leftChanged = o.left != n.left;

    // The bands between the old and the new edges.
    std::vector<CaptureRect> bands;
    const int columnsFrom = std::min(o.left, n.left);
    const int columnsTo = std::max(o.right, n.right);
    if (topChanged || bottomChanged) {
        const int from = topChanged ? std::min(o.top, n.top) : std::min(o.bottom, n.bottom) - 1;
        const int to = bottomChanged ? std::max(o.bottom, n.bottom) : std::max(o.top, n.top) + 1;
        bands.push_back(CaptureRect{columnsFrom, std::clamp(from, 0, canvas.height), columnsTo,
                                    std::clamp(to, 0, canvas.height)});
    }
    if (leftChanged || rightChanged) {
        const int from = leftChanged ? std::min(o.left, n.left) : std::min(o.right, n.right) - 1;
        const int to = rightChanged ? std::max(o.right, n.right) : std::max(o.left, n.left) + 1;
        bands.push_back(CaptureRect{std::clamp(from, 0, canvas.width), std::max(o.top, n.top),
                                    std::clamp(to, 0, canvas.width), std::min(o.bottom, n.bottom)});
    }

    // A corner that moves or changes size leaves its old area to the table.
    // Size counts too: narrowing a small selection from one side shrinks the
    // corners on the other side, whose edges stay put.
    std::vector<CaptureRect> oldCorners;
    bool touchesButton = false;
    CaptureRect button;
    if (decorations) {
        const CornerPlacement next = PlaceCorners(n, *decorations);
        button = decorations->ButtonArea();
        for (int corner = 0; corner < kCornerCount; ++corner) {
            const CaptureRect old = decorations->CornerArea(corner);
            if (old != next.area[corner]) oldCorners.push_back(old);
            if (!n.Empty() && Overlaps(next.area[corner], button)) touchesButton = true;
        }
        for (const CaptureRect& area : oldCorners) touchesButton = touchesButton || Overlaps(area, button);
        for (const CaptureRect& area : bands) touchesButton = touchesButton || Overlaps(area, button);
        // The button is drawn over what lies below it, so it is drawn again
        // only when something below it changed.
        for (const CaptureRect& area : oldCorners) {
            PaintByTable(canvas, area, n, border);
            Note(changed, area, canvas);
        }
        if (touchesButton) {
            PaintByTable(canvas, button, n, border);
            Note(changed, button, canvas);
        }
    }
    for (const CaptureRect& band : bands) {
        PaintByTable(canvas, band, n, border);
        Note(changed, band, canvas);
    }
    if (decorations) {
        DrawCorners(canvas, n, *decorations, changed);
        if (touchesButton) decorations->PaintButton(canvas);
    }
    return n;
}

void RenderOverlay(OverlayCanvas& canvas, const CaptureRect& selection, std::uint32_t border,
                   OverlayDecorations* decorations) {
    PaintByTable(canvas, canvas.Bounds(), selection, border);
    if (!decorations) return;
    DrawCorners(canvas, selection, *decorations);
    decorations->PaintButton(canvas);
}

void RedrawRegion(OverlayCanvas& canvas, RegionSelection& selection, std::uint32_t border,
                  OverlayDecorations* decorations, std::vector<CaptureRect>* changed) {
    ClampSelection(selection, canvas.width, canvas.height);
    selection.drawn =
        RedrawSelectionPixels(canvas, selection.drawn, selection.Rect(), border, decorations, changed);
}

bool PressOnOverlay(OverlayCanvas& canvas, RegionSelection& selection, CapturePoint pointer,
                    OverlayDecorations* decorations, std::vector<CaptureRect>* changed) {
    const int cornerSize = decorations ? decorations->CornerSizeAt(pointer) : kCornerSize;
    const PressResult press = PressAt(selection, ShapeAt(selection, pointer, cornerSize), pointer);
    if (press.wipe) {
        FillOverlay(canvas, press.wipeRect, kOverlayDimmed);
        Note(changed, press.wipeRect, canvas);
        const CaptureRect button = decorations ? decorations->ButtonArea() : CaptureRect{};
        if (decorations && Overlaps(press.wipeRect, button)) {
            // Nothing is selected now: the button over the dimmed screen.
            FillOverlay(canvas, button, kOverlayDimmed);
            decorations->PaintButton(canvas);
            Note(changed, button, canvas);
        }
    }
    return press.redraw;
}
