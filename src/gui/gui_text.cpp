#include "gui/gui_text.h"
#include "gui/argb_bitmap.h"

#include <algorithm>

#include "gui/text_layout.h"

GUIText::GUIText(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                 const std::wstring& text)
    : GUIObject(instance, parentWindow), text_(text) {
    ScopedWindowDC screen(nullptr);
    dc_.reset(CreateCompatibleDC(screen.get()));
    Place(x, y, width, height);
    autoSize_ = autoSizePending_ = width == 0 || height == 0;
}

GUIText::~GUIText() { FreeBitmap(); }

void GUIText::FreeBitmap() {
    if (!bitmap_) return;
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
    bitmap_.reset();
    oldBitmap_ = nullptr;
    bits_ = nullptr;
}

bool GUIText::SetText(const std::wstring& text) {
    if (text == text_) return false;
    autoSizePending_ = autoSize_;
    text_ = text;
    Render();
    return true;
}

void GUIText::SetColour(std::uint32_t colour) {
    colour_ = colour & 0xFFFFFF;
    Render();
}

void GUIText::SetAlignment(int alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Render();
}

void GUIText::SetSpacing(int pixels) {
    if (pixels == spacing_) return;
    spacing_ = pixels;
    autoSizePending_ = autoSize_;
    Render();
}

bool GUIText::SetFont(const std::vector<FontSpec>& fonts) {
    std::shared_ptr<FontFace> font = LoadFirstFont(ScaledFonts(fonts, WindowDpi()));
    if (!font) return false;
    ownFont_ = std::move(font);
    ownFontSpecs_ = fonts;
    ownFontDpi_ = WindowDpi();
    autoSizePending_ = autoSize_;
    Render();
    return true;
}

std::shared_ptr<FontFace> GUIText::FontInUse() const { return ownFont_ ? ownFont_ : DefaultFontAt(WindowDpi()); }

FontFace* GUIText::Font() const { return FontInUse().get(); }

SIZE GUIText::MeasureText(const std::wstring& text) const {
    const TextExtent extent = MeasureLine(FontInUse().get(), text, spacing_);
    return SIZE{extent.width, extent.height};
}

void GUIText::Resize(int width, int height) {
    GUIObject::Resize(width, height);
    Render();
}

void GUIText::FollowWindowDpi() {
    if (WindowDpi() != renderedDpi_) Render();
}

void GUIText::Render() {
    ++renderCount_;
    // At another DPI than before (the window moved onto a monitor of another
    // scale): the own font at its size there, and a new size for a widget
    // sized to its text.
    const int dpi = WindowDpi();
    if (ownFont_ && ownFontDpi_ != dpi) {
        if (std::shared_ptr<FontFace> font = LoadFirstFont(ScaledFonts(ownFontSpecs_, dpi))) ownFont_ = std::move(font);
        ownFontDpi_ = dpi;
    }
    if (renderedDpi_ != 0 && renderedDpi_ != dpi) autoSizePending_ = autoSize_;
    renderedDpi_ = dpi;
    FreeBitmap();
    const std::shared_ptr<FontFace> font = FontInUse();
    const TextExtent extent = MeasureLine(font.get(), text_, spacing_);
    LineLayout layout;
    if (autoSizePending_) {
        width_ = extent.width;
        height_ = extent.height;
        autoSizePending_ = false;
    } else {
        layout.overflow = extent.width > width_;
        if (alignment_ == kAlignCentre) {
            layout.start = (width_ - extent.width) / 2;
        } else if (alignment_ == kAlignRight) {
            layout.start = width_ - extent.width;
        }
    }
    if (!dc_ || width_ <= 0 || height_ <= 0) return;

    void* bits = nullptr;
    bitmap_.reset(CreateArgbBitmap(dc_.get(), width_, height_, &bits));
    if (!bitmap_) return;
    bits_ = static_cast<std::uint32_t*>(bits);
    std::fill(bits_, bits_ + static_cast<std::size_t>(width_) * height_, 0u);
    oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
    DrawLine(font.get(), text_, spacing_, colour_, layout, bits_, width_, height_);
    GdiFlush();
}

void GUIText::Paint(HDC target, const RECT&) {
    if (!visible_) return;
    if (!bitmap_) {
        Render();
    } else {
        FollowWindowDpi();
    }
    if (!bitmap_) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(target, x_, y_, width_, height_, dc_.get(), 0, 0, width_, height_, blend);
}
