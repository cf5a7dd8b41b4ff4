#include "history/history_prompt.h"

#include <atomic>

namespace {

std::atomic<HistoryPrompt> historyPrompt{nullptr};

}  // namespace

HistoryPrompt SetHistoryPrompt(HistoryPrompt prompt) { return historyPrompt.exchange(prompt); }

int AskHistoryQuestion(HWND owner, const wchar_t* text, UINT type) {
    const HistoryPrompt prompt = historyPrompt.load();
    return (prompt ? prompt : &MessageBoxW)(owner, text, L"vantorel liftorn", type);
}
