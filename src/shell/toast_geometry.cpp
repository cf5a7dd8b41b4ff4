#include "shell/toast_geometry.h"

#include <mutex>

int ToastHeight(int place, int dpi) { return ScaleLength(place == 1 ? 96 : 123, dpi); }

// The taller stacked toast keeps its picture at the bottom; the extra margin
// keeps the glass off the empty part.
int ToastBottomMargin(int place) { return place == 1 ? 12 : 39; }

ToastPoint ToastStartPosition(const ToastArea& workArea, int place, int dpi) {
    return ToastPoint{workArea.right - 1,
                      workArea.bottom - ScaleLength((place - 1) * kToastStackOffset + 96, dpi)};
}

int ToastLeftForWidth(const ToastArea& workArea, int width) { return workArea.right - width; }

ToastTick ToastSlideTick(int timerId, int width, bool pointerInside, int dpi) {
    const int fullWidth = ScaleLength(kToastFullWidth, dpi), step = ScaleLength(kToastSlideStep, dpi);
    ToastTick tick;
    if (timerId != kToastSlideOutTimer && timerId != kToastHoldTimer) return tick;
    tick.handled = true;
    if (width >= fullWidth) {
        if (timerId == kToastSlideOutTimer) {
            tick.stopTimer = kToastSlideOutTimer;
            tick.blur = 1;
            tick.startTimer = kToastHoldTimer;
            tick.startInterval = kToastHoldInterval;
            return tick;
        }
        tick.stopTimer = kToastHoldTimer;
        tick.startTimer = kToastHoldTimer;
        if (pointerInside) {
            // Check again later rather than slide away under the pointer.
            tick.startInterval = kToastHoverInterval;
            return tick;
        }
        tick.blur = 0;
        tick.startInterval = kToastSlideInterval;
    }
    width += timerId == kToastSlideOutTimer ? step : -step;
    if (width > fullWidth) width = fullWidth;
    if (width < 0) {
        tick.quit = true;
        return tick;
    }
    tick.resize = true;
    tick.width = width;
    return tick;
}

int ToastStack::Push() {
    std::lock_guard<std::mutex> hold(lock_);
    return ++count_;
}

void ToastStack::Pop(int place) {
    std::lock_guard<std::mutex> hold(lock_);
    if (place == count_) count_ = 0;
}

int ToastStack::Count() const {
    std::lock_guard<std::mutex> hold(lock_);
    return count_;
}
