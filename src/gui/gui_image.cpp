#include "gui/gui_image.h"

#include <algorithm>

#include "gui/image_library.h"

GUIImage::GUIImage(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                   const wchar_t* path, int dpi)
    : GUIImage(parentWindow, instance, x, y, width, height, nullptr, 0, 0) {
    if (!dpi && path) path_ = path;
    Load(path, dpi ? dpi : WindowDpi());
}

GUIImage::GUIImage(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                   HBITMAP bitmap, int imageWidth, int imageHeight)
    : GUIObject(instance, parentWindow),
      bitmap_(bitmap),
      imageWidth_(imageWidth),
      imageHeight_(imageHeight) {
    Place(x, y, width, height);
    CreateDeviceContext();
    InitImageLibrary();
}

GUIImage::~GUIImage() {
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
}

bool GUIImage::Load(const wchar_t* path, int dpi) {
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
    oldBitmap_ = nullptr;
    imageWidth_ = imageHeight_ = 0;
    loadedDpi_ = dpi;
    SIZE size{0, 0};
    if (!LoadImageBitmap(path, bitmap_.put(), nullptr, &size, dpi)) {
        return false;
    }
    imageWidth_ = size.cx;
    imageHeight_ = size.cy;
    return true;
}

void GUIImage::FollowWindowDpi() {
    if (path_.empty()) return;
    const int dpi = WindowDpi();
    if (dpi == loadedDpi_) return;
    // A widget exactly as large as its picture (a button's) stays so.
    const bool fitted = width_ == imageWidth_ && height_ == imageHeight_;
    Load(path_.c_str(), dpi);
    if (fitted) GUIObject::Resize(imageWidth_, imageHeight_);
}

void GUIImage::CreateDeviceContext() {
    ScopedWindowDC screen(nullptr);
    dc_.reset(CreateCompatibleDC(screen.get()));
}

void GUIImage::SetSourceOffset(int x, int y) {
    if (x >= 0) sourceX_ = x;
    if (y >= 0) sourceY_ = y;
}

void GUIImage::Blend(HDC target, int x, int y, int width, int height, int sourceX,
                     int sourceY) const {
    if (width <= 0 || height <= 0) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(target, x, y, width, height, dc_.get(), sourceX, sourceY, width, height, blend);
}

void GUIImage::Paint(HDC target, const RECT&) {
    FollowWindowDpi();
    if (!bitmap_ || !visible_ || !dc_ || imageWidth_ <= 0 || imageHeight_ <= 0) return;
    HGDIOBJ previous = SelectObject(dc_.get(), bitmap_.get());
    if (!oldBitmap_) oldBitmap_ = previous;

    if (width_ < imageWidth_ || height_ < imageHeight_ || sourceX_ != 0 || sourceY_ != 0) {
        Blend(target, x_, y_, std::min(width_, imageWidth_ - sourceX_),
              std::min(height_, imageHeight_ - sourceY_), sourceX_, sourceY_);
        return;
    }
    // Tile from the image's top-left corner; the last column and row take
    // only what is left of the widget, so the whole rectangle is covered.
    for (int top = 0; top < height_; top += imageHeight_) {
        const int tileHeight = std::min(imageHeight_, height_ - top);
        for (int left = 0; left < width_; left += imageWidth_) {
            const int tileWidth = std::min(imageWidth_, width_ - left);
            Blend(target, x_ + left, y_ + top, tileWidth, tileHeight, 0, 0);
        }
    }
}
