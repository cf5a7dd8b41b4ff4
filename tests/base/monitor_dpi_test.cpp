// The DPI of monitors and windows: the system's under Wine's one-DPI desktop,
// and whatever a laid-out desk of monitors says through the seam.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/dpi_awareness.h"
#include "base/monitor_dpi.h"
#include "base/scoped_win.h"
#include "base/seams.h"

namespace {

struct PlainWindow {
    explicit PlainWindow(RECT r)
        : handle(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~PlainWindow() { DestroyWindow(handle); }
    HWND handle;
};

// A 100 % monitor left of x = 1000 and a 150 % one from there on; the area
// goes to the one holding more of it.
int TwoMonitors(const RECT& area) {
    const int left = area.left < 1000 ? (area.right < 1000 ? area.right : 1000) - area.left : 0;
    const int right = area.right > 1000 ? area.right - (area.left > 1000 ? area.left : 1000) : 0;
    return right > left ? 144 : 96;
}

TEST(MonitorDpi, OneDesktopAnswersTheSystemDpiEverywhere) {
    int deviceDpi = 0;
    {
        ScopedWindowDC screen(nullptr);
        deviceDpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    }
    EXPECT_EQ(deviceDpi, SystemDpi());
    PlainWindow window(RECT{10, 10, 110, 60});
    ASSERT_NE(window.handle, nullptr);
    EXPECT_EQ(SystemDpi(), DpiOfWindow(window.handle));
    EXPECT_EQ(SystemDpi(), DpiOfPoint(POINT{5, 5}));
    EXPECT_EQ(SystemDpi(), DpiOfArea(RECT{-5000, -5000, -4000, -4000}));  // off every monitor: the nearest
    EXPECT_EQ(SystemDpi(), DpiOfMonitor(nullptr));
}

TEST(MonitorDpi, TheSeamLaysOutMonitorsOfDifferentScaling) {
    Seams seams;
    seams.monitorDpi = TwoMonitors;
    ScopedSeams scoped(seams);
    EXPECT_EQ(96, DpiOfPoint(POINT{999, 300}));
    EXPECT_EQ(144, DpiOfPoint(POINT{1000, 300}));
    EXPECT_EQ(96, DpiOfArea(RECT{900, 0, 1099, 10}));
    EXPECT_EQ(144, DpiOfArea(RECT{901, 0, 1100, 10}));

    PlainWindow onTheRight(RECT{950, 100, 1200, 200});
    PlainWindow onTheLeft(RECT{700, 100, 1050, 200});
    EXPECT_EQ(144, DpiOfWindow(onTheRight.handle));
    EXPECT_EQ(96, DpiOfWindow(onTheLeft.handle));

    // Moved across, the window takes the other monitor's DPI.
    SetWindowPos(onTheLeft.handle, nullptr, 1500, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(144, DpiOfWindow(onTheLeft.handle));

    // A broken answer counts as 100 %.
    seams.monitorDpi = [](const RECT&) { return 0; };
    ScopedSeams broken(seams);
    EXPECT_EQ(96, DpiOfPoint(POINT{0, 0}));
}

// Runs last in this file: the awareness, once set, stays for the process.
TEST(MonitorDpi, ZzAwarenessIsPerMonitorOnceAsked) {
    const DpiAwareness enabled = EnableDpiAwareness(DpiAwareness::kPerMonitorVersion2);
    // Wine takes v2 and answers it as per monitor, with no version.
    EXPECT_TRUE(enabled == DpiAwareness::kPerMonitorVersion2 || enabled == DpiAwareness::kPerMonitor);
    EXPECT_EQ(enabled, CurrentDpiAwareness());
    // Asked again (as after the manifest), the calls fail and it stays.
    EXPECT_EQ(enabled, EnableDpiAwareness(DpiAwareness::kPerMonitorVersion2));
}

}  // namespace
