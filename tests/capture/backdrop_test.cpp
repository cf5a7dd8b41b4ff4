// The backdrop of transparent window grabs: it stands right behind its
// target, larger by the margin, paints black or white on request, holds the
// window-update lock while it stands and gives it back when it closes, and
// its thread ends as soon as its window is gone.
#include "capture/backdrop_window.h"

#include <gtest/gtest.h>

#include "gui/gui_test_support.h"
#include "support/process.h"

namespace {

// A plain visible window of this test, on this thread.
class Target {
public:
    explicit Target(bool topmost = false) {
        window = CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, L"STATIC", L"target", WS_POPUP | WS_VISIBLE, 200, 150, 120, 80,
                                 nullptr, nullptr, TestInstance(), nullptr);
        PumpMessages();
    }
    ~Target() { DestroyWindow(window); }
    HWND window = nullptr;
};

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Another window may lock updates only while nobody holds the lock.
bool UpdateLockIsFree(HWND someone) {
    if (!LockWindowUpdate(someone)) return false;
    LockWindowUpdate(nullptr);
    return true;
}

bool Ended(HANDLE thread, DWORD millis) {
    return PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, millis);
}

// A grabbed window has been made topmost; the backdrop stands behind it all
// the same when it is not.
class BackdropWindowTest : public ::testing::TestWithParam<bool> {};

TEST_P(BackdropWindowTest, StandsBehindItsTargetInBlackAndWhiteAndLetsGo) {
    Target target(GetParam());
    auto backdrop = BackdropWindow::Open(target.window, TestInstance(), 30);
    ASSERT_NE(nullptr, backdrop);
    HWND window = backdrop->Window();
    ASSERT_NE(nullptr, window);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    EXPECT_STREQ(L"BlankerWindow", className);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(170, rect.left);
    EXPECT_EQ(120, rect.top);
    EXPECT_EQ(350, rect.right);
    EXPECT_EQ(260, rect.bottom);
    EXPECT_EQ(window, GetWindow(target.window, GW_HWNDNEXT));
    EXPECT_FALSE(UpdateLockIsFree(target.window));

    // The margin shows the backdrop's colour.
    EXPECT_TRUE(backdrop->SetWhite());
    EXPECT_EQ(RGB(255, 255, 255), ScreenPixel(180, 130));
    EXPECT_TRUE(backdrop->SetBlack());
    EXPECT_EQ(RGB(0, 0, 0), ScreenPixel(180, 130));
    EXPECT_EQ(0, GetWindowLongPtrW(window, GWLP_USERDATA));
    EXPECT_EQ(window, GetWindow(target.window, GW_HWNDNEXT));  // still behind

    HANDLE thread = backdrop->DuplicateThreadHandle();
    backdrop->Close();
    backdrop.reset();
    EXPECT_TRUE(Ended(thread, 5000));
    CloseHandle(thread);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(UpdateLockIsFree(target.window));
}

INSTANTIATE_TEST_SUITE_P(TopmostOrNot, BackdropWindowTest, ::testing::Bool());

TEST(BackdropWindowEnd, AWindowClosedFromOutsideEndsTheThreadAndTheWaits) {
    Target target;
    auto backdrop = BackdropWindow::Open(target.window, TestInstance(), 0);
    ASSERT_NE(nullptr, backdrop);
    HANDLE thread = backdrop->DuplicateThreadHandle();
    PostMessageW(backdrop->Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended(thread, 5000));
    CloseHandle(thread);
    EXPECT_TRUE(UpdateLockIsFree(target.window));
    // Nothing waits for a paint that cannot come.
    EXPECT_FALSE(backdrop->SetWhite());
    EXPECT_EQ(nullptr, backdrop->Window());
}

}  // namespace
