#include "gui/gui_toggle.h"

#include <windowsx.h>

#include "base/display_scale.h"
#include "gui/gui_image.h"
#include "gui/pointer_input.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"

GUIToggle::GUIToggle(HWND parentWindow, HINSTANCE instance, int x, int y,
                     const std::wstring& label)
    : GUIObject(instance, parentWindow), cursor_(LoadCursorW(nullptr, IDC_HAND)) {
    // The box and the label's place at the window's DPI.
    const int dpi = WindowDpi(), side = ScaleLength(kBoxSize, dpi), offset = ScaleLength(kLabelOffset, dpi);
    auto box = [&](const char* name) {
        return std::make_unique<GUIImage>(parentWindow, instance, x, y, side, side, SkinPath(name));
    };
    selectedImage_ = box("TGL_SELECTED");
    clearImage_ = box("TGL_CLEAR");
    selectedHoverImage_ = box("TGL_SELECTED_HOVER");
    clearHoverImage_ = box("TGL_CLEAR_HOVER");
    label_ = std::make_unique<GUIText>(parentWindow, instance, x + offset, y - ScaleLength(1, dpi), 0, 0, label);
    x_ = x;
    y_ = y;
    width_ = label_->MeasureText(label).cx + offset;
    height_ = side;
    window_ = CreateInputWindow(x_, y_, width_, height_, true);
}

GUIToggle::~GUIToggle() = default;

void GUIToggle::SetSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    Invalidate();
}

void GUIToggle::SetLabelColour(std::uint32_t colour) {
    label_->SetColour(colour);
    Invalidate();
}

LRESULT GUIToggle::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        SetCursor(cursor_);
        return 0;
    case WM_MOUSEMOVE:
        if (!hover_) {
            hover_ = true;
            Invalidate();
            TrackPointerLeave(window_);
        }
        return 0;
    case WM_MOUSELEAVE:
        if (hover_) {
            hover_ = false;
            Invalidate();
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window_);
        return 0;
    case WM_LBUTTONUP:
        if (ReleasedInside(window_, lParam)) {
            selected_ = !selected_;
            if (change_) change_(this);
            Invalidate();
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void GUIToggle::PlaceParts() {
    const int dpi = WindowDpi(), side = ScaleLength(kBoxSize, dpi);
    for (GUIImage* box : {selectedImage_.get(), clearImage_.get(), selectedHoverImage_.get(),
                          clearHoverImage_.get()}) {
        if (box->Position().x != x_ || box->Position().y != y_) box->Move(x_, y_);
        if (box->Size().cx != side || box->Size().cy != side) box->Resize(side, side);
    }
    const POINT label{x_ + ScaleLength(kLabelOffset, dpi), y_ - ScaleLength(1, dpi)};
    if (label_->Position().x != label.x || label_->Position().y != label.y) label_->Move(label.x, label.y);
}

void GUIToggle::Paint(HDC target, const RECT& dirty) {
    if (!visible_) return;
    PlaceParts();
    const auto& box = selected_ ? (hover_ ? selectedHoverImage_ : selectedImage_)
                                : (hover_ ? clearHoverImage_ : clearImage_);
    box->Paint(target, dirty);
    label_->Paint(target, dirty);
}
