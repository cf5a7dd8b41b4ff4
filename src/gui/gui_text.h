// A line of text drawn by the toolkit itself: rasterised with FreeType into a
// cached premultiplied bitmap that is blended into the window on paint. It
// renders again only when its text, colour, alignment, spacing, font or size
// changes. It has no input window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/font_face.h"
#include "gui/gui_object.h"

class GUIText : public GUIObject {
public:
    enum Alignment : int { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

    // Width or height 0: the widget takes the size of its text on the next
    // render (and again after SetText, SetFont or SetSpacing). Nothing is
    // rendered yet.
    GUIText(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
            const std::wstring& text);
    ~GUIText() override;

    // False (and no render) when the text is the current one.
    bool SetText(const std::wstring& text);
    // 0xRRGGBB; higher bits are ignored.
    void SetColour(std::uint32_t colour);
    // kAlignCentre, kAlignRight, anything else is left.
    void SetAlignment(int alignment);
    // Extra pixels after every glyph's advance.
    void SetSpacing(int pixels);
    // Loads the first loadable face of `fonts` (sizes at 96 DPI, loaded at
    // the window's, and again at its new DPI when it moves onto a monitor of
    // another scale) as this widget's own font; false (font unchanged) when
    // none loads.
    bool SetFont(const std::vector<FontSpec>& fonts);

    // Width and height of `text` in this widget's font and spacing.
    SIZE MeasureText(const std::wstring& text) const;

    // Stores the size and renders at it.
    void Resize(int width, int height) override;
    // Blends the cached bitmap at the widget's position (renders first if
    // there is none yet).
    void Paint(HDC target, const RECT& dirty) override;

    const std::wstring& Text() const { return text_; }
    std::uint32_t Colour() const { return colour_; }
    int GetAlignment() const { return alignment_; }
    int Spacing() const { return spacing_; }
    // The widget's own font, or the default one at the window's DPI.
    FontFace* Font() const;
    bool HasOwnFont() const { return ownFont_ != nullptr; }
    // The rendered picture (bottom-up 0xAARRGGBB rows, width x height), null
    // before the first render; RenderCount counts renders, for tests.
    HBITMAP Bitmap() const { return bitmap_.get(); }
    const std::uint32_t* Pixels() const { return bits_; }
    int RenderCount() const { return renderCount_; }

private:
    std::shared_ptr<FontFace> FontInUse() const;
    void Render();
    void FreeBitmap();
    // Sets the text again at the window's DPI when it is no longer the one
    // it was rendered at.
    void FollowWindowDpi();

    int spacing_ = 0;
    std::shared_ptr<FontFace> ownFont_;
    std::vector<FontSpec> ownFontSpecs_;  // at 96 DPI
    int ownFontDpi_ = 0;                  // what ownFont_ is set for
    int renderedDpi_ = 0;                 // 0: not rendered yet
    std::wstring text_;
    ScopedBitmap bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    std::uint32_t colour_ = 0;
    int alignment_ = kAlignLeft;
    bool autoSizePending_ = false;
    bool autoSize_ = false;
    int renderCount_ = 0;
};
