// Pixel geometry of a single-line edit box: which character a point falls
// on, how far the text scrolls to keep the caret in view, and where the
// selection highlight goes. Widths come from a measuring function so the
// rules do not depend on any font code.
#pragma once

#include <functional>
#include <string>

// Width in pixels of a piece of the shown text.
using MeasureWidth = std::function<int(const std::wstring&)>;

// Text is drawn this many pixels inside the box's left edge (at 96 DPI).
constexpr int kEditTextInset = 2;

// The character index for a point `x` pixels from the start of the text: the
// first i whose first i characters are wider than x gives i - 1; the length
// when none is.
int CharIndexAt(const std::wstring& shown, int x, const MeasureWidth& measure);

// The scroll offset (0 or negative) that keeps a caret `caretWidth` pixels
// into the text at least 5 pixels inside a box `boxWidth` wide, starting
// from `scroll`. At the very start of the text the scroll returns to 0.
int ScrollForCaret(int scroll, int caretWidth, bool caretAtStart, int boxWidth);

// Columns of the selection highlight: from `left`, `width` pixels (0 or less
// draws nothing).
struct SelectionSpan {
    int left = 0;
    int width = 0;
};

// `before` is the width of the text before the selection, `selected` the
// width of the selected text, `inset` the text's (kEditTextInset at the
// box's scale). The highlight stays inside the frame.
SelectionSpan SelectionColumns(int before, int selected, int scroll, int boxWidth, int inset = kEditTextInset);
