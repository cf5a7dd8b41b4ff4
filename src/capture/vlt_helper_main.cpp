// vlt-helper.exe: a tiny separate process with one hidden window. On request
// it makes a window topmost (and back), for window grabs of windows that the
// program cannot raise itself. It ends when told to close, after a raise that
// left nothing to undo, or when nobody talks to it for a minute.
#include <windows.h>

#include "capture/helper_protocol.h"

namespace {

UINT helperMessage = 0;
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleLimit = 60000;  // ms without a request

bool IsTopmost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

LRESULT Raise(HWND self, HWND target) {
    if (!IsWindow(target) || IsTopmost(target) ||
        !SetWindowPos(target, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE)) {
        // Nothing was changed, so nothing will be undone: leave after replying.
        PostMessageW(self, WM_CLOSE, 0, 0);
        return kHelperNothingToUndo;
    }
    SetForegroundWindow(target);
    return kHelperRaised;
}

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == helperMessage && helperMessage != 0) {
        SetTimer(window, kIdleTimer, kIdleLimit, nullptr);
        HWND target = reinterpret_cast<HWND>(wParam);
        if (lParam == kHelperRaise) return Raise(window, target);
        if (lParam == kHelperUndo && IsWindow(target)) {
            SetWindowPos(target, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return 0;
    }
    switch (message) {
        case WM_TIMER:
            if (wParam == kIdleTimer) DestroyWindow(window);
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    helperMessage = RegisterWindowMessageW(kHelperMessageName);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HelperProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kHelperClass;
    if (!helperMessage || !RegisterClassW(&windowClass)) return 1;
    // A plain hidden top-level window: the caller finds it by class and
    // process, and other processes may send to it (message-only windows
    // cannot be found that way).
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kHelperClass, L"vantorel liftorn helper", WS_POPUP, 0, 0,
                                  0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    // Sent from a process of lower integrity (never the case for the
    // program itself, but harmless): let the message through.
    ChangeWindowMessageFilterEx(window, helperMessage, MSGFLT_ALLOW, nullptr);
    SetTimer(window, kIdleTimer, kIdleLimit, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
