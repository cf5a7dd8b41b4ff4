#include "gui/gui_page.h"
#include "gui/argb_bitmap.h"

#include <algorithm>
#include <cstdint>

#include "gui/owned_list.h"
#include "gui/skinnable_window.h"

GUIPage::GUIPage(SkinnableWindow* window)
    : GUIObject(window->Instance(), window->MainWindow()), owner_(window) {
    // Never shown: it only carries the fade timer.
    window_ = CreateInputWindow(0, 0, 10, 10, false);
    dc_.reset(CreateCompatibleDC(nullptr));
}

GUIPage::~GUIPage() {
    if (window_) KillTimer(window_, kFadeTimer);
    children_.clear();
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
}

void GUIPage::Adopt(std::unique_ptr<GUIObject> child) {
    child->SetPage(this);
    children_.push_back(std::move(child));
}

std::unique_ptr<GUIObject> GUIPage::RemoveChild(GUIObject* child) {
    std::unique_ptr<GUIObject> removed = TakeOwned(children_, child);
    if (removed) removed->SetPage(nullptr);
    return removed;
}

std::vector<GUIObject*> GUIPage::Children() const {
    return Borrowed(children_);
}

void GUIPage::ApplyToChildren(bool hidden) {
    for (const auto& child : children_) child->ApplyPageVisibility(hidden);
}

void GUIPage::SetShown(bool show, bool animate) {
    if (show && animate) {
        fadeStep_ = kFadeStep;
        SetTimer(window_, kFadeTimer, kFadeInterval, nullptr);
        ApplyToChildren(false);  // live while the page fades in
    } else if (show) {
        opacity_ = 255;
        ApplyToChildren(false);
    } else if (animate) {
        fadeStep_ = -kFadeStep;
        SetTimer(window_, kFadeTimer, kFadeInterval, nullptr);
    } else {
        fadeStep_ = 0;
        opacity_ = 0;
        ApplyToChildren(true);
    }
}

LRESULT GUIPage::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        opacity_ += fadeStep_;
        if (opacity_ <= 0) {
            opacity_ = 0;
            KillTimer(window_, kFadeTimer);
            ApplyToChildren(true);
        } else if (opacity_ > 254) {
            opacity_ = 255;
            KillTimer(window_, kFadeTimer);
            ApplyToChildren(false);
        }
        owner_->Invalidate(nullptr);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void GUIPage::Paint(HDC target, const RECT& dirty) {
    RECT client{};
    GetClientRect(owner_->MainWindow(), &client);
    const int width = client.right, height = client.bottom;
    if (bitmap_ && bitmapWidth_ == width && bitmapHeight_ == height) {
        ClearArgbRect(static_cast<std::uint32_t*>(bitmapBits_), width, height, dirty);
    } else {
        if (oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
        bitmap_.reset();
        oldBitmap_ = nullptr;
        bitmapBits_ = nullptr;
        bitmapWidth_ = bitmapHeight_ = 0;
        bitmap_.reset(CreateArgbBitmap(dc_.get(), width, height, &bitmapBits_));
        if (!bitmap_) return;
        oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
        bitmapWidth_ = width;
        bitmapHeight_ = height;
    }
    // Children draw in window coordinates: the bitmap is a full-window layer.
    // Only the cleared part may be drawn again, or translucent pixels would
    // pile up on the ones kept from the last paint.
    ScopedRegion clip(CreateRectRgnIndirect(&dirty));
    SelectClipRgn(dc_.get(), clip.get());
    for (const auto& child : children_) child->Paint(dc_.get(), dirty);
    if (opacity_ > 0) {
        BLENDFUNCTION blend{};
        blend.BlendOp = AC_SRC_OVER;
        blend.SourceConstantAlpha = static_cast<BYTE>(opacity_);
        blend.AlphaFormat = AC_SRC_ALPHA;
        AlphaBlend(target, 0, 0, width, height, dc_.get(), 0, 0, width, height, blend);
    }
}
