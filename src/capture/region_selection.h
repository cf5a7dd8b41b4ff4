// The selection of a region capture as a plain record: the two corners, the
// drag, move and corner-resize gestures, and which pointer shape a point
// gets. The overlay window feeds it pointer events and redraws when told to.
#pragma once

#include "capture/capture_geometry.h"

// Corner images and pointer bands reach at most this far into the selection
// on a monitor at 100 %; on others, this scaled to the monitor's DPI.
constexpr int kCornerSize = 12;

enum class PointerShape {
    kCross,  // outside the selection, or no selection yet: start a new one
    kMove,   // inside, away from the corners: move the selection
    kNwSe,   // top-left or bottom-right corner: resize
    kNeSw,   // top-right or bottom-left corner: resize
};

struct RegionSelection {
    CapturePoint anchor;      // the fixed corner (inclusive)
    CapturePoint current;     // the corner that follows the pointer (inclusive)
    CapturePoint moveAnchor;  // pointer position of the last move step
    CaptureRect drawn;        // the selection as last drawn; all zero at first
    bool selecting = false;   // a new selection or a corner resize is being dragged
    bool moving = false;      // the selection is being moved as a whole
    bool hasSelection = false;

    CaptureRect Rect() const { return SpanRect(anchor, current); }
};

// Keeps both corners inside a width x height overlay.
void ClampSelection(RegionSelection& selection, int width, int height);

// The pointer shape for a pointer at `pointer`; `cornerSize`: how far the
// corner bands reach on the pointer's monitor.
PointerShape ShapeAt(const RegionSelection& selection, CapturePoint pointer, int cornerSize = kCornerSize);

// What a left-button press asks of the overlay.
struct PressResult {
    bool redraw = false;
    // A new selection starts: the old one (this rectangle) is wiped to the
    // dimmed colour before the redraw.
    bool wipe = false;
    CaptureRect wipeRect;
};

// A left-button press with `shape` set at `pointer`.
PressResult PressAt(RegionSelection& selection, PointerShape shape, CapturePoint pointer);

// A pointer move while the button is held (or not); true when the overlay
// must be redrawn. A move keeps the selection's size and stops at the edges
// of the width x height overlay.
bool PointerMovedTo(RegionSelection& selection, CapturePoint pointer, int width, int height);

// The button is released; true when the overlay must be redrawn.
bool Release(RegionSelection& selection);
