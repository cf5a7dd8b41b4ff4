// A solid black or white window that stands just behind a grabbed window, so
// the grab can copy the window once over each colour. It lives on a thread of
// its own, which takes the target's window-update lock for its lifetime.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "base/scoped_win.h"

class BackdropWindow {
public:
    // How long the capture waits for the backdrop to stand or to repaint
    // before it goes on without it.
    static constexpr DWORD kWaitLimit = 2000;  // ms

    // Starts the backdrop's thread and waits (at most `waitLimit` ms) until
    // its window, `margin` pixels larger than `target` on every side, stands
    // behind the target. Null when it could not be set up in time; a
    // backdrop that would stand up later closes at once instead.
    static std::shared_ptr<BackdropWindow> Open(HWND target, HINSTANCE instance, int margin,
                                                DWORD waitLimit = 2 * kWaitLimit);

    // Repaints in the colour and waits until the paint has been done. False
    // when the backdrop is gone or did not repaint in time.
    bool SetBlack();
    bool SetWhite();
    // Asks the backdrop to close, also one that has not stood up yet. Its
    // thread destroys the window, releases the window-update lock and ends;
    // the caller may drop its reference.
    void Close();

    HWND Window() const { return window_.load(); }
    // A duplicate of the backdrop thread's handle, for whoever wants to wait
    // for its end; the caller closes it.
    HANDLE DuplicateThreadHandle() const;

    BackdropWindow(const BackdropWindow&) = delete;
    BackdropWindow& operator=(const BackdropWindow&) = delete;

private:
    BackdropWindow() = default;
    bool SetColour(LONG_PTR colour);
    static DWORD WINAPI Run(void* parameter);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::atomic<HWND> window_{nullptr};
    HWND target_ = nullptr;
    HINSTANCE instance_ = nullptr;
    int margin_ = 0;
    std::atomic<bool> ready_{false};
    std::atomic<bool> painted_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> closing_{false};  // checked by the thread before it shows
    ScopedHandle thread_;
};
