#include "gui/edit_layout.h"

#include <gtest/gtest.h>

namespace {

// Each character is as wide as its digit ('0' is zero wide), plus one pixel
// of overhang on the first character, so prefixes grow unevenly.
int DigitWidth(const std::wstring& text) {
    int width = text.empty() ? 0 : 1;
    for (wchar_t c : text) width += c - L'0';
    return width;
}

// The plain rule: the first i whose first i characters are wider than x.
int LinearIndexAt(const std::wstring& shown, int x) {
    for (std::size_t i = 1; i <= shown.size(); ++i) {
        if (DigitWidth(shown.substr(0, i)) > x) return static_cast<int>(i - 1);
    }
    return static_cast<int>(shown.size());
}

TEST(EditLayout, CharIndexAtAgreesWithMeasuringEveryPrefix) {
    const std::wstring texts[] = {L"", L"5", L"3030", L"1234567", L"90000019", L"22222222222"};
    for (const std::wstring& text : texts) {
        for (int x = -3; x <= DigitWidth(text) + 3; ++x) {
            EXPECT_EQ(LinearIndexAt(text, x), CharIndexAt(text, x, DigitWidth))
                << "text " << text.size() << " x " << x;
        }
    }
    // A few fixed answers: "555" has prefixes 6, 11, 16 wide.
    EXPECT_EQ(0, CharIndexAt(L"555", 5, DigitWidth));
    EXPECT_EQ(1, CharIndexAt(L"555", 6, DigitWidth));
    EXPECT_EQ(3, CharIndexAt(L"555", 16, DigitWidth));
}

TEST(EditLayout, ScrollKeepsTheCaretInsideTheBox) {
    // In view: nothing changes.
    EXPECT_EQ(0, ScrollForCaret(0, 50, false, 100));
    EXPECT_EQ(-20, ScrollForCaret(-20, 50, false, 100));
    // Past the right edge the caret comes to rest 5 pixels inside it.
    EXPECT_EQ(-25, ScrollForCaret(0, 120, false, 100));
    EXPECT_EQ(95, 120 + ScrollForCaret(0, 120, false, 100));
    // Left of the start it comes to rest 5 pixels in, or at 0 at the start.
    EXPECT_EQ(-35, ScrollForCaret(-80, 40, false, 100));
    EXPECT_EQ(0, ScrollForCaret(-80, 0, true, 100));
    // Within 5 pixels of the start the text does not move right of 0.
    EXPECT_EQ(0, ScrollForCaret(-10, 3, false, 100));

    // Stepping a caret through a long text keeps its column (scroll + width
    // + inset) between 2 and W - 3.
    int scroll = 0;
    for (int width = 0; width <= 400; width += 7) {
        scroll = ScrollForCaret(scroll, width, width == 0, 100);
        EXPECT_LE(scroll, 0);
        EXPECT_GE(width + scroll + kEditTextInset, 2);
        EXPECT_LE(width + scroll + kEditTextInset, 97);
    }
    for (int width = 400; width >= 0; width -= 13) {
        scroll = ScrollForCaret(scroll, width, width == 0, 100);
        EXPECT_LE(scroll, 0);
        EXPECT_GE(width + scroll + kEditTextInset, 2);
        EXPECT_LE(width + scroll + kEditTextInset, 97);
    }
}

TEST(EditLayout, SelectionHighlightStaysInsideTheFrame) {
    SelectionSpan span = SelectionColumns(10, 20, 0, 100);
    EXPECT_EQ(12, span.left);
    EXPECT_EQ(20, span.width);
    span = SelectionColumns(10, 20, -30, 100);  // starts left of the box
    EXPECT_EQ(2, span.left);
    EXPECT_EQ(20, span.width);
    span = SelectionColumns(60, 80, 0, 100);  // runs past the right edge
    EXPECT_EQ(62, span.left);
    EXPECT_EQ(36, span.width);
}

}  // namespace
