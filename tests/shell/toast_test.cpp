#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/seams.h"
#include "base/utf.h"
#include "gui/gui_test_support.h"
#include "gui/font_face.h"
#include "gui/gui_button.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "shell/toast.h"
#include "shell/toast_geometry.h"
#include "shell/toast_window.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

const wchar_t kUrl[] = L"http://127.0.0.1/f/abc.png";

std::wstring copiedUrl;
WPARAM copiedKeys = 0;
int copies = 0;

void RecordCopy(void* userData, WPARAM keys) {
    copiedUrl = static_cast<const wchar_t*>(userData);
    copiedKeys = keys;
    ++copies;
}

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT Bounds(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

size_t ToastThreadCount() {
    return RunningToastThreads();
}

// The visible toast windows of any thread (not their click-through outer
// windows), lowest first.
std::vector<HWND> ToastWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t title[16] = {};
            GetWindowTextW(window, title, 16);
            const LONG_PTR extended = GetWindowLongPtrW(window, GWL_EXSTYLE);
            if (std::wstring(title) == L"toast" && IsWindowVisible(window) &&
                !(extended & WS_EX_TRANSPARENT)) {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::sort(found.begin(), found.end(),
              [](HWND a, HWND b) { return Bounds(a).top > Bounds(b).top; });
    return found;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

void PointerAway() { SetCursorPos(0, 0); }

void PointerOnto(HWND window) {
    const RECT rect = Bounds(window);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

class ToastTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t module[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        std::wstring folder(module);
        folder.erase(folder.find_last_of(L'\\') + 1);
        ASSERT_TRUE(LoadSkinCatalogue(WideToUtf8(folder)));
        InitImageLibrary();
        SetDefaultFonts(StartupFontList());
        PointerAway();
        copiedUrl.clear();
        copiedKeys = 0;
        copies = 0;
    }
};

// Builds a toast on this thread, where the test drives its timer by hand.
class ManualToast {
public:
    ManualToast(bool success, const wchar_t* url) {
        request_.success = success;
        request_.instance = GetModuleHandleW(nullptr);
        request_.name = L"holiday.png";
        request_.hasUrl = url != nullptr;
        if (url) request_.url = url;
        request_.copyAction = RecordCopy;
        built_ = BuildToast(&request_);
        // The test sends the ticks itself.
        if (built_) KillTimer(Window(), static_cast<UINT_PTR>(kToastSlideOutTimer));
    }
    ~ManualToast() { Close(); }
    void Close() {
        if (request_.window) {
            KillTimer(Window(), static_cast<UINT_PTR>(kToastHoldTimer));
            TearDownToast(&request_);
        }
    }

    HWND Window() const { return request_.window->MainWindow(); }
    int Width() const {
        RECT client{};
        GetClientRect(Window(), &client);
        return client.right;
    }
    void Tick(int timerId) {
        SendMessageW(Window(), WM_TIMER, static_cast<WPARAM>(static_cast<INT_PTR>(timerId)), 0);
    }
    // Whether the handler left timer `timerId` running (stopping it here).
    bool TimerRunning(int timerId) {
        return KillTimer(Window(), static_cast<UINT_PTR>(static_cast<INT_PTR>(timerId))) != FALSE;
    }
    bool QuitPosted() {
        MSG message;
        return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    bool built_ = false;
    ToastRequest request_;
};

TEST_F(ToastTest, SuccessToastStartsAtTheEdgeWithItsWidgets) {
    ManualToast toast(true, kUrl);
    ASSERT_TRUE(toast.built_);
    EXPECT_EQ(ToastCount(), 1);
    EXPECT_EQ(toast.request_.place, 1);

    const RECT area = WorkArea();
    const RECT rect = Bounds(toast.Window());
    EXPECT_EQ(rect.left, area.right - 1);
    EXPECT_EQ(rect.right - rect.left, 1);
    EXPECT_EQ(rect.bottom, area.bottom);
    EXPECT_EQ(rect.bottom - rect.top, 96);
    const LONG_PTR extended = GetWindowLongPtrW(toast.Window(), GWL_EXSTYLE);
    EXPECT_TRUE(extended & WS_EX_NOACTIVATE);
    EXPECT_TRUE(extended & WS_EX_TOOLWINDOW);

    // The whole toast takes the pointer.
    EXPECT_EQ(SendMessageW(toast.Window(), WM_NCHITTEST, 0, MAKELPARAM(rect.left, rect.top)),
              HTCLIENT);

    const ToastRequest& request = toast.request_;
    ASSERT_NE(request.icon, nullptr);
    EXPECT_NE(request.icon->Bitmap(), nullptr);
    ASSERT_NE(request.nameText, nullptr);
    EXPECT_EQ(request.nameText->Text(), L"holiday.png");
    EXPECT_EQ(request.nameText->Colour(), 0xA5A5A5u);
    ASSERT_NE(request.statusText, nullptr);
    EXPECT_EQ(request.statusText->Text(), L"has successfully uploaded");
    EXPECT_EQ(request.statusText->Colour(), 0xF5F5F5u);
    ASSERT_NE(request.copyButton, nullptr);
    ASSERT_NE(request.copyButton->Label(), nullptr);
    EXPECT_EQ(request.copyButton->Label()->Text(), L"Copy URL");
    EXPECT_EQ(toast.request_.window->Painters().size(), 4u);
}

LayoutBox BoxOf(const GUIObject& widget) {
    return LayoutBox{widget.Position().x, widget.Position().y, widget.Size().cx, widget.Size().cy};
}

// On a monitor at 150 % the toast is drawn at its scale: taller, sliding out
// to the scaled width, its boxes scaled and its icon the 150 % set's; moved
// onto a monitor at 100 % while out, it is laid out again at once and holds
// as a toast there does.
TEST_F(ToastTest, DrawnAtTheScaleOfItsMonitorAndFollowsAMoveToAnother) {
    Seams seams;
    seams.monitorDpi = [](const RECT&) { return 144; };
    ScopedSeams scoped(seams);
    ManualToast toast(true, kUrl);
    ASSERT_TRUE(toast.built_);
    SkinnableWindow& window = *toast.request_.window;
    const ToastRequest& request = toast.request_;
    EXPECT_EQ(144, window.Dpi());
    const RECT area = WorkArea();
    EXPECT_EQ(144, Bounds(toast.Window()).bottom - Bounds(toast.Window()).top);
    for (int tick = 0; tick < 20 && toast.Width() < 428; ++tick) toast.Tick(kToastSlideOutTimer);
    EXPECT_EQ(428, toast.Width());
    EXPECT_EQ(area.right - 428, Bounds(toast.Window()).left);
    EXPECT_EQ((LayoutBox{42, 27, 108, 99}), BoxOf(*request.icon));        // 28, 18, 72, 66
    EXPECT_EQ((LayoutBox{161, 48, 248, 24}), BoxOf(*request.nameText));   // 107, 32, 165, 16
    EXPECT_EQ((LayoutBox{161, 71, 248, 24}), BoxOf(*request.statusText)); // 107, 47
    EXPECT_EQ(336, request.copyButton->Position().x);                     // 224, 68
    EXPECT_EQ(102, request.copyButton->Position().y);
    window.Show(SW_SHOWNA);
    window.Relayout(nullptr);
    window.PaintNow();
    PictureMatch icon = MatchPicture(window, "TOAST_SUCCESS", 144, request.icon->Position());
    EXPECT_EQ(108, icon.size.cx);
    EXPECT_GT(icon.opaque, 500);
    EXPECT_EQ(icon.opaque, icon.same);

    const int top = Bounds(toast.Window()).top;
    RECT suggested{area.right - 285, top, area.right, top + 96};
    SendMessageW(toast.Window(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(96, window.Dpi());
    EXPECT_EQ(285, toast.Width());
    EXPECT_EQ((LayoutBox{28, 18, 72, 66}), BoxOf(*request.icon));
    EXPECT_EQ((LayoutBox{107, 47, 165, 16}), BoxOf(*request.statusText));
    icon = MatchPicture(window, "TOAST_SUCCESS", 96, request.icon->Position());
    EXPECT_EQ(72, icon.size.cx);
    EXPECT_GT(icon.opaque, 200);
    EXPECT_EQ(icon.opaque, icon.same);
    toast.Tick(kToastSlideOutTimer);
    EXPECT_TRUE(toast.TimerRunning(kToastHoldTimer));
}

TEST_F(ToastTest, FailureToastHasNoCopyLink) {
    ManualToast toast(false, nullptr);
    ASSERT_TRUE(toast.built_);
    EXPECT_EQ(toast.request_.copyButton, nullptr);
    EXPECT_EQ(toast.request_.statusText->Text(), L"has not successfully uploaded");
    EXPECT_EQ(toast.request_.window->Painters().size(), 3u);

    // The failure picture is not the success one.
    ManualToast success(true, nullptr);
    ASSERT_TRUE(success.built_);
    const SIZE size = toast.request_.icon->ImageSize();
    ASSERT_GT(size.cx, 0);
    std::vector<std::uint32_t> failurePixels(size.cx * size.cy), successPixels(size.cx * size.cy);
    BITMAP info{};
    GetObjectW(toast.request_.icon->Bitmap(), sizeof info, &info);
    ASSERT_NE(info.bmBits, nullptr);
    memcpy(failurePixels.data(), info.bmBits, failurePixels.size() * 4);
    GetObjectW(success.request_.icon->Bitmap(), sizeof info, &info);
    ASSERT_NE(info.bmBits, nullptr);
    memcpy(successPixels.data(), info.bmBits,
           std::min<size_t>(successPixels.size(), info.bmWidth * info.bmHeight) * 4);
    EXPECT_NE(failurePixels, successPixels);
}

TEST_F(ToastTest, SlidesOutHoldsWhileHoveredAndSlidesBack) {
    ManualToast toast(true, kUrl);
    ASSERT_TRUE(toast.built_);
    const RECT area = WorkArea();
    const int top = Bounds(toast.Window()).top;

    for (int expected : {26, 51, 76, 101, 126, 151, 176, 201, 226, 251, 276, 285}) {
        toast.Tick(kToastSlideOutTimer);
        const RECT rect = Bounds(toast.Window());
        ASSERT_EQ(toast.Width(), expected);
        EXPECT_EQ(rect.right, area.right);
        EXPECT_EQ(rect.top, top);
        EXPECT_EQ(rect.bottom - rect.top, 96);
    }
    // Fully out: the slide timer gives way to the hold timer.
    toast.Tick(kToastSlideOutTimer);
    EXPECT_EQ(toast.Width(), 285);
    EXPECT_TRUE(toast.TimerRunning(kToastHoldTimer));

    // Other timers are left alone.
    toast.Tick(7);
    EXPECT_EQ(toast.Width(), 285);

    PointerOnto(toast.Window());
    for (int i = 0; i < 3; ++i) {
        toast.Tick(kToastHoldTimer);
        EXPECT_EQ(toast.Width(), 285);
        EXPECT_TRUE(toast.TimerRunning(kToastHoldTimer));
    }

    PointerAway();
    toast.Tick(kToastHoldTimer);
    EXPECT_EQ(toast.Width(), 260);
    EXPECT_EQ(Bounds(toast.Window()).right, area.right);
    for (int expected : {235, 210, 185, 160, 135, 110, 85, 60, 35, 10}) {
        toast.Tick(kToastHoldTimer);
        ASSERT_EQ(toast.Width(), expected);
        EXPECT_EQ(Bounds(toast.Window()).left, area.right - expected);
    }
    EXPECT_FALSE(toast.QuitPosted());
    toast.Tick(kToastHoldTimer);
    EXPECT_TRUE(toast.QuitPosted());
}

TEST_F(ToastTest, LaterToastsStackHigherUntilTheNewestEnds) {
    ManualToast first(true, kUrl);
    ManualToast second(false, nullptr);
    ASSERT_TRUE(first.built_ && second.built_);
    EXPECT_EQ(second.request_.place, 2);
    EXPECT_EQ(ToastCount(), 2);
    const RECT lower = Bounds(first.Window()), upper = Bounds(second.Window());
    EXPECT_EQ(upper.top, lower.top - 80);
    EXPECT_EQ(upper.bottom - upper.top, 123);

    second.Close();  // the newest ends: the next toast takes the bottom place
    EXPECT_EQ(ToastCount(), 0);
    ManualToast third(true, nullptr);
    ASSERT_TRUE(third.built_);
    EXPECT_EQ(third.request_.place, 1);
    EXPECT_EQ(Bounds(third.Window()).top, lower.top);
}

TEST_F(ToastTest, CopyLinkRunsTheCopyActionWithTheUrl) {
    ManualToast toast(true, kUrl);
    ASSERT_TRUE(toast.built_);
    HWND button = toast.request_.copyButton->Window();
    ASSERT_NE(button, nullptr);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(button, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(2, 2));
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(copiedUrl, kUrl);
    EXPECT_TRUE(copiedKeys & MK_CONTROL);
}

TEST_F(ToastTest, RealToastStaysWhileHoveredThenEndsItsThread) {
    // Someone is typing in a window of their own when the toast comes.
    HWND typing = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 10, 10, 200, 30, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, typing);
    SetForegroundWindow(typing);
    SetFocus(typing);
    ASSERT_EQ(typing, GetForegroundWindow());

    ShowToast(GetModuleHandleW(nullptr), true, L"holiday.png", kUrl, RecordCopy);
    EXPECT_EQ(ToastThreadCount(), 1u);
    std::vector<HWND> windows;
    ASSERT_TRUE(WaitFor([&] { return (windows = ToastWindows()).size() == 1; }, 3000));
    HWND window = windows[0];
    EXPECT_EQ(typing, GetForegroundWindow());  // the keyboard stays where it was
    DestroyWindow(typing);
    const RECT area = WorkArea();
    // Each tick resizes, then moves: wait for both.
    ASSERT_TRUE(WaitFor(
        [&] {
            const RECT rect = Bounds(window);
            return rect.right - rect.left == 285 && rect.right == area.right;
        },
        3000));
    EXPECT_EQ(Bounds(window).bottom, area.bottom);

    // Well past the 3.5 s hold it is still out while the pointer rests on it.
    PointerOnto(window);
    std::this_thread::sleep_for(std::chrono::milliseconds(5000));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Bounds(window).right - Bounds(window).left, 285);
    EXPECT_EQ(ToastThreadCount(), 1u);

    PointerAway();
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }, 4000));
    EXPECT_TRUE(WaitFor([] { return ToastThreadCount() == 0; }, 1000));
    EXPECT_EQ(ToastCount(), 0);
}

TEST_F(ToastTest, EndedToastsLeaveNoHandlesBehind) {
    PointerAway();
    ShowToast(GetModuleHandleW(nullptr), false, L"warm-up.png", nullptr, RecordCopy);
    ASSERT_TRUE(WaitFor([] { return ToastThreadCount() == 0; }, 15000));
    DWORD before = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    for (int i = 0; i < 8; ++i) ShowToast(GetModuleHandleW(nullptr), false, L"many.png", nullptr, RecordCopy);
    EXPECT_EQ(ToastThreadCount(), 8u);
    ASSERT_TRUE(WaitFor([] { return ToastThreadCount() == 0; }, 20000));
    DWORD after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    // One handle per toast would be 8 more; a little slack for the system.
    EXPECT_LE(after, before + 2);
}

TEST_F(ToastTest, TwoRealToastsStackAndTheWaitEndsWithThem) {
    PointerAway();  // a pointer resting on a toast would hold it forever
    ShowToast(GetModuleHandleW(nullptr), true, L"one.png", kUrl, RecordCopy);
    ASSERT_TRUE(WaitFor([] { return ToastWindows().size() == 1; }, 3000));
    ShowToast(GetModuleHandleW(nullptr), false, L"two.png", nullptr, RecordCopy);
    EXPECT_EQ(ToastThreadCount(), 2u);
    std::vector<HWND> windows;
    ASSERT_TRUE(WaitFor([&] { return (windows = ToastWindows()).size() == 2; }, 3000));
    const RECT lower = Bounds(windows[0]), upper = Bounds(windows[1]);
    EXPECT_EQ(lower.bottom - lower.top, 96);
    EXPECT_EQ(upper.bottom - upper.top, 123);
    EXPECT_EQ(upper.top, lower.top - 80);

    const auto start = std::chrono::steady_clock::now();
    WaitForToastThreads();
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(ToastThreadCount(), 0u);
    EXPECT_TRUE(ToastWindows().empty());
    EXPECT_FALSE(IsWindow(windows[0]));
    EXPECT_FALSE(IsWindow(windows[1]));
    EXPECT_EQ(ToastCount(), 0);
    EXPECT_EQ(copies, 0);

    // The wait is shutdown's: a toast asked for now is never started.
    ShowToast(GetModuleHandleW(nullptr), true, L"late.png", kUrl, RecordCopy);
    EXPECT_EQ(ToastThreadCount(), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(ToastWindows().empty());
}

}  // namespace
