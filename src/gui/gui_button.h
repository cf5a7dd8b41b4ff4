// A clickable button: either two images (normal and hover) or a text label
// whose colour changes on hover. A completed click inside calls a plain
// function with the button's user data.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/display_scale.h"
#include "gui/font_face.h"
#include "gui/gui_object.h"

class GUIImage;
class GUIText;

// Called with the button's user data and the mouse-key flags (MK_*) of the
// button release.
using ButtonClickFunction = void (*)(void* userData, WPARAM keys);

class GUIButton : public GUIObject {
public:
    // Image button; without a hover path the normal image also shows on hover.
    // The images are drawn for 96 DPI and shown at `dpi` (0: the window's).
    GUIButton(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
              const wchar_t* normalPath, const wchar_t* hoverPath, int dpi = 0);
    // Text button, left-aligned; width or height 0 sizes it to its text.
    // Colours are 0xRRGGBB.
    GUIButton(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
              const std::wstring& text, std::uint32_t normalColour, std::uint32_t hoverColour);
    ~GUIButton() override;

    void SetClickFunction(ButtonClickFunction function) { click_ = function; }
    void SetUserData(void* userData) { userData_ = userData; }

    // Text buttons only: the label's font and spacing. A label sized to its
    // text takes the button's input window along to its new size. An image
    // button ignores them (SetLabelFont answers false).
    bool SetLabelFont(const std::vector<FontSpec>& fonts);
    void SetLabelSpacing(int pixels);
    // Text buttons only: shows `text` instead, the same way. False for an
    // image button or when the text is the one shown.
    bool SetLabelText(const std::wstring& text);
    // Text buttons only: the normal and hover colours (0xRRGGBB).
    void SetLabelColours(std::uint32_t normalColour, std::uint32_t hoverColour);

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Move(int x, int y) override;
    void Resize(int width, int height) override;
    void Paint(HDC target, const RECT& dirty) override;

    bool IsImageButton() const { return imageButton_; }
    bool IsHovering() const { return hover_; }
    void* UserData() const { return userData_; }
    GUIText* Label() const { return label_.get(); }
    GUIImage* NormalImage() const { return normalImage_.get(); }
    // The normal image itself when the button has no hover image.
    GUIImage* HoverImage() const { return hoverImage_ ? hoverImage_.get() : normalImage_.get(); }

private:
    void FollowLabelSize();

    std::unique_ptr<GUIImage> normalImage_;
    std::unique_ptr<GUIImage> hoverImage_;  // none: the normal image shows on hover
    std::unique_ptr<GUIText> label_;
    std::uint32_t normalColour_ = 0;
    std::uint32_t hoverColour_ = 0;
    bool imageButton_ = false;
    HCURSOR cursor_ = nullptr;
    bool hover_ = false;
    ButtonClickFunction click_ = nullptr;
    void* userData_ = nullptr;
};
