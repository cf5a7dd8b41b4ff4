#include "gui/edit_layout.h"

int CharIndexAt(const std::wstring& shown, int x, const MeasureWidth& measure) {
    // Prefix widths only grow with the prefix, so the first prefix wider than
    // x can be found by bisection instead of measuring every prefix.
    int low = 1;
    int high = static_cast<int>(shown.size()) + 1;  // past the end: none is wider
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (measure(shown.substr(0, middle)) > x) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low - 1;
}

int ScrollForCaret(int scroll, int caretWidth, bool caretAtStart, int boxWidth) {
    const int column = caretWidth + scroll;
    if (column < 0) {
        scroll += 5 - column;
        if (caretAtStart) scroll -= 5;
    } else if (column > boxWidth - 5) {
        scroll += boxWidth - column - 5;
    }
    // Near the start the 5-pixel margin would push the text right of its
    // place; the text never starts further right than unscrolled.
    return scroll > 0 ? 0 : scroll;
}

SelectionSpan SelectionColumns(int before, int selected, int scroll, int boxWidth, int inset) {
    SelectionSpan span;
    span.left = before + scroll + inset;
    if (span.left < inset) span.left = inset;
    span.width = selected;
    if (span.width > boxWidth - span.left - inset) {
        span.width = boxWidth - span.left - inset;
    }
    return span;
}
