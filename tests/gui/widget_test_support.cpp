#include "widget_test_support.h"

#include <algorithm>

#include "gui_test_support.h"

void WidgetWindowTest::SetUp() {
    window_ = std::make_unique<SkinnableWindow>(TestInstance(), kWidth, kHeight, 1, L"widgets",
                                                WS_POPUP, 0, windowDpi_);
    ASSERT_NE(nullptr, window_->MainWindow());
    // Keep the real pointer away from the widgets until a test moves it.
    SetCursorPos(1200, 1000);
    window_->MoveTo(20, 20);
    window_->Show(SW_SHOWNOACTIVATE);
    window_->Relayout(nullptr);
    PumpMessages();
}

void WidgetWindowTest::TearDown() { PumpMessages(); }

void WidgetWindowTest::Repaint() {
    window_->Invalidate(nullptr);
    PumpMessages();
}

RECT WidgetWindowTest::InkBounds(const RECT& area) const {
    RECT ink{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if ((Pixel(x, y) >> 24) == 0) continue;
            ink.left = std::min<LONG>(ink.left, x);
            ink.top = std::min<LONG>(ink.top, y);
            ink.right = std::max<LONG>(ink.right, x + 1);
            ink.bottom = std::max<LONG>(ink.bottom, y + 1);
        }
    }
    if (ink.left >= ink.right) return RECT{0, 0, 0, 0};
    return ink;
}

LPARAM MousePoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

void PointerTo(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
}
