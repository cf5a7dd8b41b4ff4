#include "base/main_window_handle.h"

#include <atomic>

namespace {
std::atomic<HWND> mainWindowHandle{nullptr};
}

HWND MainWindowHandle() {
    return mainWindowHandle.load();
}

void SetMainWindowHandle(HWND window) {
    mainWindowHandle.store(window);
}
