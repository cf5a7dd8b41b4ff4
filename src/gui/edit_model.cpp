#include "gui/edit_model.h"

void EditModel::SetText(std::wstring text) {
    text_ = std::move(text);
    caret_ = anchor_ = 0;
}

std::wstring EditModel::SelectedText() const {
    return text_.substr(SelectionStart(), SelectionEnd() - SelectionStart());
}

std::wstring EditModel::DisplayText() const {
    return password_ ? std::wstring(text_.size(), L'*') : text_;
}

std::wstring EditModel::DisplayRange(int start, int end) const {
    start = Clamp(start);
    end = Clamp(end);
    if (end <= start) return {};
    if (password_) return std::wstring(end - start, L'*');
    return text_.substr(start, end - start);
}

void EditModel::MoveTo(int index, bool extend) {
    caret_ = Clamp(index);
    if (!extend) anchor_ = caret_;
}

bool EditModel::MoveLeft(bool byWord, bool extend) {
    if (caret_ == 0) return false;
    MoveTo(byWord ? WordStartBeforeCaret() : caret_ - 1, extend);
    return true;
}

bool EditModel::MoveRight(bool byWord, bool extend) {
    if (caret_ >= Length()) return false;
    MoveTo(byWord ? WordEndAfterCaret() : caret_ + 1, extend);
    return true;
}

void EditModel::SelectAll() {
    caret_ = 0;
    anchor_ = Length();
}

void EditModel::SelectWordAt(int index) {
    index = Clamp(index);
    caret_ = SpaceAtOrBefore(index - 1) + 1;  // -1 + 1 = 0 when there is none
    const int space = SpaceAtOrAfter(index);
    anchor_ = space < 0 ? Length() : space;
}

int EditModel::WordStartBeforeCaret() const {
    // Skip a space right before the caret so that repeated moves step over
    // whole words.
    int space = -1;
    if (caret_ >= 1 && text_[caret_ - 1] == L' ') {
        if (caret_ >= 2) space = SpaceAtOrBefore(caret_ - 2);
    } else {
        space = SpaceAtOrBefore(caret_ - 1);
    }
    return space + 1;
}

int EditModel::WordEndAfterCaret() const {
    const int space = SpaceAtOrAfter(caret_);
    return space < 0 ? Length() : space + 1;
}

void EditModel::EraseSelection() {
    const int start = SelectionStart();
    text_.erase(start, SelectionEnd() - start);
    caret_ = anchor_ = start;
}

void EditModel::EraseForward(bool byWord) {
    if (caret_ >= Length()) return;
    int end = caret_ + 1;
    if (byWord) {
        const int space = SpaceAtOrAfter(caret_);
        end = space < 0 ? Length() : space + 1;
    }
    text_.erase(caret_, end - caret_);
    anchor_ = caret_;
}

void EditModel::EraseBackward(bool byWord) {
    if (caret_ == 0) return;
    const int start = byWord ? WordStartBeforeCaret() : caret_ - 1;
    text_.erase(start, caret_ - start);
    caret_ = anchor_ = start;
}

void EditModel::Insert(wchar_t character) {
    if (HasSelection()) EraseSelection();
    text_.insert(text_.begin() + caret_, character);
    caret_ = anchor_ = caret_ + 1;
}

int EditModel::Clamp(int index) const {
    if (index < 0) return 0;
    return index > Length() ? Length() : index;
}

int EditModel::SpaceAtOrBefore(int from) const {
    if (from >= Length()) from = Length() - 1;
    for (int i = from; i >= 0; --i) {
        if (text_[i] == L' ') return i;
    }
    return -1;
}

int EditModel::SpaceAtOrAfter(int from) const {
    for (int i = from < 0 ? 0 : from; i < Length(); ++i) {
        if (text_[i] == L' ') return i;
    }
    return -1;
}
