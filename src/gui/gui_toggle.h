// A check box: a 13 x 13 image showing selected or clear (each with a hover
// variant) followed by a text label. A completed click flips it and calls the
// change function.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gui/gui_object.h"

class GUIImage;
class GUIText;
class GUIToggle;

using ToggleChangeFunction = void (*)(GUIToggle* toggle);

class GUIToggle : public GUIObject {
public:
    // At 96 DPI.
    static constexpr int kBoxSize = 13;
    static constexpr int kLabelOffset = 22;  // from the box's left edge to the label

    // The images come from the skin entries TGL_SELECTED, TGL_CLEAR,
    // TGL_SELECTED_HOVER and TGL_CLEAR_HOVER; the label is sized to its text
    // in the default font.
    GUIToggle(HWND parentWindow, HINSTANCE instance, int x, int y, const std::wstring& label);
    ~GUIToggle() override;

    bool IsSelected() const { return selected_; }
    // Does not call the change function; invalidates only on a change.
    void SetSelected(bool selected);
    // 0xRRGGBB.
    void SetLabelColour(std::uint32_t colour);
    void SetChangeFunction(ToggleChangeFunction function) { change_ = function; }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC target, const RECT& dirty) override;

    bool IsHovering() const { return hover_; }
    GUIText* Label() const { return label_.get(); }

private:
    // Puts the box and the label at the toggle's place, sized for the
    // window's DPI (which changes when it moves onto another monitor).
    void PlaceParts();

    std::unique_ptr<GUIImage> selectedImage_;
    std::unique_ptr<GUIImage> clearImage_;
    std::unique_ptr<GUIImage> selectedHoverImage_;
    std::unique_ptr<GUIImage> clearHoverImage_;
    std::unique_ptr<GUIText> label_;
    HCURSOR cursor_ = nullptr;
    bool selected_ = false;
    bool hover_ = false;
    ToggleChangeFunction change_ = nullptr;
};
