#include "capture/backdrop_window.h"

#include <mutex>

#include "base/thread_name.h"
#include "gui/window_class.h"

namespace {

constexpr wchar_t kClass[] = L"BlankerWindow";
constexpr LONG_PTR kBlack = 0;
constexpr LONG_PTR kWhite = 1;

// Made on first use and kept for the life of the process.
ScopedGdiObject<HBRUSH> blackBrush;
ScopedGdiObject<HBRUSH> whiteBrush;
std::once_flag setUp;

// Polls `done` every `step` ms for at most `limit` ms.
template <typename Done>
bool WaitFor(Done done, DWORD step, DWORD limit) {
    const DWORD started = GetTickCount();
    while (!done()) {
        if (GetTickCount() - started >= limit) return false;
        Sleep(step);
    }
    return true;
}

// What the thread needs: a reference that keeps the record alive while it
// runs, whoever else lets go of it.
struct ThreadStart {
    std::shared_ptr<BackdropWindow> backdrop;
};

}  // namespace

std::shared_ptr<BackdropWindow> BackdropWindow::Open(HWND target, HINSTANCE instance, int margin,
                                                     DWORD waitLimit) {
    std::call_once(setUp, [instance] {
        blackBrush.reset(CreateSolidBrush(RGB(0, 0, 0)));
        whiteBrush.reset(CreateSolidBrush(RGB(255, 255, 255)));
        RegisterWindowClassOnce(instance, kClass, WindowProc, 0);
    });
    std::shared_ptr<BackdropWindow> backdrop(new BackdropWindow);
    backdrop->target_ = target;
    backdrop->instance_ = instance;
    backdrop->margin_ = margin;
    auto* start = new ThreadStart{backdrop};
    backdrop->thread_.reset(CreateThread(nullptr, 0, Run, start, 0, nullptr));
    if (!backdrop->thread_) {
        delete start;
        return nullptr;
    }
    // Standing includes waiting (at most kWaitLimit) for the target's thread.
    if (!WaitFor([&] { return backdrop->ready_.load() || backdrop->ended_.load(); }, 50, waitLimit) ||
        !backdrop->ready_.load()) {
        backdrop->Close();
        return nullptr;
    }
    return backdrop;
}

HANDLE BackdropWindow::DuplicateThreadHandle() const {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread_.get(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

bool BackdropWindow::SetBlack() {
    return SetColour(kBlack);
}
bool BackdropWindow::SetWhite() {
    return SetColour(kWhite);
}

bool BackdropWindow::SetColour(LONG_PTR colour) {
    HWND window = window_.load();
    if (!window || ended_.load()) return false;
    painted_ = false;
    SetWindowLongPtrW(window, GWLP_USERDATA, colour);
    InvalidateRect(window, nullptr, FALSE);
    return WaitFor([&] { return painted_.load() || ended_.load(); }, 25, kWaitLimit) && painted_.load();
}

void BackdropWindow::Close() {
    // Either the thread sees the flag before it shows its window, or the
    // window is there to be told.
    closing_ = true;
    if (HWND window = window_.load()) PostMessageW(window, WM_CLOSE, 0, 0);
}

DWORD WINAPI BackdropWindow::Run(void* parameter) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    NameThisThread("backdrop");
    BackdropWindow& self = *start->backdrop;
    // Keeps the target from repainting itself while the backdrop stands; the
    // lock is released below, on every way out.
    const bool locked = LockWindowUpdate(self.target_) != FALSE;

    RECT rect{};
    GetWindowRect(self.target_, &rect);
    const int m = self.margin_;
    HWND window = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClass, L"vantorel liftorn", WS_POPUP,
                                  rect.left - m, rect.top - m, rect.right - rect.left + 2 * m,
                                  rect.bottom - rect.top + 2 * m, nullptr, nullptr, self.instance_, nullptr);
    self.window_ = window;
    // Nobody waits for a backdrop any more: it must not stand up (and keep
    // the target's window-update lock) for nothing.
    if (window && self.closing_) {
        DestroyWindow(window);
        window = nullptr;
        self.window_ = nullptr;
    }
    if (window) {
        // Shown directly behind the target, whatever else is on the desktop.
        // Wine lifts a new window to the top again while it handles its
        // first messages, so the place is taken once more after them.
        const UINT place = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        SetWindowPos(window, self.target_, 0, 0, 0, 0, place | SWP_SHOWWINDOW);
        MSG waiting;
        while (PeekMessageW(&waiting, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&waiting);
            DispatchMessageW(&waiting);
        }
        SetWindowPos(window, self.target_, 0, 0, 0, 0, place);
        // The screen's own stacking (X under Wine) only ever follows a window
        // that goes to the very top, so the target is put behind the
        // backdrop and raised again by its own thread. Asked asynchronously:
        // a hung target must not hang the grab.
        const bool topmost = (GetWindowLongPtrW(self.target_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        SetWindowPos(self.target_, window, 0, 0, 0, 0, place | SWP_ASYNCWINDOWPOS);
        SetWindowPos(self.target_, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, place | SWP_ASYNCWINDOWPOS);
        // Its thread handles requests in order: once this one returns, the
        // two above are done. Bounded, for the same reason.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(self.target_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitLimit, &ignored);
        self.painted_ = false;
        self.ready_ = true;
        if (self.closing_) DestroyWindow(window);
        MSG message;
        // Ends as soon as the window is gone, however it went.
        while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (message.message == WM_PAINT && message.hwnd == window) self.painted_ = true;
        }
        if (IsWindow(window)) DestroyWindow(window);
        self.window_ = nullptr;
    }
    if (locked) LockWindowUpdate(nullptr);
    self.ended_ = true;
    return 0;
}

LRESULT CALLBACK BackdropWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint,
                 GetWindowLongPtrW(window, GWLP_USERDATA) == kWhite ? whiteBrush.get() : blackBrush.get());
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
