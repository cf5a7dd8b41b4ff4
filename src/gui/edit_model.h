// The content, caret and selection of a single-line edit box and the edits
// that keys make on them. Knows nothing of windows or pixels, so the word
// rules and the limits can be checked on their own.
#pragma once

#include <string>
#include <utility>

class EditModel {
public:
    EditModel() = default;
    explicit EditModel(std::wstring text) : text_(std::move(text)) {}

    const std::wstring& Text() const { return text_; }
    int Length() const { return static_cast<int>(text_.size()); }
    // Replaces the content; caret and anchor go back to 0.
    void SetText(std::wstring text);

    // The caret is the moving end of the selection, the anchor its fixed end.
    int Caret() const { return caret_; }
    int Anchor() const { return anchor_; }
    bool HasSelection() const { return caret_ != anchor_; }
    int SelectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
    int SelectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
    std::wstring SelectedText() const;

    // In password mode the box shows one '*' per character.
    bool Password() const { return password_; }
    void SetPassword(bool password) { password_ = password; }
    std::wstring DisplayText() const;
    // The shown characters from `start` up to `end` (clamped to the content).
    std::wstring DisplayRange(int start, int end) const;

    // Characters allowed; negative means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int characters) { maxLength_ = characters; }
    // A limit is set and the content has reached it.
    bool IsFull() const { return maxLength_ >= 0 && Length() >= maxLength_; }

    // Puts the caret at `index` (clamped); the anchor follows unless
    // `extend` keeps the selection's fixed end where it is.
    void MoveTo(int index, bool extend);
    // One character or one word to the left or right. False, and nothing
    // moves, at the start (left) or the end (right) of the content.
    bool MoveLeft(bool byWord, bool extend);
    bool MoveRight(bool byWord, bool extend);
    // Caret at 0, anchor at the end.
    void SelectAll();
    // Selects the word around `index`: caret after the last space before it,
    // anchor on the first space at or after it.
    void SelectWordAt(int index);

    // Where a word-wise move left from the caret lands: the index after the
    // space that begins the word before the caret, or 0.
    int WordStartBeforeCaret() const;
    // Where a word-wise move right from the caret lands: after the next space
    // at or after the caret, or the end.
    int WordEndAfterCaret() const;

    // Erases the selected characters; caret and anchor go to its start.
    void EraseSelection();
    // Delete without a selection: the character at the caret, or with
    // `byWord` everything up to and including the next space.
    void EraseForward(bool byWord);
    // Backspace without a selection: the character before the caret, or with
    // `byWord` back to the start of the word; caret and anchor follow.
    void EraseBackward(bool byWord);
    // Replaces the selection (if any) by `character`; the caret ends after it.
    void Insert(wchar_t character);

private:
    int Clamp(int index) const;
    // Index of the last space at or before `from`, or -1.
    int SpaceAtOrBefore(int from) const;
    // Index of the first space at or after `from`, or -1.
    int SpaceAtOrAfter(int from) const;

    std::wstring text_;
    int caret_ = 0;
    int anchor_ = 0;
    bool password_ = false;
    int maxLength_ = -1;
};
