// One skin bitmap drawn at the widget's rectangle: cropped when the widget is
// smaller than the image (or a source offset is set), otherwise repeated to
// fill it. It has no input window.
#pragma once

#include <windows.h>

#include <string>

#include "base/display_scale.h"
#include "gui/gui_object.h"

class GUIImage : public GUIObject {
public:
    // Loads the image file at `path`, drawn for 96 DPI, at `dpi` (0: the
    // window's, WindowDpi, and again at the window's new DPI when it moves
    // onto a monitor of another scale); if it does not load the widget draws
    // nothing.
    GUIImage(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
             const wchar_t* path, int dpi = 0);
    // Takes an existing premultiplied bitmap (the widget then owns it).
    GUIImage(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
             HBITMAP bitmap, int imageWidth, int imageHeight);
    ~GUIImage() override;

    // Where in the image the shown part starts; a negative argument keeps
    // that coordinate.
    void SetSourceOffset(int x, int y);

    void Paint(HDC target, const RECT& dirty) override;

    HBITMAP Bitmap() const { return bitmap_.get(); }
    SIZE ImageSize() const { return SIZE{imageWidth_, imageHeight_}; }
    POINT SourceOffset() const { return POINT{sourceX_, sourceY_}; }

private:
    void CreateDeviceContext();
    bool Load(const wchar_t* path, int dpi);
    // Loads the picture again when the window's DPI is no longer the one it
    // was loaded for.
    void FollowWindowDpi();
    void Blend(HDC target, int x, int y, int width, int height, int sourceX, int sourceY) const;

    ScopedBitmap bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
    int sourceX_ = 0;
    int sourceY_ = 0;
    std::wstring path_;    // empty: a bitmap handed over, or a fixed DPI
    int loadedDpi_ = 0;
};
