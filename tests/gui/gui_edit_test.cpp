#include "gui/gui_edit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "gui/font_face.h"
#include "gui/gui_text.h"
#include "gui_test_support.h"
#include "widget_test_support.h"
#include "support/process.h"

namespace {

constexpr int kEditX = 10;
constexpr int kEditY = 10;
constexpr int kEditWidth = 120;
constexpr int kEditHeight = 17;

// What the last change function call saw: the content just before the edit.
int changeCalls = 0;
std::wstring textAtChange;
GUIEdit* watchedEdit = nullptr;
void RecordChange() {
    ++changeCalls;
    textAtChange = watchedEdit ? watchedEdit->GetText() : L"";
}

std::uint32_t Red(std::uint32_t pixel) { return (pixel >> 16) & 0xFF; }
std::uint32_t Green(std::uint32_t pixel) { return (pixel >> 8) & 0xFF; }
std::uint32_t Blue(std::uint32_t pixel) { return pixel & 0xFF; }

class GUIEditTest : public WidgetWindowTest {
protected:
    void SetUp() override {
        WidgetWindowTest::SetUp();
        SetDefaultFonts(StartupFontList());  // falls back to the system font
        changeCalls = 0;
        textAtChange.clear();
        watchedEdit = nullptr;
    }

    GUIEdit* MakeEdit(const std::wstring& text, int x = kEditX, int y = kEditY,
                      int width = kEditWidth, int height = kEditHeight) {
        return Add(std::make_unique<GUIEdit>(Parent(), TestInstance(), x, y, width, height, text));
    }
    GUIEdit* Watched(const std::wstring& text) {
        GUIEdit* edit = MakeEdit(text);
        edit->SetChangeFunction(RecordChange);
        watchedEdit = edit;
        return edit;
    }

    static void Key(GUIEdit* edit, UINT key) { SendMessageW(edit->Window(), WM_KEYDOWN, key, 0); }
    static void KeyUp(GUIEdit* edit, UINT key) { SendMessageW(edit->Window(), WM_KEYUP, key, 0); }
    static void Char(GUIEdit* edit, wchar_t character) {
        SendMessageW(edit->Window(), WM_CHAR, character, 0);
    }
    static void Type(GUIEdit* edit, const std::wstring& text) {
        for (wchar_t character : text) Char(edit, character);
    }
    // A key or character pressed with Control held.
    static void ControlKey(GUIEdit* edit, UINT key) {
        Key(edit, VK_CONTROL);
        Key(edit, key);
        KeyUp(edit, VK_CONTROL);
    }
    static void ControlChar(GUIEdit* edit, wchar_t character) {
        Key(edit, VK_CONTROL);
        Char(edit, character);
        KeyUp(edit, VK_CONTROL);
    }
    static void ShiftKey(GUIEdit* edit, UINT key) {
        Key(edit, VK_SHIFT);
        Key(edit, key);
        KeyUp(edit, VK_SHIFT);
    }
    static int Width(const GUIEdit* edit, const std::wstring& shown) {
        return shown.empty() ? 0 : edit->TextWidget()->MeasureText(shown).cx;
    }

    void SetClipboardText(const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(Parent()));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 2 * text.size() + 2);
        ASSERT_NE(nullptr, block);
        std::memcpy(GlobalLock(block), text.c_str(), 2 * text.size() + 2);
        GlobalUnlock(block);
        EXPECT_NE(nullptr, SetClipboardData(CF_UNICODETEXT, block));
        CloseClipboard();
    }
    // Dispatches waiting messages; false when more than `limit` keep coming.
    static bool PumpAtMost(int limit) {
        MSG message;
        for (int i = 0; i < limit; ++i) {
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return true;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }

    // One pixel of an edit box in its own coordinates, as painted in the window.
    std::uint32_t EditPixel(const GUIEdit* edit, int x, int y) const {
        return Pixel(edit->Position().x + x, edit->Position().y + y);
    }
};

TEST_F(GUIEditTest, ArrowsHomeEndAndShiftSelection) {
    GUIEdit* edit = MakeEdit(L"hello world");
    EXPECT_EQ(0, edit->Caret());
    Key(edit, VK_END);
    EXPECT_EQ(11, edit->Caret());
    Key(edit, VK_RIGHT);  // at the end nothing moves
    EXPECT_EQ(11, edit->Caret());
    Key(edit, VK_LEFT);
    EXPECT_EQ(10, edit->Caret());
    EXPECT_EQ(10, edit->Anchor());
    ControlKey(edit, VK_LEFT);
    EXPECT_EQ(6, edit->Caret());
    ControlKey(edit, VK_LEFT);
    EXPECT_EQ(0, edit->Caret());
    ControlKey(edit, VK_RIGHT);
    EXPECT_EQ(6, edit->Caret());

    // Shift+Home selects back to 0 from the caret; the anchor stays put.
    ShiftKey(edit, VK_HOME);
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(6, edit->Anchor());
    // Shift+Right then Shift+End extend the same selection.
    ShiftKey(edit, VK_RIGHT);
    EXPECT_EQ(1, edit->Caret());
    EXPECT_EQ(6, edit->Anchor());
    ShiftKey(edit, VK_END);
    EXPECT_EQ(11, edit->Caret());
    EXPECT_EQ(6, edit->Anchor());
    // Released Shift: moving collapses the selection.
    Key(edit, VK_HOME);
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(0, edit->Anchor());

    // With a selection that ends at 0, Left changes nothing at all.
    Key(edit, VK_END);
    ShiftKey(edit, VK_HOME);
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(11, edit->Anchor());
    Key(edit, VK_LEFT);
    EXPECT_EQ(11, edit->Anchor());
    // Other keys do nothing.
    Key(edit, VK_UP);
    Key(edit, VK_F5);
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(11, edit->Anchor());
    EXPECT_EQ(L"hello world", edit->GetText());
}

TEST_F(GUIEditTest, BackspaceAndDeleteCallTheChangeFunctionFirst) {
    GUIEdit* edit = Watched(L"hello world");
    // Backspace at 0 without a selection: nothing, not even the call.
    Char(edit, 8);
    EXPECT_EQ(0, changeCalls);

    Key(edit, VK_END);
    ControlChar(edit, 127);  // Ctrl+Backspace: back to the word start
    EXPECT_EQ(L"hello ", edit->GetText());
    EXPECT_EQ(6, edit->Caret());
    EXPECT_EQ(6, edit->Anchor());
    EXPECT_EQ(1, changeCalls);
    EXPECT_EQ(L"hello world", textAtChange);  // called before the change

    Char(edit, 8);
    EXPECT_EQ(L"hello", edit->GetText());
    EXPECT_EQ(5, edit->Caret());
    EXPECT_EQ(2, changeCalls);

    Key(edit, VK_HOME);
    Key(edit, VK_DELETE);
    EXPECT_EQ(L"ello", edit->GetText());
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(3, changeCalls);
    EXPECT_EQ(L"hello", textAtChange);

    // Delete erases a selection as a whole.
    ShiftKey(edit, VK_RIGHT);
    ShiftKey(edit, VK_RIGHT);
    Key(edit, VK_DELETE);
    EXPECT_EQ(L"lo", edit->GetText());
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(0, edit->Anchor());

    // Ctrl+Delete erases up to and including the next space.
    edit->SetText(L"one two three");
    ControlKey(edit, VK_DELETE);
    EXPECT_EQ(L"two three", edit->GetText());

    // Delete at the end changes nothing but still tells the owner.
    const int before = changeCalls;
    Key(edit, VK_END);
    Key(edit, VK_DELETE);
    EXPECT_EQ(L"two three", edit->GetText());
    EXPECT_EQ(before + 1, changeCalls);

    // Backspace with a selection erases just the selection.
    ShiftKey(edit, VK_LEFT);
    ShiftKey(edit, VK_LEFT);
    Char(edit, 8);
    EXPECT_EQ(L"two thr", edit->GetText());
    EXPECT_EQ(7, edit->Caret());
}

TEST_F(GUIEditTest, TypingHonoursTheLimitControlAndTheSelection) {
    GUIEdit* edit = Watched(L"abc");
    edit->SetMaxLength(3);
    Key(edit, VK_END);
    Char(edit, L'd');
    EXPECT_EQ(L"abc", edit->GetText());
    // Typing over a selected character is refused too: the limit comes first.
    ShiftKey(edit, VK_LEFT);
    Char(edit, L'x');
    EXPECT_EQ(L"abc", edit->GetText());
    EXPECT_EQ(0, changeCalls);
    // Room again after a Backspace.
    Char(edit, 8);
    Char(edit, L'Z');
    EXPECT_EQ(L"abZ", edit->GetText());

    edit->SetMaxLength(-1);
    edit->SetText(L"hello world");
    changeCalls = 0;
    // A selection is replaced by the typed character.
    Key(edit, VK_HOME);
    ShiftKey(edit, VK_RIGHT);
    ShiftKey(edit, VK_RIGHT);
    Char(edit, L'J');
    EXPECT_EQ(L"Jllo world", edit->GetText());
    EXPECT_EQ(1, edit->Caret());
    EXPECT_EQ(1, edit->Anchor());
    EXPECT_EQ(1, changeCalls);
    EXPECT_EQ(L"hello world", textAtChange);

    // Characters typed with Control held are refused; Enter and Escape too.
    ControlChar(edit, L'q');
    Char(edit, 13);
    Char(edit, 10);
    Char(edit, 27);
    EXPECT_EQ(L"Jllo world", edit->GetText());
    EXPECT_EQ(1, changeCalls);

    // Control with Alt is AltGr, which types characters.
    BYTE keys[256];
    ASSERT_TRUE(GetKeyboardState(keys));
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    ControlChar(edit, L'@');
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(L"J@llo world", edit->GetText());

    // Ctrl+A selects everything.
    ControlChar(edit, 1);
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(11, edit->Anchor());
}

TEST_F(GUIEditTest, CopyCutAndPasteThroughTheClipboard) {
    GUIEdit* edit = Watched(L"hello world");
    SetClipboardText(L"before");
    ControlChar(edit, 3);  // nothing selected: the clipboard keeps its text
    EXPECT_EQ(L"before", ReadClipboardText(Parent()));

    Key(edit, VK_END);
    ShiftKey(edit, VK_HOME);
    ControlKey(edit, VK_RIGHT);  // Control alone does not extend
    Key(edit, VK_SHIFT);
    ControlKey(edit, VK_RIGHT);
    KeyUp(edit, VK_SHIFT);
    EXPECT_EQ(11, edit->Caret());
    EXPECT_EQ(6, edit->Anchor());
    ControlChar(edit, 3);
    EXPECT_EQ(L"world", ReadClipboardText(Parent()));
    EXPECT_EQ(L"hello world", edit->GetText());

    // Cut: copy, then erase, through posted characters.
    ControlChar(edit, 1);
    ControlChar(edit, 24);
    PumpMessages();
    EXPECT_EQ(L"hello world", ReadClipboardText(Parent()));
    EXPECT_EQ(L"", edit->GetText());

    // Paste inserts at the caret, replacing the selection.
    edit->SetText(L"ab");
    Key(edit, VK_END);
    ShiftKey(edit, VK_LEFT);
    SetClipboardText(L"XYZ");
    ControlChar(edit, 22);
    PumpMessages();
    EXPECT_EQ(L"aXYZ", edit->GetText());
    EXPECT_EQ(4, edit->Caret());

    // Pasted characters count against the limit like typed ones.
    edit->SetMaxLength(6);
    ControlChar(edit, 22);
    PumpMessages();
    EXPECT_EQ(L"aXYZXY", edit->GetText());
}

TEST_F(GUIEditTest, PastedTabsAndCommandsAreNotActedOn) {
    GUIEdit* first = MakeEdit(L"", 10, 10);
    GUIEdit* second = MakeEdit(L"", 10, 40);
    SetFocus(first->Window());
    ASSERT_EQ(first->Window(), GetFocus());
    EXPECT_TRUE(first->IsFocused());

    SetClipboardText(L"a\tb");
    ControlChar(first, 22);
    PumpMessages();
    EXPECT_EQ(L"ab", first->GetText());
    EXPECT_EQ(first->Window(), GetFocus());

    // A pasted Ctrl+V must not paste again (for ever); a pasted Backspace
    // does not erase.
    SetClipboardText(std::wstring(L"c") + wchar_t(22) + L"d" + wchar_t(8));
    ControlChar(first, 22);
    EXPECT_TRUE(PumpAtMost(100));
    EXPECT_EQ(L"abcd", first->GetText());
    SetClipboardText(L"");  // ends a paste loop, should there be one
    PumpMessages();

    // A typed Tab moves on to the next tab stop of the window.
    Char(first, 9);
    EXPECT_EQ(second->Window(), GetFocus());
    EXPECT_FALSE(first->IsFocused());
    EXPECT_TRUE(second->IsFocused());
    EXPECT_EQ(L"abcd", first->GetText());
    EXPECT_NE(0, GetWindowLongPtrW(first->Window(), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(GUIEditTest, PasswordModeMasksWhatIsShownAndKeepsItOffTheClipboard) {
    GUIEdit* secret = MakeEdit(L"pass word", 10, 10);
    GUIEdit* stars = MakeEdit(L"*********", 10, 40);
    GUIEdit* plain = MakeEdit(L"pass word", 10, 70);
    secret->SetPassword(true);
    EXPECT_TRUE(secret->IsPassword());
    EXPECT_EQ(L"*********", secret->TextWidget()->Text());
    EXPECT_EQ(L"pass word", secret->GetText());
    Repaint();

    // What is painted is exactly what a box holding the stars paints.
    bool differsFromPlain = false;
    for (int y = 0; y < kEditHeight; ++y) {
        for (int x = 0; x < kEditWidth; ++x) {
            ASSERT_EQ(EditPixel(stars, x, y), EditPixel(secret, x, y)) << x << ", " << y;
            if (EditPixel(plain, x, y) != EditPixel(secret, x, y)) differsFromPlain = true;
        }
    }
    EXPECT_TRUE(differsFromPlain);

    // Caret positions are measured on the stars: a click just past the
    // width of three stars lands after the third character.
    const int threeStars = Width(secret, L"***");
    SendMessageW(secret->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MousePoint(threeStars, 5));
    SendMessageW(secret->Window(), WM_LBUTTONUP, 0, MousePoint(threeStars, 5));
    EXPECT_EQ(3, secret->Caret());
    EXPECT_EQ(Width(secret, L"***") + 2, secret->CaretColumn());

    // Neither Ctrl+C nor Ctrl+X gives the password away, nor does Ctrl+X erase.
    SetClipboardText(L"untouched");
    ControlChar(secret, 1);
    ControlChar(secret, 3);
    ControlChar(secret, 24);
    PumpMessages();
    EXPECT_EQ(L"untouched", ReadClipboardText(Parent()));
    EXPECT_EQ(L"pass word", secret->GetText());
    // The selected part is drawn with stars too.
    EXPECT_EQ(L"*********", secret->SelectionTextWidget()->Text());

    // Switching to password mode while a part is selected hides that part.
    ControlChar(plain, 1);
    EXPECT_EQ(L"pass word", plain->SelectionTextWidget()->Text());
    plain->SetPassword(true);
    EXPECT_EQ(L"*********", plain->SelectionTextWidget()->Text());
    plain->SetPassword(false);
    EXPECT_EQ(L"pass word", plain->TextWidget()->Text());
}

TEST_F(GUIEditTest, FrameBackgroundAndCornersArePainted) {
    GUIEdit* edit = MakeEdit(L"");
    edit->SetBorderColour(0x102030);
    edit->SetBackgroundColour(0xF0E0D1);
    Repaint();
    const int w = kEditWidth, h = kEditHeight;
    EXPECT_EQ(0xFF102030u, EditPixel(edit, 5, 0));
    EXPECT_EQ(0xFF102030u, EditPixel(edit, 5, h - 1));
    EXPECT_EQ(0xFF102030u, EditPixel(edit, 0, 5));
    EXPECT_EQ(0xFF102030u, EditPixel(edit, w - 1, 5));
    EXPECT_EQ(0xFFF0E0D1u, EditPixel(edit, 1, 5));
    EXPECT_EQ(0xFFF0E0D1u, EditPixel(edit, w / 2, h / 2));
    EXPECT_EQ(0xFF808080u, EditPixel(edit, 1, 1));
    EXPECT_EQ(0xFF808080u, EditPixel(edit, w - 2, h - 2));
    // The corners are see-through: nothing of them is left opaque.
    EXPECT_EQ(0u, EditPixel(edit, 0, 0) >> 24);
    EXPECT_EQ(0u, EditPixel(edit, w - 1, h - 1) >> 24);
    // Nothing is painted outside the box.
    EXPECT_EQ(0u, EditPixel(edit, -1, 5));
    EXPECT_EQ(0u, EditPixel(edit, w, 5));

    // A hidden box paints nothing.
    edit->Show(SW_HIDE);
    Repaint();
    EXPECT_EQ(0u, EditPixel(edit, w / 2, h / 2));
}

TEST_F(GUIEditTest, CaretIsDrawnOnlyWithFocusAndNoSelection) {
    GUIEdit* edit = MakeEdit(L"hello");
    edit->SetBackgroundColour(0xFFFFFF);
    edit->SetSelectionColours(0x00FF00, 0x0000FF);
    Key(edit, VK_END);
    Repaint();
    const int column = edit->CaretColumn();
    EXPECT_EQ(Width(edit, L"hello") + 2, column);
    // Unfocused: the caret column shows background (the text ends before it).
    auto caretRows = [&](std::uint32_t expected) {
        for (int y = 2; y <= kEditHeight - 3; ++y) {
            EXPECT_EQ(expected, EditPixel(edit, column, y)) << "row " << y;
        }
    };
    EXPECT_FALSE(edit->IsFocused());
    caretRows(0xFFFFFFFFu);

    SetFocus(edit->Window());
    EXPECT_TRUE(edit->IsFocused());
    Repaint();
    caretRows(0xFF0000FFu);
    EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, column, 1));  // rows 0, 1 and H-2, H-1 stay
    EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, column, kEditHeight - 2));
    EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, column + 1, 5));

    // The caret moves with the keys.
    Key(edit, VK_HOME);
    Repaint();
    EXPECT_EQ(2, edit->CaretColumn());
    EXPECT_EQ(0xFF0000FFu, EditPixel(edit, 2, 5));

    // While something is selected there is no caret.
    ShiftKey(edit, VK_END);
    Repaint();
    EXPECT_NE(0xFF0000FFu, EditPixel(edit, column, 2));

    // Losing the focus takes the caret away again.
    Key(edit, VK_END);
    SetFocus(Parent());
    EXPECT_FALSE(edit->IsFocused());
    Repaint();
    caretRows(0xFFFFFFFFu);
}

TEST_F(GUIEditTest, SelectionIsHighlightedInItsOwnColours) {
    GUIEdit* edit = MakeEdit(L"hello world");
    edit->SetBackgroundColour(0xFFFFFF);
    edit->SetTextColour(0xFF0000);
    edit->SetSelectionColours(0x00FF00, 0x000000);
    Key(edit, VK_END);
    ControlKey(edit, VK_LEFT);
    ShiftKey(edit, VK_END);
    EXPECT_EQ(L"world", edit->SelectionTextWidget()->Text());
    Repaint();

    const int left = Width(edit, L"hello ") + 2;
    const int right = left + Width(edit, L"world");
    bool greenInk = false;
    for (int y = 2; y <= kEditHeight - 3; ++y) {
        for (int x = left; x < right; ++x) {
            const std::uint32_t pixel = EditPixel(edit, x, y);
            ASSERT_EQ(0u, Red(pixel)) << x << ", " << y;  // no normal text, no background
            ASSERT_EQ(0u, Blue(pixel)) << x << ", " << y;
            if (Green(pixel) > 128) greenInk = true;
        }
    }
    EXPECT_TRUE(greenInk);
    // Rows 1 and H - 2 of the selected columns keep the background.
    EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, left, 1));
    EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, left, kEditHeight - 2));
    // The unselected word is drawn in the text colour.
    bool redInk = false;
    for (int y = 2; y <= kEditHeight - 3; ++y) {
        for (int x = 2; x < left - 2; ++x) {
            const std::uint32_t pixel = EditPixel(edit, x, y);
            if (Red(pixel) == 255 && Green(pixel) < 128) redInk = true;
        }
    }
    EXPECT_TRUE(redInk);
}

TEST_F(GUIEditTest, LongTextScrollsToKeepTheCaretInView) {
    const std::wstring text = L"the quick brown fox jumps over the lazy dog and back again";
    GUIEdit* edit = MakeEdit(text, 10, 10, 60, kEditHeight);
    ASSERT_GT(Width(edit, text), 60);
    Key(edit, VK_END);
    EXPECT_LT(edit->ScrollOffset(), 0);
    EXPECT_EQ(60 - 3, edit->CaretColumn());
    for (int i = 0; i < static_cast<int>(text.size()); ++i) {
        Key(edit, VK_LEFT);
        ASSERT_GE(edit->CaretColumn(), 2) << "caret " << edit->Caret();
        ASSERT_LE(edit->CaretColumn(), 60 - 3) << "caret " << edit->Caret();
    }
    EXPECT_EQ(0, edit->ScrollOffset());
    Key(edit, VK_END);
    Key(edit, VK_HOME);
    EXPECT_EQ(0, edit->ScrollOffset());
    // Clicks count from the scrolled text: at the right edge after End the
    // point lies on the last characters.
    Key(edit, VK_END);
    const int scroll = edit->ScrollOffset();
    SendMessageW(edit->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MousePoint(59, 5));
    SendMessageW(edit->Window(), WM_LBUTTONUP, 0, MousePoint(59, 5));
    EXPECT_EQ(scroll, edit->ScrollOffset());
    EXPECT_GE(edit->Caret(), static_cast<int>(text.size()) - 2);
}

TEST_F(GUIEditTest, MousePlacesTheCaretDragsAndDoubleClicksSelectWords) {
    GUIEdit* edit = MakeEdit(L"hello world");
    const int hel = Width(edit, L"hel");
    SendMessageW(edit->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MousePoint(hel, 5));
    EXPECT_EQ(3, edit->Caret());
    EXPECT_EQ(3, edit->Anchor());
    EXPECT_EQ(edit->Window(), GetCapture());
    SendMessageW(edit->Window(), WM_LBUTTONUP, 0, MousePoint(hel, 5));
    EXPECT_EQ(nullptr, GetCapture());
    SendMessageW(edit->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MousePoint(hel - 1, 5));
    EXPECT_EQ(2, edit->Caret());

    // Dragging with the button down moves only the caret.
    const int helloW = Width(edit, L"hello w");
    SendMessageW(edit->Window(), WM_MOUSEMOVE, MK_LBUTTON, MousePoint(helloW, 5));
    EXPECT_EQ(7, edit->Caret());
    EXPECT_EQ(2, edit->Anchor());
    EXPECT_EQ(L"llo w", edit->SelectionTextWidget()->Text());
    // Past the right edge (the box holds the capture) it reaches the end.
    SendMessageW(edit->Window(), WM_MOUSEMOVE, MK_LBUTTON, MousePoint(kEditWidth + 50, 5));
    EXPECT_EQ(11, edit->Caret());
    SendMessageW(edit->Window(), WM_LBUTTONUP, 0, MousePoint(kEditWidth + 50, 5));
    // Moving without the button changes nothing.
    SendMessageW(edit->Window(), WM_MOUSEMOVE, 0, MousePoint(0, 5));
    EXPECT_EQ(11, edit->Caret());
    EXPECT_EQ(2, edit->Anchor());
    // A press also takes the keyboard focus.
    EXPECT_TRUE(edit->IsFocused());

    // Double-clicking inside the second word selects it.
    SendMessageW(edit->Window(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MousePoint(Width(edit, L"hello wo"), 5));
    EXPECT_EQ(6, edit->Caret());
    EXPECT_EQ(11, edit->Anchor());
    EXPECT_EQ(L"world", edit->SelectionTextWidget()->Text());
    SendMessageW(edit->Window(), WM_LBUTTONDBLCLK, MK_LBUTTON, MousePoint(1, 5));
    EXPECT_EQ(0, edit->Caret());
    EXPECT_EQ(5, edit->Anchor());
}

TEST_F(GUIEditTest, InputWindowCoversTheBoxAndTakesTheFocus) {
    GUIEdit* edit = MakeEdit(L"x");
    const HWND input = edit->Window();
    ASSERT_NE(nullptr, input);
    RECT rect;
    GetWindowRect(input, &rect);
    MapWindowPoints(nullptr, Parent(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(kEditX, rect.left);
    EXPECT_EQ(kEditY, rect.top);
    EXPECT_EQ(kEditWidth, rect.right - rect.left);
    EXPECT_EQ(kEditHeight, rect.bottom - rect.top);
    SendMessageW(input, WM_SETCURSOR, reinterpret_cast<WPARAM>(input), MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_IBEAM), GetCursor());
    SendMessageW(input, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Parent()), 0);
    EXPECT_EQ(input, GetFocus());
    EXPECT_TRUE(edit->IsFocused());
}

// In a window at 150 %: the text's inset (3), the caret's width (2) and the
// rows the caret and the highlight leave free (3) at that scale.
class GUIEditAt150 : public GUIEditTest {
protected:
    GUIEditAt150() { windowDpi_ = 144; }
};

TEST_F(GUIEditAt150, InsetCaretAndHighlightAreAtTheWindowsScale) {
    constexpr int kHeight = 26;
    GUIEdit* edit = MakeEdit(L"hello world", kEditX, kEditY, 180, kHeight);
    edit->SetBackgroundColour(0xFFFFFF);
    edit->SetSelectionColours(0x00FF00, 0x0000FF);
    SetFocus(edit->Window());
    Key(edit, VK_HOME);
    Repaint();
    EXPECT_EQ(3, edit->CaretColumn());
    EXPECT_EQ(3, edit->TextWidget()->Position().x);
    for (int x : {3, 4}) {
        EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, x, 2)) << x;
        for (int y = 3; y <= kHeight - 4; ++y) EXPECT_EQ(0xFF0000FFu, EditPixel(edit, x, y)) << x << ", " << y;
        EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, x, kHeight - 3)) << x;
    }
    EXPECT_NE(0xFF0000FFu, EditPixel(edit, 5, 10));

    // The highlight of the whole text starts at the inset.
    ShiftKey(edit, VK_END);
    Repaint();
    EXPECT_EQ(0xFF0000FFu, EditPixel(edit, 3, 3));
    EXPECT_EQ(0xFFFFFFFFu, EditPixel(edit, 3, 2));
    EXPECT_NE(0xFF0000FFu, EditPixel(edit, 2, 10));
}

}  // namespace
