#include "base/user_prompt.h"

#include "base/seams.h"

namespace {

// The button names for the message box this thread is about to show.
struct ButtonNames {
    const wchar_t* ok;
    const wchar_t* cancel;
    HHOOK hook;
};
thread_local ButtonNames* pendingNames = nullptr;

// Renames the buttons as the message box is activated, before it shows.
LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
    ButtonNames* names = pendingNames;
    if (!names) return 0;
    HWND dialog = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(dialog, className, 16) && lstrcmpW(className, L"#32770") == 0) {
        SetDlgItemTextW(dialog, IDOK, names->ok);
        SetDlgItemTextW(dialog, IDCANCEL, names->cancel);
    }
    return CallNextHookEx(names->hook, code, wParam, lParam);
}

}  // namespace

int AskUser(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (auto ask = CurrentSeams().askUser) return ask(owner, text, caption, type);
    return MessageBoxW(owner, text, caption, type);
}

int AskUserWithButtons(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type, const wchar_t* okText,
                       const wchar_t* cancelText) {
    type = (type & ~MB_TYPEMASK) | MB_OKCANCEL;
    if (auto ask = CurrentSeams().askUser) return ask(owner, text, caption, type);
    ButtonNames names{okText, cancelText, nullptr};
    names.hook = SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    pendingNames = &names;
    const int answer = MessageBoxW(owner, text, caption, type);
    pendingNames = nullptr;
    if (names.hook) UnhookWindowsHookEx(names.hook);
    return answer;
}
