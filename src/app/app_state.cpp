#include "app/app_state.h"

#include <atomic>

namespace {
std::atomic<HWND> mainWindowHandle{nullptr};
}

AppState& App() {
    static AppState state;
    return state;
}

HWND MainWindowHandle() { return mainWindowHandle.load(); }

void SetMainWindowHandle(HWND window) { mainWindowHandle.store(window); }
