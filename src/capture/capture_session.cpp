#include "capture/capture_session.h"

#include <mutex>

#include "base/scoped_win.h"
#include "capture/capture.h"

namespace {

struct Session {
    std::mutex lock;
    bool running = false;
    bool cancelled = false;
    bool mainHidden = false;
    HWND mainWindow = nullptr;
    HWND front = nullptr;
    ScopedHandle thread;  // the latest capture's; signalled once it has ended
};

Session& Current() {
    static auto* session = new Session;  // lives until exit: capture threads may outlast main
    return *session;
}

HANDLE CancelEvent() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // manual reset
    return event;
}

// Waits for `thread` at most `milliseconds`, answering messages sent to this
// thread meanwhile (nothing posted is run: the caller's loop has ended).
bool WaitAnswering(HANDLE thread, DWORD milliseconds) {
    const DWORD started = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - started;
        if (spent >= milliseconds) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, milliseconds - spent, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke == WAIT_FAILED) return false;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

bool BeginCaptureSession(HWND mainWindow, bool mainHidden) {
    Session& session = Current();
    std::lock_guard<std::mutex> hold(session.lock);
    if (session.running) return false;
    session.running = true;
    session.cancelled = false;
    session.mainHidden = mainHidden;
    session.mainWindow = mainWindow;
    session.front = nullptr;
    session.thread.reset();
    ResetEvent(CancelEvent());
    return true;
}

void SetCaptureSessionThread(HANDLE thread) {
    Session& session = Current();
    std::lock_guard<std::mutex> hold(session.lock);
    session.thread.reset(thread);
    if (!thread) session.running = false;
}

void SetCaptureFrontWindow(HWND window) {
    Session& session = Current();
    std::lock_guard<std::mutex> hold(session.lock);
    session.front = window;
}

void KeepMainWindowHidden(bool hidden) {
    Session& session = Current();
    std::lock_guard<std::mutex> hold(session.lock);
    session.mainHidden = hidden;
}

bool CaptureCancelled() {
    Session& session = Current();
    std::lock_guard<std::mutex> hold(session.lock);
    return session.cancelled;
}

HANDLE CaptureCancelEvent() {
    return CancelEvent();
}

void EndCaptureSession() {
    Session& session = Current();
    std::lock_guard<std::mutex> hold(session.lock);
    session.running = false;
    session.front = nullptr;
}

bool CaptureRunning() {
    Session& session = Current();
    std::lock_guard<std::mutex> hold(session.lock);
    return session.running;
}

bool BringCaptureForward() {
    Session& session = Current();
    HWND front = nullptr, main = nullptr;
    bool mainHidden = false;
    {
        std::lock_guard<std::mutex> hold(session.lock);
        if (!session.running) return false;
        front = session.front;
        main = session.mainWindow;
        mainHidden = session.mainHidden;
    }
    // A second start shows the main window before it hands its request over:
    // it must not end up in the picture.
    if (mainHidden && main && IsWindowVisible(main) && !IsIconic(main)) ShowWindow(main, SW_HIDE);
    // Activation of another thread's window is asked for, not waited for.
    if (front && IsWindow(front)) SetForegroundWindow(front);
    return true;
}

bool StopCapture(DWORD milliseconds) {
    Session& session = Current();
    HWND front = nullptr;
    HANDLE thread = nullptr;
    {
        std::lock_guard<std::mutex> hold(session.lock);
        if (!session.running && !session.thread) return true;
        session.cancelled = true;
        SetEvent(CancelEvent());
        front = session.front;
        if (session.thread) {
            DuplicateHandle(GetCurrentProcess(), session.thread.get(), GetCurrentProcess(), &thread, SYNCHRONIZE,
                            FALSE, 0);
        }
    }
    // The overlay closes like Escape, the prompt like Cancel; a window that
    // is not up yet finds the cancel flag when it would be.
    if (front) PostMessageW(front, WM_CLOSE, 0, 0);
    if (!thread) return !CaptureRunning();
    ScopedHandle owned(thread);
    return WaitAnswering(thread, milliseconds);
}
