// The overlay's pixels: a bottom-up 32-bit premultiplied ARGB picture the size
// of the virtual screen. Every pixel's value follows from where it lies
// relative to the selection; a redraw rewrites only the bands between the old
// and new edges, the areas under the corner images and the upload button.
// Free of Win32: the corner images and the button are drawn through
// OverlayDecorations, which the real widgets and the tests both implement.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/capture_geometry.h"
#include "capture/region_selection.h"

constexpr std::uint32_t kOverlayDimmed = 0xB0000000;  // the dimmed screen
constexpr std::uint32_t kOverlayInside = 0x01000000;  // undimmed, still takes input
constexpr std::uint32_t kOverlayUnderCorner = 0x00000000;
constexpr std::uint32_t kRegionBorder = 0xFF000000;           // opaque black
constexpr std::uint32_t kGrabBorderTransparent = 0xFF0000FF;  // blue: alpha will be kept
constexpr std::uint32_t kGrabBorderOpaque = 0xFFFF0000;       // red

struct OverlayCanvas {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    // A still picture of the screen in the same layout, or null. With one,
    // every pixel is drawn over it and comes out opaque: the overlay then
    // shows the screen as it was rather than letting the live one through.
    const std::uint32_t* backdrop = nullptr;

    // Rows are stored bottom-up.
    std::uint32_t& At(int x, int y) { return pixels[static_cast<long long>(height - 1 - y) * width + x]; }
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<long long>(height - 1 - y) * width + x];
    }
    CaptureRect Bounds() const { return CaptureRect{0, 0, width, height}; }
};

// Corner order everywhere: top-left, top-right, bottom-right, bottom-left.
enum Corner { kTopLeft = 0, kTopRight = 1, kBottomRight = 2, kBottomLeft = 3, kCornerCount = 4 };

// The corner images and the upload button of region mode. Each is drawn at
// the scale of the monitor it is on.
class OverlayDecorations {
public:
    virtual ~OverlayDecorations() = default;
    // The size of a corner image's whole picture on the monitor holding
    // `point` (kCornerSize scaled to its DPI).
    virtual int CornerSizeAt(CapturePoint point) const = 0;
    // Where corner `corner` was last placed (its area on the canvas).
    virtual CaptureRect CornerArea(int corner) const = 0;
    // Places a corner image on `area`, showing its `pictureSize` square
    // picture from `source`.
    virtual void PlaceCorner(int corner, const CaptureRect& area, CapturePoint source, int pictureSize) = 0;
    // Draws a placed corner image over the canvas.
    virtual void PaintCorner(int corner, OverlayCanvas& canvas) = 0;
    virtual CaptureRect ButtonArea() const = 0;
    virtual void PaintButton(OverlayCanvas& canvas) = 0;
};

// `value` (premultiplied) laid over an opaque screen pixel (whose alpha byte
// is ignored): what a compositor shows where the overlay covers it.
std::uint32_t OverScreen(std::uint32_t value, std::uint32_t screen);

// The value of the pixel at (x, y) for `selection` and the border colour.
std::uint32_t OverlayPixel(const CaptureRect& selection, std::uint32_t border, int x, int y);

// Sets every pixel of `area` (clamped to the canvas) to `value` (over the
// backdrop, when the canvas has one).
void FillOverlay(OverlayCanvas& canvas, const CaptureRect& area, std::uint32_t value);
// Sets every pixel of `area` (clamped) to its value for `selection`.
void PaintByTable(OverlayCanvas& canvas, const CaptureRect& area, const CaptureRect& selection,
                  std::uint32_t border);

// Where each corner image goes for a selection, and which part of its
// square picture (`size` on a side, kCornerSize at 100 %) it shows: the part
// that touches the selection's corner, cut to half the selection's width and
// height so they never overlap. A selection across monitors of different
// scaling has corners of different sizes.
struct CornerPlacement {
    CaptureRect area[kCornerCount];
    CapturePoint source[kCornerCount];
    int size[kCornerCount] = {kCornerSize, kCornerSize, kCornerSize, kCornerSize};
};
CornerPlacement PlaceCorners(const CaptureRect& selection, const int (&size)[kCornerCount]);
// The sizes from the monitors under the selection's four corner pixels.
CornerPlacement PlaceCorners(const CaptureRect& selection, const OverlayDecorations& decorations);

// Brings the canvas from `drawn` to the selection `next` incrementally and
// returns `next`: the bands between old and new edges, the corner images,
// and the upload button when something below it changed. `decorations` is
// null in window-grab mode. Every area it rewrote is added to `changed`
// when given (for pushing only those).
CaptureRect RedrawSelectionPixels(OverlayCanvas& canvas, const CaptureRect& drawn, const CaptureRect& next,
                                  std::uint32_t border, OverlayDecorations* decorations,
                                  std::vector<CaptureRect>* changed = nullptr);

// The whole canvas for `selection` from scratch (an empty selection: all
// dimmed, only the button drawn).
void RenderOverlay(OverlayCanvas& canvas, const CaptureRect& selection, std::uint32_t border,
                   OverlayDecorations* decorations);

// The overlay's side of the selection gestures: clamps the corners to the
// canvas, redraws, and remembers what was drawn.
void RedrawRegion(OverlayCanvas& canvas, RegionSelection& selection, std::uint32_t border,
                  OverlayDecorations* decorations, std::vector<CaptureRect>* changed = nullptr);
// A press: wipes the old selection when a new one starts (drawing the
// upload button again where the wipe went over it). True when a redraw is
// due. The wiped area is added to `changed` when given.
bool PressOnOverlay(OverlayCanvas& canvas, RegionSelection& selection, CapturePoint pointer,
                    OverlayDecorations* decorations, std::vector<CaptureRect>* changed = nullptr);
