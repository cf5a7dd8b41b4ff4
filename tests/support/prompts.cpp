#include "support/prompts.h"

#include "base/seams.h"

namespace {
RecordedPrompts* current = nullptr;
}

RecordedPrompts::RecordedPrompts(int answer) : answer_(answer), previous_(current) {
    current = this;
    Seams seams = CurrentSeams();
    seams.askUser = &RecordedPrompts::Ask;
    seams_ = std::make_unique<ScopedSeams>(seams);
}

RecordedPrompts::~RecordedPrompts() {
    seams_.reset();
    current = previous_;  // an outer one records again
}

int RecordedPrompts::Ask(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    RecordedPrompts* self = current;
    if (!self) return IDCANCEL;
    std::lock_guard<std::mutex> hold(self->lock_);
    self->prompts_.push_back(RecordedPrompt{owner, text ? text : L"", caption ? caption : L"", type});
    return self->answer_;
}

std::vector<RecordedPrompt> RecordedPrompts::All() const {
    std::lock_guard<std::mutex> hold(lock_);
    return prompts_;
}

std::vector<std::wstring> RecordedPrompts::Texts() const {
    std::vector<std::wstring> texts;
    for (const RecordedPrompt& prompt : All()) texts.push_back(prompt.text);
    return texts;
}

void RecordedPrompts::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    prompts_.clear();
}

void RecordedPrompts::SetAnswer(int answer) {
    std::lock_guard<std::mutex> hold(lock_);
    answer_ = answer;
}
