#include "base/user_prompt.h"

#include "base/seams.h"

int AskUser(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (auto ask = CurrentSeams().askUser) return ask(owner, text, caption, type);
    return MessageBoxW(owner, text, caption, type);
}
