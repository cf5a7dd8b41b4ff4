// Lengths at 96 DPI (100 %) turned into lengths for a monitor at another DPI.
// Every size and position of the skin and the layout is written at 96 DPI
// and goes through these, so the whole program rounds one way.
//
// The rule: v × dpi / 96, rounded to the nearest pixel with halves away from
// zero. It is MulDiv's rounding, which the system's own scaling uses, so our
// sizes agree with the rectangles Windows suggests; and it is symmetric, so a
// position left of or above the primary monitor (negative) lands as far out
// as its mirror image. A box scales its position and its size each by the
// rule (not its edges), so a widget is always exactly as large as its picture
// drawn at that scale.
#pragma once

constexpr int kBaseDpi = 96;

// `dpi` when it is one a monitor can have (50 % to 1600 %), else 96: a
// broken answer from the system must not make the window vanish or explode.
int UsableDpi(int dpi);

// A 96-DPI length at `dpi`.
int ScaleLength(int length, int dpi);
// A length at `dpi` back at 96 DPI (a saved size kept in the 96-DPI unit).
int UnscaleLength(int length, int dpi);
// A length at `fromDpi` at `toDpi` (the window moved to another monitor).
int ConvertLength(int length, int fromDpi, int toDpi);

// A rectangle as position and size.
struct LayoutBox {
    int x = 0, y = 0, width = 0, height = 0;
};

inline bool operator==(const LayoutBox& a, const LayoutBox& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

LayoutBox ScaleBox(const LayoutBox& box, int dpi);
// A box laid out at `fromDpi` at `toDpi` (the window moved onto a monitor of
// another scale). From 96 DPI or more it goes back to 96 DPI first, which
// undoes ScaleBox exactly, so the box lands where a layout made at `toDpi`
// would have put it; below 96 DPI it is converted directly.
LayoutBox ConvertBox(const LayoutBox& box, int fromDpi, int toDpi);
// A length the same way.
int ConvertLayoutLength(int length, int fromDpi, int toDpi);

// The scale as a whole percentage (144 → 150), for names and figures.
int ScalePercent(int dpi);
