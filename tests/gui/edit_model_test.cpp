#include "gui/edit_model.h"

#include <gtest/gtest.h>

namespace {

EditModel WithCaret(const wchar_t* text, int caret) {
    EditModel model{std::wstring(text)};
    model.MoveTo(caret, false);
    return model;
}

TEST(EditModel, WordMovesAndWordErasing) {
    // Ctrl+Left from the end lands at the start of the last word.
    EditModel model = WithCaret(L"hello world", 11);
    EXPECT_EQ(6, model.WordStartBeforeCaret());
    EXPECT_TRUE(model.MoveLeft(true, false));
    EXPECT_EQ(6, model.Caret());
    // Right after a space the space is stepped over to the previous word.
    EXPECT_TRUE(model.MoveLeft(true, false));
    EXPECT_EQ(0, model.Caret());
    EXPECT_FALSE(model.MoveLeft(true, false));  // nothing moves at 0

    EXPECT_EQ(0, WithCaret(L" x", 1).WordStartBeforeCaret());   // too close for a search
    EXPECT_EQ(3, WithCaret(L"ab  cd", 4).WordStartBeforeCaret());  // the search starts at 2

    // Ctrl+Right goes past the next space, or to the end.
    model = WithCaret(L"hello world", 0);
    EXPECT_TRUE(model.MoveRight(true, false));
    EXPECT_EQ(6, model.Caret());
    EXPECT_TRUE(model.MoveRight(true, false));
    EXPECT_EQ(11, model.Caret());
    EXPECT_FALSE(model.MoveRight(true, false));
    EXPECT_EQ(6, WithCaret(L"hello world", 5).WordEndAfterCaret());  // a space at the caret

    // Ctrl+Backspace from the end leaves the first word and the space.
    model = WithCaret(L"hello world", 11);
    model.EraseBackward(true);
    EXPECT_EQ(L"hello ", model.Text());
    EXPECT_EQ(6, model.Caret());
    EXPECT_EQ(6, model.Anchor());

    // Ctrl+Delete erases up to and including the next space, or to the end.
    model = WithCaret(L"one two three", 4);
    model.EraseForward(true);
    EXPECT_EQ(L"one three", model.Text());
    EXPECT_EQ(4, model.Caret());
    model.EraseForward(true);
    EXPECT_EQ(L"one ", model.Text());
    model.EraseForward(true);  // at the end: nothing
    EXPECT_EQ(L"one ", model.Text());
}

TEST(EditModel, CharacterEditsAndSelection) {
    EditModel model = WithCaret(L"abcd", 2);
    model.EraseBackward(false);
    EXPECT_EQ(L"acd", model.Text());
    EXPECT_EQ(1, model.Caret());
    model.EraseForward(false);
    EXPECT_EQ(L"ad", model.Text());
    EXPECT_EQ(1, model.Caret());
    model.Insert(L'X');
    EXPECT_EQ(L"aXd", model.Text());
    EXPECT_EQ(2, model.Caret());
    EXPECT_EQ(2, model.Anchor());

    // A selection made backwards (caret before anchor) is replaced as a whole.
    model.MoveTo(3, false);
    model.MoveTo(1, true);
    EXPECT_TRUE(model.HasSelection());
    EXPECT_EQ(1, model.SelectionStart());
    EXPECT_EQ(3, model.SelectionEnd());
    EXPECT_EQ(L"Xd", model.SelectedText());
    model.Insert(L'!');
    EXPECT_EQ(L"a!", model.Text());
    EXPECT_EQ(2, model.Caret());
    EXPECT_FALSE(model.HasSelection());

    model.SelectAll();
    EXPECT_EQ(0, model.Caret());
    EXPECT_EQ(2, model.Anchor());
    model.EraseSelection();
    EXPECT_EQ(L"", model.Text());

    // Moves clamp to the content; SetText starts over at 0.
    model.SetText(L"xyz");
    model.MoveTo(99, false);
    EXPECT_EQ(3, model.Caret());
    model.MoveTo(-4, true);
    EXPECT_EQ(0, model.Caret());
    EXPECT_EQ(3, model.Anchor());
    model.SetText(L"new");
    EXPECT_EQ(0, model.Caret());
    EXPECT_EQ(0, model.Anchor());
}

TEST(EditModel, DoubleClickSelectsTheWordAroundThePoint) {
    EditModel model{std::wstring(L"hello world")};
    model.SelectWordAt(8);
    EXPECT_EQ(6, model.Caret());
    EXPECT_EQ(11, model.Anchor());
    model.SelectWordAt(6);  // right at the word's first letter
    EXPECT_EQ(6, model.Caret());
    EXPECT_EQ(11, model.Anchor());
    model.SelectWordAt(2);
    EXPECT_EQ(0, model.Caret());
    EXPECT_EQ(5, model.Anchor());
    model.SelectWordAt(5);  // on the space: the space is the anchor
    EXPECT_EQ(0, model.Caret());
    EXPECT_EQ(5, model.Anchor());
}

TEST(EditModel, PasswordMaskAndLengthLimit) {
    EditModel model{std::wstring(L"secret")};
    model.SetPassword(true);
    EXPECT_EQ(L"******", model.DisplayText());
    EXPECT_EQ(L"**", model.DisplayRange(1, 3));
    EXPECT_EQ(L"secret", model.Text());
    model.SetPassword(false);
    EXPECT_EQ(L"ec", model.DisplayRange(1, 3));
    EXPECT_EQ(L"", model.DisplayRange(4, 2));
    EXPECT_EQ(L"et", model.DisplayRange(4, 50));

    EXPECT_FALSE(model.IsFull());  // no limit by default
    model.SetMaxLength(6);
    EXPECT_TRUE(model.IsFull());
    model.SetMaxLength(7);
    EXPECT_FALSE(model.IsFull());
    model.SetMaxLength(0);
    EXPECT_TRUE(model.IsFull());
}

}  // namespace
