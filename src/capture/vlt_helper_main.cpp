// vlt-helper.exe: a tiny separate process with one hidden window. On request
// of the process that started it, it makes a window topmost (and back), for
// window grabs of windows that the program cannot raise itself. Requests are
// believed only when the starter also put them in the mailbox the two share
// (helper_protocol.h). It ends when told to close, after a raise that left
// nothing to undo, when its starter ends, or when its starter has asked
// nothing for a minute; what it raised is put back whichever way it ends.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <set>

#include "capture/helper_protocol.h"

namespace {

constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleLimit = 60000;  // ms without a request from the starter

UINT helperMessage = 0;
HelperMailbox* mailbox = nullptr;
std::set<HWND> raised;  // made topmost here and not yet put back
bool leaving = false;   // this helper itself asked for its close

bool IsTopmost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// True when the mailbox holds this very request; it is taken out, so that
// each request is obeyed once.
bool TakeRequest(HelperRequest& slot, WPARAM target) {
    if (slot.target != static_cast<LONG64>(target)) return false;
    return InterlockedCompareExchange(&slot.pending, 0, 1) == 1;
}

void PutBack(HWND target) {
    if (IsWindow(target)) {
        SetWindowPos(target, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
    raised.erase(target);
}

LRESULT Raise(HWND self, HWND target) {
    if (!IsWindow(target) || IsTopmost(target) ||
        !SetWindowPos(target, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE)) {
        // Nothing was changed, so nothing will be undone: leave after replying.
        leaving = true;
        PostMessageW(self, WM_CLOSE, 0, 0);
        return kHelperNothingToUndo;
    }
    raised.insert(target);
    SetForegroundWindow(target);
    return kHelperRaised;
}

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == helperMessage && helperMessage != 0) {
        HelperRequest* slot = lParam == kHelperRaise ? &mailbox->raise : lParam == kHelperUndo ? &mailbox->undo : nullptr;
        // Not from the starter: ignored, and it does not keep the helper alive.
        if (!slot || !TakeRequest(*slot, wParam)) return 0;
        SetTimer(window, kIdleTimer, kIdleLimit, nullptr);
        HWND target = reinterpret_cast<HWND>(wParam);
        if (lParam == kHelperRaise) return Raise(window, target);
        if (raised.count(target)) PutBack(target);
        return 0;
    }
    switch (message) {
        case WM_TIMER:
            if (wParam == kIdleTimer) DestroyWindow(window);
            return 0;
        case WM_CLOSE:
            if (leaving || TakeRequest(mailbox->close, 0)) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

HANDLE HandleArgument(const wchar_t* text) {
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text, &end, 10);
    if (!end || *end != L'\0' || value == 0) return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value));
}

// The inherited mailbox and starter from "/mailbox M /starter S"; false
// when the command line is not exactly that.
bool ReadCommandLine(HANDLE& mapping, HANDLE& starter) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return false;
    const bool shaped = count == 5 && lstrcmpW(arguments[1], kHelperMailboxSwitch) == 0 &&
                        lstrcmpW(arguments[3], kHelperStarterSwitch) == 0;
    if (shaped) {
        mapping = HandleArgument(arguments[2]);
        starter = HandleArgument(arguments[4]);
    }
    LocalFree(arguments);
    return shaped && mapping && starter;
}

// Lower-integrity processes never get through to the window, even should a
// filter of the whole process let them. Looked up at run time: Windows Vista
// does not have it.
void RefuseLowerIntegritySenders(HWND window) {
    using FilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    auto filter = user ? reinterpret_cast<FilterFunction>(
                             reinterpret_cast<void*>(GetProcAddress(user, "ChangeWindowMessageFilterEx")))
                       : nullptr;
    constexpr DWORD kDisallow = 2;  // MSGFLT_DISALLOW
    if (filter) filter(window, helperMessage, kDisallow, nullptr);
}

// Runs the window's messages until it is gone or the starter has ended.
void RunUntilDone(HANDLE starter) {
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &starter, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) return;  // the starter ended (or the wait failed)
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HANDLE mapping = nullptr, starter = nullptr;
    if (!ReadCommandLine(mapping, starter)) return 2;
    mailbox = static_cast<HelperMailbox*>(
        MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(HelperMailbox)));
    if (!mailbox || WaitForSingleObject(starter, 0) != WAIT_TIMEOUT) return 2;

    helperMessage = RegisterWindowMessageW(kHelperMessageName);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HelperProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kHelperClass;
    if (!helperMessage || !RegisterClassW(&windowClass)) return 1;
    // A plain hidden top-level window: the starter finds it by class and
    // process (message-only windows cannot be found that way).
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kHelperClass, L"vantorel liftorn helper", WS_POPUP, 0, 0,
                                  0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    RefuseLowerIntegritySenders(window);
    SetTimer(window, kIdleTimer, kIdleLimit, nullptr);
    RunUntilDone(starter);
    while (!raised.empty()) PutBack(*raised.begin());
    if (IsWindow(window)) DestroyWindow(window);
    return 0;
}
