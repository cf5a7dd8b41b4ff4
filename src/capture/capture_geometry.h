// Points and rectangles of a capture in overlay client coordinates. Free of
// Win32, so the selection and overlay arithmetic compiles natively too.
#pragma once

struct CapturePoint {
    int x = 0, y = 0;
};

inline bool operator==(CapturePoint a, CapturePoint b) {
    return a.x == b.x && a.y == b.y;
}
inline bool operator!=(CapturePoint a, CapturePoint b) {
    return !(a == b);
}

// Right and bottom are exclusive.
struct CaptureRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(CapturePoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

inline bool operator==(const CaptureRect& a, const CaptureRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const CaptureRect& a, const CaptureRect& b) {
    return !(a == b);
}

// The rectangle spanned by two inclusive corners.
CaptureRect SpanRect(CapturePoint a, CapturePoint b);
// `r` cut down to `bounds` (empty rectangles stay where they are clamped to).
CaptureRect IntersectRect(const CaptureRect& r, const CaptureRect& bounds);
