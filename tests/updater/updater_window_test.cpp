// The updater's window at its monitor's scale, and moved onto a monitor of
// another scale (a synthesised WM_DPICHANGED, as Wine has one DPI only).
#include "updater/updater_window.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "base/seams.h"

namespace {

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND ChildOfClass(HWND parent, const wchar_t* className) {
    return FindWindowExW(parent, nullptr, className, nullptr);
}

int FontHeight(HWND label) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST(UpdaterWindowScale, LaidOutAtItsMonitorsScaleAndAgainOnAnother) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    Seams seams;
    seams.monitorDpi = [](const RECT&) { return 144; };
    ScopedSeams scoped(seams);

    UpdaterWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
    EXPECT_EQ(144, window.Dpi());
    HWND progress = ChildOfClass(window.Handle(), PROGRESS_CLASSW);
    HWND status = ChildOfClass(window.Handle(), L"STATIC");
    ASSERT_TRUE(progress && status);
    ExpectRect(RECT{24, 63, 24 + 522, 63 + 27}, ChildRect(progress));  // (16, 42) 348 x 18 at 150 %
    ExpectRect(RECT{24, 21, 24 + 522, 21 + 30}, ChildRect(status));
    const int fontAt144 = FontHeight(status);

    RECT suggested{200, 150, 200 + 790, 150 + 260};
    SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(192, window.Dpi());
    RECT placed{};
    GetWindowRect(window.Handle(), &placed);
    ExpectRect(suggested, placed);
    ExpectRect(RECT{32, 84, 32 + 696, 84 + 36}, ChildRect(progress));
    EXPECT_GT(FontHeight(status), fontAt144);
    // Another program's message with a pointer to nowhere: laid out at its
    // DPI, left where it is, and not read through.
    SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), 16);
    EXPECT_EQ(144, window.Dpi());
    GetWindowRect(window.Handle(), &placed);
    ExpectRect(suggested, placed);

    DestroyWindow(window.Handle());
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
