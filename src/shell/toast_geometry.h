// Where a toast sits and how its slide timers move it: plain arithmetic, so
// the numbers can be checked without a window. The lengths below are at
// 96 DPI; a toast drawn at another DPI has them scaled by the one rule.
#pragma once

#include <mutex>

#include "base/display_scale.h"

// Timer ids on the toast's window: slide out of the screen edge, then hold
// or slide back in.
constexpr int kToastSlideOutTimer = -1;
constexpr int kToastHoldTimer = -2;

constexpr int kToastFullWidth = 285;     // client width when fully out
constexpr int kToastSlideStep = 25;      // pixels per slide tick
constexpr unsigned kToastSlideInterval = 15;   // ms between slide ticks
constexpr unsigned kToastHoldInterval = 3500;  // ms fully shown
constexpr unsigned kToastHoverInterval = 1500; // ms more while the pointer rests on it
constexpr int kToastStackOffset = 80;    // each later toast sits this much higher
constexpr int kToastBackgroundWidth = 304;

// The work area (desktop minus taskbar) in screen coordinates.
struct ToastArea {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct ToastPoint {
    int x = 0, y = 0;
};

// `place` is the toast's place in the stack, 1 being the lowest. Heights and
// positions in pixels at `dpi`; the bottom margin at 96 DPI, as the window
// takes its margins.
int ToastHeight(int place, int dpi = kBaseDpi);
int ToastBottomMargin(int place);
// Where the one-pixel-wide window starts: at the right edge, stacked upwards.
ToastPoint ToastStartPosition(const ToastArea& workArea, int place, int dpi = kBaseDpi);

// What one slide timer tick asks of the window.
struct ToastTick {
    bool handled = false;        // false: not one of the toast's timers
    int stopTimer = 0;           // timer id to stop, 0 for none
    int startTimer = 0;          // timer id to start, 0 for none
    unsigned startInterval = 0;  // its interval in ms
    int blur = -1;               // -1 unchanged, 0 off, 1 on
    bool resize = false;         // size the window to `width` at the right edge
    int width = 0;
    bool quit = false;           // the toast has slid back in: end its loop
};

// One tick of timer `timerId` for a toast `width` pixels wide, drawn at
// `dpi`; `pointerInside` is whether the mouse pointer is over the toast.
ToastTick ToastSlideTick(int timerId, int width, bool pointerInside, int dpi = kBaseDpi);

// The window's left edge for a client width at the work area's right edge.
int ToastLeftForWidth(const ToastArea& workArea, int width);

// Counts the toasts started since the stack was last empty. Thread-safe.
class ToastStack {
public:
    // The new toast's place (1 = lowest).
    int Push();
    // Called when the toast at `place` ends: the stack empties once its
    // newest toast ends, even if older ones are still up.
    void Pop(int place);
    int Count() const;

private:
    mutable std::mutex lock_;
    int count_ = 0;
};
