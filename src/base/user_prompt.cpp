#include "base/user_prompt.h"

#include <atomic>

namespace {
std::atomic<UserPrompt> prompt{&MessageBoxW};
}

int AskUser(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return prompt.load()(owner, text, caption, type);
}

UserPrompt SetUserPrompt(UserPrompt replacement) {
    return prompt.exchange(replacement ? replacement : &MessageBoxW);
}
