#include "gui/gui_edit.h"
#include "gui/argb_bitmap.h"

#include <windowsx.h>

#include <cstring>

#include "base/display_scale.h"
#include "gui/edit_canvas.h"
#include "gui/edit_layout.h"
#include "gui/gui_text.h"

namespace {

void Beep() { MessageBeep(static_cast<UINT>(-1)); }

// Characters that act as commands when typed. Coming from the clipboard they
// are dropped: a pasted Ctrl+V would paste again for ever, and a pasted
// Backspace or select-all would edit instead of insert.
bool IsCommandCharacter(wchar_t character) {
    switch (character) {
    case 1: case 3: case 8: case 22: case 24: case 127:
        return true;
    default:
        return false;
    }
}

}  // namespace

GUIEdit::GUIEdit(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                 const std::wstring& text)
    : GUIObject(instance, parentWindow) {
    Place(x, y, width, height);
    window_ = CreateInputWindow(x, y, width, height, true);
    if (window_) {
        // Tabbing between edit boxes needs the tab-stop style.
        SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) | WS_TABSTOP);
    }
    // The two text widgets draw only into this widget's picture (nothing
    // invalidates them); they know the window for its DPI.
    text_ = std::make_unique<GUIText>(parentWindow, instance, kEditTextInset, 1, 0, 0, L"");
    selectionText_ = std::make_unique<GUIText>(parentWindow, instance, kEditTextInset, 1, 0, 0, L"");
    model_.SetText(text);
    cursor_ = LoadCursorW(nullptr, IDC_IBEAM);

    ScopedWindowDC windowDc(window_);
    dc_.reset(CreateCompatibleDC(windowDc.get()));

    text_->SetColour(0x000000);
    Render(true, false);
}

GUIEdit::~GUIEdit() {
    FreeBitmap();
}

void GUIEdit::SetText(const std::wstring& text) {
    model_.SetText(text);
    Render(true, false);
}

void GUIEdit::SetTextColour(int colour) {
    text_->SetColour(static_cast<std::uint32_t>(colour));
    Render(false, false);
}

void GUIEdit::SetSelectionColours(int textColour, int backgroundColour) {
    selectionText_->SetColour(static_cast<std::uint32_t>(textColour));
    selectionBackground_ = backgroundColour;
    Render(false, false);
}

void GUIEdit::SetBackgroundColour(int colour) {
    backgroundColour_ = colour;
    Render(false, false);
}

void GUIEdit::SetBorderColour(int colour) {
    borderColour_ = colour;
    Render(false, false);
}

void GUIEdit::SetPassword(bool password) {
    if (password == model_.Password()) return;
    model_.SetPassword(password);
    // The selected part is drawn by its own text widget: refresh it too, or
    // switching to password mode would leave the selected characters shown.
    Render(true, true);
}

void GUIEdit::SetMaxLength(int characters) { model_.SetMaxLength(characters); }

void GUIEdit::SetChangeFunction(ChangeFunction function) { changeFunction_ = function; }

int GUIEdit::Measure(const std::wstring& shown) const {
    return shown.empty() ? 0 : text_->MeasureText(shown).cx;
}

int GUIEdit::CharIndexAt(int x) const {
    return ::CharIndexAt(model_.DisplayText(), x,
                         [this](const std::wstring& shown) { return Measure(shown); });
}

int GUIEdit::CaretColumn() const {
    return Measure(model_.DisplayRange(0, model_.Caret())) + scroll_ + ScaleLength(kEditTextInset, WindowDpi());
}

bool GUIEdit::EnsureBitmap() {
    if (bitmap_ && bitmapWidth_ == width_ && bitmapHeight_ == height_) return true;
    FreeBitmap();
    if (!dc_ || width_ <= 0 || height_ <= 0) return false;
    void* bits = nullptr;
    bitmap_.reset(CreateArgbBitmap(dc_.get(), width_, height_, &bits));
    if (!bitmap_) return false;
    pixels_ = static_cast<std::uint32_t*>(bits);
    bitmapWidth_ = width_;
    bitmapHeight_ = height_;
    oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
    return true;
}

void GUIEdit::FreeBitmap() {
    if (!bitmap_) return;
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
    bitmap_.reset();
    oldBitmap_ = nullptr;
    pixels_ = nullptr;
    bitmapWidth_ = bitmapHeight_ = 0;
}

void GUIEdit::Render(bool refreshText, bool showSelectionText) {
    renderedDpi_ = WindowDpi();
    if (!EnsureBitmap()) return;
    // The text's inset, its line and the caret's width, and the band the
    // highlight and caret leave at top and bottom, at the window's scale.
    const int inset = ScaleLength(kEditTextInset, renderedDpi_);
    const int line = ScaleLength(1, renderedDpi_);
    const int band = ScaleLength(2, renderedDpi_);
    const int w = bitmapWidth_;
    const int h = bitmapHeight_;
    const PixelCanvas canvas{pixels_, w, h};
    const RECT whole{0, 0, w, h};
    canvas.Fill(0, 0, w, h, OpaquePixel(backgroundColour_));

    const int caret = model_.Caret();
    const int caretWidth = Measure(model_.DisplayRange(0, caret));
    scroll_ = ScrollForCaret(scroll_, caretWidth, caret == 0, w);

    if (refreshText) text_->SetText(model_.DisplayText());
    text_->Move(scroll_ + inset, line);
    if (!text_->Text().empty()) text_->Paint(dc_.get(), whole);
    GdiFlush();  // the blend must land before the pixels are written directly

    if (model_.HasSelection()) {
        const int start = model_.SelectionStart();
        const int end = model_.SelectionEnd();
        const std::wstring selected = model_.DisplayRange(start, end);
        const int before = Measure(model_.DisplayRange(0, start));
        const SelectionSpan span = SelectionColumns(before, Measure(selected), scroll_, w, inset);
        canvas.Fill(span.left, band, span.left + span.width, h - band,
                    OpaquePixel(selectionBackground_));
        if (showSelectionText) {
            selectionText_->SetText(selected);
            selectionText_->Move(before + scroll_ + inset, line);
        }
        if (!selectionText_->Text().empty()) selectionText_->Paint(dc_.get(), whole);
        GdiFlush();
    }

    if (focused_ && !model_.HasSelection()) {
        const int column = caretWidth + scroll_ + inset;
        canvas.Fill(column, band, column + line, h - band, OpaquePixel(selectionBackground_));
    }

    DrawEditFrame(canvas, borderColour_, backgroundColour_);
    Invalidate();
}

void GUIEdit::Paint(HDC target, const RECT&) {
    // Resized, or its window moved onto a monitor of another scale.
    if (visible_ && (bitmapWidth_ != width_ || bitmapHeight_ != height_ || renderedDpi_ != WindowDpi())) {
        Render(true, true);
    }
    if (!visible_ || !bitmap_) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(target, x_, y_, bitmapWidth_, bitmapHeight_, dc_.get(), 0, 0, bitmapWidth_, bitmapHeight_,
               blend);
}

void GUIEdit::NotifyChange() const {
    if (changeFunction_) changeFunction_();
}

LRESULT GUIEdit::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        focused_ = true;
        Render(false, false);
        return 0;
    case WM_KILLFOCUS:
        focused_ = false;
        // Key releases go to whichever window has the focus then; a modifier
        // left "down" here would refuse all typing later.
        shiftDown_ = controlDown_ = false;
        Render(false, false);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        SetCursor(cursor_);
        return 0;
    case WM_MOUSEACTIVATE:
        SetFocus(window);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
        if (GetFocus() != window) SetFocus(window);
        SetCapture(window);  // keep selecting while the pointer leaves the box
        model_.MoveTo(CharIndexAt(GET_X_LPARAM(lParam) - scroll_), false);
        Render(false, true);
        return 0;
    case WM_MOUSEMOVE:
        if (wParam & MK_LBUTTON) {
            model_.MoveTo(CharIndexAt(GET_X_LPARAM(lParam) - scroll_), true);
            Render(false, true);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == window) ReleaseCapture();
        return 0;
    case WM_LBUTTONDBLCLK:
        model_.SelectWordAt(CharIndexAt(GET_X_LPARAM(lParam) - scroll_));
        Render(false, true);
        return 0;
    case WM_KEYDOWN:
        return OnKeyDown(wParam);
    case WM_KEYUP:
        if (wParam == VK_SHIFT) shiftDown_ = false;
        if (wParam == VK_CONTROL) controlDown_ = false;
        return 0;
    case WM_CHAR:
        OnCharacter(static_cast<wchar_t>(wParam), (lParam & kPastedCharacter) != 0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT GUIEdit::OnKeyDown(WPARAM key) {
    switch (key) {
    case VK_SHIFT:
        shiftDown_ = true;
        break;
    case VK_CONTROL:
        controlDown_ = true;
        break;
    case VK_HOME:
        model_.MoveTo(0, shiftDown_);
        Render(false, true);
        break;
    case VK_END:
        model_.MoveTo(model_.Length(), shiftDown_);
        Render(false, true);
        break;
    case VK_LEFT:
        if (model_.MoveLeft(controlDown_, shiftDown_)) Render(false, true);
        break;
    case VK_RIGHT:
        if (model_.MoveRight(controlDown_, shiftDown_)) Render(false, true);
        break;
    case VK_DELETE:
        OnDelete();
        break;
    default:
        break;
    }
    return 0;
}

void GUIEdit::OnDelete() {
    NotifyChange();
    if (model_.HasSelection()) {
        model_.EraseSelection();
        Render(true, true);
    } else {
        model_.EraseForward(controlDown_);
        Render(true, false);
    }
}

void GUIEdit::OnBackspace() {
    if (model_.Caret() == 0 && model_.Anchor() == 0) return;
    NotifyChange();
    if (model_.HasSelection()) {
        model_.EraseSelection();
        Render(true, true);
    } else {
        model_.EraseBackward(controlDown_);
        Render(true, false);
    }
}

void GUIEdit::OnCharacter(wchar_t character, bool pasted) {
    if (pasted && IsCommandCharacter(character)) return;
    switch (character) {
    case 1:  // Ctrl+A
        model_.SelectAll();
        Render(false, true);
        return;
    case 3:  // Ctrl+C
        if (!model_.Password() && model_.HasSelection()) CopySelection();
        return;
    case 8:    // Backspace
    case 127:  // Ctrl+Backspace
        OnBackspace();
        return;
    case 9:  // Tab
        if (!pasted) {
            if (HWND next = GetNextDlgTabItem(parentWindow_, window_, FALSE)) SetFocus(next);
        }
        return;
    case 10:
    case 13:
    case 27:
        Beep();
        return;
    case 22:  // Ctrl+V
        PasteClipboard();
        return;
    case 24:  // Ctrl+X: copy, then delete the selection, both in turn
        if (!model_.Password() && model_.HasSelection()) {
            PostMessageW(window_, WM_CHAR, 3, 0);
            PostMessageW(window_, WM_CHAR, 8, 0);
        }
        return;
    default:
        break;
    }
    // Control with Alt is AltGr, which types characters such as '@' on many
    // keyboards. The limit is tested before a selection would be replaced.
    const bool altGr = GetKeyState(VK_MENU) < 0;
    if ((controlDown_ && !altGr && !pasted) || model_.IsFull()) {
        Beep();
        return;
    }
    NotifyChange();
    model_.Insert(character);
    Render(true, true);
}

void GUIEdit::CopySelection() const {
    const std::wstring selected = model_.SelectedText();
    if (!OpenClipboard(window_)) return;
    EmptyClipboard();
    const SIZE_T bytes = 2 * selected.size() + 2;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {
        void* target = GlobalLock(block);
        if (target) {
            std::memcpy(target, selected.data(), 2 * selected.size());
            GlobalUnlock(block);
        }
        // The clipboard owns the block once it accepts it.
        if (!target || !SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

void GUIEdit::PasteClipboard() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(window_)) return;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            const SIZE_T count = GlobalSize(data) / sizeof(wchar_t);
            // Each character goes through the same checks as a typed one.
            for (SIZE_T i = 0; i < count && text[i]; ++i) {
                if (!PostMessageW(window_, WM_CHAR, text[i], kPastedCharacter)) break;
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
}
