#include "gui/gui_button.h"

#include <windowsx.h>

#include "gui/gui_image.h"
#include "gui/pointer_input.h"
#include "gui/gui_text.h"

GUIButton::GUIButton(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                     const wchar_t* normalPath, const wchar_t* hoverPath, int dpi)
    : GUIObject(instance, parentWindow),
      imageButton_(true),
      cursor_(LoadCursorW(nullptr, IDC_HAND)) {
    Place(x, y, width, height);
    window_ = CreateInputWindow(x, y, width, height, true);
    normalImage_ = std::make_unique<GUIImage>(parentWindow, instance, x, y, width, height, normalPath, dpi);
    if (hoverPath) {
        hoverImage_ = std::make_unique<GUIImage>(parentWindow, instance, x, y, width, height, hoverPath, dpi);
    }
}

GUIButton::GUIButton(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                     const std::wstring& text, std::uint32_t normalColour,
                     std::uint32_t hoverColour)
    : GUIObject(instance, parentWindow),
      normalColour_(normalColour),
      hoverColour_(hoverColour),
      cursor_(LoadCursorW(nullptr, IDC_HAND)) {
    label_ = std::make_unique<GUIText>(parentWindow, instance, x, y, width, height, text);
    label_->SetAlignment(GUIText::kAlignLeft);
    label_->SetColour(normalColour);  // renders, so an auto-sized label knows its size
    const SIZE size = label_->Size();
    Place(x, y, size.cx, size.cy);
    window_ = CreateInputWindow(x, y, size.cx, size.cy, true);
}

GUIButton::~GUIButton() = default;

bool GUIButton::SetLabelFont(const std::vector<FontSpec>& fonts) {
    if (!label_ || !label_->SetFont(fonts)) return false;
    FollowLabelSize();
    return true;
}

void GUIButton::SetLabelSpacing(int pixels) {
    if (!label_) return;
    label_->SetSpacing(pixels);
    FollowLabelSize();
}

void GUIButton::SetLabelColours(std::uint32_t normalColour, std::uint32_t hoverColour) {
    normalColour_ = normalColour;
    hoverColour_ = hoverColour;
    if (label_) label_->SetColour(hover_ ? hoverColour_ : normalColour_);
}

bool GUIButton::SetLabelText(const std::wstring& text) {
    if (!label_ || !label_->SetText(text)) return false;
    FollowLabelSize();
    return true;
}

void GUIButton::FollowLabelSize() {
    const SIZE size = label_->Size();
    if (size.cx != width_ || size.cy != height_) GUIObject::Resize(size.cx, size.cy);
}

LRESULT GUIButton::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        SetCursor(cursor_);
        return 0;
    case WM_MOUSEMOVE:
        if (!hover_) {
            if (label_) label_->SetColour(hoverColour_);
            hover_ = true;
            Invalidate();
            TrackPointerLeave(window_);
        }
        return 0;
    case WM_MOUSELEAVE:
        if (hover_) {
            hover_ = false;
            if (label_) label_->SetColour(normalColour_);
            Invalidate();
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (click_) SetCapture(window_);
        return 0;
    case WM_LBUTTONUP:
        if (click_ && ReleasedInside(window_, lParam)) click_(userData_, wParam);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void GUIButton::Move(int x, int y) {
    GUIObject::Move(x, y);
    if (label_) label_->Move(x, y);
    if (normalImage_) normalImage_->Move(x, y);
    if (hoverImage_) hoverImage_->Move(x, y);
}

void GUIButton::Resize(int width, int height) {
    GUIObject::Resize(width, height);
    // Images keep their size; a label renders again at the new one.
    if (label_) label_->Resize(width, height);
}

void GUIButton::Paint(HDC target, const RECT& dirty) {
    if (!window_ || !visible_) return;
    if (label_) {
        label_->Paint(target, dirty);
        // Set again at another DPI, a label sized to its text has a new size.
        FollowLabelSize();
    } else {
        (hover_ ? HoverImage() : NormalImage())->Paint(target, dirty);
    }
}
