// The backdrop of transparent window grabs: it stands right behind its
// target, larger by the margin, paints black or white on request, holds the
// window-update lock while it stands and gives it back when it closes, and
// its thread ends as soon as its window is gone (also when it stands up only
// after the grab stopped waiting for it).
#include "capture/backdrop_window.h"

#include <gtest/gtest.h>

#include <vector>

#include "capture/capture_target_pattern.h"
#include "gui/gui_test_support.h"
#include "support/process.h"

namespace {

// A window of another process, as grabbed windows are: capture_target's
// pattern at (200, 150), 120 x 80.
class Target {
public:
    explicit Target(bool topmost = false) {
        std::vector<std::wstring> arguments = {L"pattern", L"200", L"150", L"120", L"80"};
        if (topmost) arguments.push_back(L"topmost");
        const std::wstring program = LiftornPath();
        child = StartProcess(program.substr(0, program.find_last_of(L"\\/") + 1) + L"capture_target.exe",
                             arguments);
        PumpUntil([&] { return (window = WindowOf(child.id)) != nullptr; }, 10000);
        Sleep(200);  // painted
    }
    ~Target() {
        if (child.process) {
            TerminateProcess(child.process, 0);
            CloseHandle(child.process);
        }
    }
    static HWND WindowOf(DWORD id) {
        struct Search {
            DWORD id;
            HWND found;
        } search{id, nullptr};
        EnumWindows(
            [](HWND w, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == s->id && IsWindowVisible(w)) {
                    s->found = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    Child child;
    HWND window = nullptr;
};

// The pattern's colour at a client point of the target, as GetPixel gives it.
COLORREF PatternAt(int x, int y) {
    const std::uint32_t rgb = TestPattern(x, y);
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

// Whether `lower` lies below `window` in the z-order.
bool Below(HWND lower, HWND window) {
    for (HWND next = GetWindow(window, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT)) {
        if (next == lower) return true;
    }
    return false;
}

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
    EXPECT_TRUE(PumpUntil([&] { return Below(window, target.window); }, 3000));
    EXPECT_FALSE(UpdateLockIsFree(target.window));

    // The margin shows the backdrop's colour, the target itself stays in
    // front of it on the screen.
    const COLORREF inside = PatternAt(60, 40);
    EXPECT_TRUE(backdrop->SetWhite());
    EXPECT_TRUE(PumpUntil([] { return ScreenPixel(180, 130) == RGB(255, 255, 255); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(260, 190) == inside; }, 2000));
    EXPECT_TRUE(backdrop->SetBlack());
    EXPECT_TRUE(PumpUntil([] { return ScreenPixel(180, 130) == RGB(0, 0, 0); }, 2000));
    EXPECT_EQ(inside, ScreenPixel(260, 190));
    EXPECT_EQ(0, GetWindowLongPtrW(window, GWLP_USERDATA));
    EXPECT_TRUE(Below(window, target.window));  // still behind

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

TEST(BackdropWindowEnd, ABackdropThatStandsUpAfterOpenGaveUpClosesAtOnce) {
    Target target;
    // Open stops waiting at once; the backdrop's thread goes on standing up.
    EXPECT_EQ(nullptr, BackdropWindow::Open(target.window, TestInstance(), 30, 0));
    PumpUntil([] { return false; }, 3000);
    EXPECT_EQ(nullptr, FindWindowW(L"BlankerWindow", nullptr));
    EXPECT_TRUE(UpdateLockIsFree(target.window));
}

}  // namespace
