// A single-line text entry drawn entirely by the toolkit: a framed box with
// its own background, text, selection highlight and caret, rendered into
// the widget's own picture and blended into the window like every other
// widget. Its input window takes the keyboard focus and handles keys,
// characters, mouse selection, the clipboard and tabbing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gui/edit_model.h"
#include "gui/gui_object.h"

class GUIText;

class GUIEdit : public GUIObject {
public:
    // Called just before typing, Backspace or Delete changes the content.
    using ChangeFunction = void (*)();

    GUIEdit(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
            const std::wstring& text);
    ~GUIEdit() override;

    std::wstring GetText() const { return model_.Text(); }
    // Replaces the content and puts the caret at the start.
    void SetText(const std::wstring& text);
    // Colours are 0xRRGGBB.
    void SetTextColour(int colour);
    // The selected text's colour and the highlight behind it (also the
    // caret's colour).
    void SetSelectionColours(int textColour, int backgroundColour);
    void SetBackgroundColour(int colour);
    void SetBorderColour(int colour);
    // Shows one '*' per character and keeps the content off the clipboard.
    void SetPassword(bool password);
    // Characters allowed; negative for no limit.
    void SetMaxLength(int characters);
    void SetChangeFunction(ChangeFunction function);

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Blends the widget's picture at its position when visible.
    void Paint(HDC target, const RECT& dirty) override;

    // Inspection, mainly for tests.
    int Caret() const { return model_.Caret(); }
    int Anchor() const { return model_.Anchor(); }
    int ScrollOffset() const { return scroll_; }
    bool IsFocused() const { return focused_; }
    bool IsPassword() const { return model_.Password(); }
    int MaxLength() const { return model_.MaxLength(); }
    // Window x of the caret's column (when it is drawn).
    int CaretColumn() const;
    // The picture: width x height bottom-up 0xAARRGGBB words; null before
    // the first render.
    const std::uint32_t* Pixels() const { return pixels_; }
    // The character index for a point `x` pixels from the start of the
    // shown text.
    int CharIndexAt(int x) const;
    // What the box shows (the content or its mask).
    std::wstring DisplayText() const { return model_.DisplayText(); }
    const GUIText* TextWidget() const { return text_.get(); }
    const GUIText* SelectionTextWidget() const { return selectionText_.get(); }

    // The LPARAM bit that marks characters posted by a paste.
    static constexpr LPARAM kPastedCharacter = LPARAM(1) << 29;

private:
    // Draws the picture again. `refreshText` gives the text widget the
    // current shown text; `showSelectionText` updates the selected part's
    // text and place.
    void Render(bool refreshText, bool showSelectionText);
    bool EnsureBitmap();
    void FreeBitmap();
    int Measure(const std::wstring& shown) const;

    LRESULT OnKeyDown(WPARAM key);
    void OnCharacter(wchar_t character, bool pasted);
    void OnBackspace();
    void OnDelete();
    void CopySelection() const;
    void PasteClipboard();
    void NotifyChange() const;

    std::unique_ptr<GUIText> text_;
    std::unique_ptr<GUIText> selectionText_;
    int scroll_ = 0;
    EditModel model_;
    HCURSOR cursor_ = nullptr;
    ScopedBitmap bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    int bitmapWidth_ = 0, bitmapHeight_ = 0;
    int renderedDpi_ = 0;  // the window's DPI at the last render
    bool focused_ = false;
    bool shiftDown_ = false;
    bool controlDown_ = false;
    int backgroundColour_ = 0xFFFFFF;
    int borderColour_ = 0x000000;
    int selectionBackground_ = 0x000000;
    ChangeFunction changeFunction_ = nullptr;
};
