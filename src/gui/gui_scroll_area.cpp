#include "gui/gui_scroll_area.h"

#include <windowsx.h>

#include <algorithm>

#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/scroll_geometry.h"
#include "gui/skin_catalogue.h"

namespace sg = scroll_geometry;

namespace {

constexpr int kBarWidth = 14;   // the scroll-bar column's images
constexpr int kCapHeight = 7;   // top and bottom pieces of track and thumb
constexpr int kListGap = 16;    // the list stops this far from the right edge

bool HasVisibleStyle(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MoveIfMoved(GUIObject* item, int x, int y) {
    const POINT now = item->Position();
    if (now.x != x || now.y != y) item->Move(x, y);
}

}  // namespace

ScrollBarImagePaths SkinScrollBarImages() {
    return ScrollBarImagePaths{SkinPath("SB_BG_TOP"), SkinPath("SB_BG_MIDDLE"),
                               SkinPath("SB_BG_BOTTOM"), SkinPath("SB_TOP"),
                               SkinPath("SB_MIDDLE"), SkinPath("SB_BOTTOM")};
}

GUIScrollArea::GUIScrollArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width,
                             int height)
    : GUIScrollArea(parentWindow, instance, x, y, width, height, SkinScrollBarImages()) {}

GUIScrollArea::GUIScrollArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width,
                             int height, const ScrollBarImagePaths& images)
    : GUIObject(instance, parentWindow) {
    Place(x, y, width, height);

    RECT client{0, 0, 0, 0};
    GetClientRect(parentWindow, &client);
    contentWindow_ = CreateInputWindow(0, 0, client.right, client.bottom, true);
    contentSize_ = SIZE{client.right, client.bottom};
    // Until the first paint the list region already keeps the content window
    // off the rest of the parent.
    UpdateContentWindow(RECT{x, y, x + width - kListGap, y + height});

    const int barX = x + width - 15;
    const int middleHeight = height - 2 * kCapHeight - 2;
    trackTop_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + 1, kBarWidth, kCapHeight,
                                           images.trackTop);
    trackMiddle_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + 8, kBarWidth, middleHeight,
                                              images.trackMiddle);
    trackBottom_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + height - 8, kBarWidth,
                                              kCapHeight, images.trackBottom);
    thumbTop_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + 1, kBarWidth, kCapHeight,
                                           images.thumbTop);
    thumbMiddle_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + 8, kBarWidth, middleHeight,
                                              images.thumbMiddle);
    thumbBottom_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + height - 8, kBarWidth,
                                              kCapHeight, images.thumbBottom);

    thumbWindow_ = CreateInputWindow(x + width - 13, y + 3, kThumbWidth, kThumbWidth, true);
    cursor_ = LoadCursorW(nullptr, IDC_HAND);
}

GUIScrollArea::~GUIScrollArea() {
    if (thumbWindow_ && animating_) KillTimer(thumbWindow_, kAnimationTimer);
    for (HWND window : {thumbWindow_, contentWindow_}) {
        if (!window) continue;
        ForgetInputWindow(window);
        if (IsWindow(window)) DestroyWindow(window);
    }
}

void GUIScrollArea::SetItemHeight(int pixels) { itemHeight_ = pixels; }

bool GUIScrollArea::AddItem(GUIObject* item, bool animate) {
    if (!item) return false;
    if (animate) {
        pendingInserts_.push_back(item);
        // Not drawn until it slides in, so its windows must not catch clicks.
        MoveIfMoved(item, x_, y_ - itemHeight_);
        StartAnimation();
    } else {
        items_.insert(items_.begin(), item);
        Invalidate();
    }
    return true;
}

GUIObject* GUIScrollArea::RemoveItem(GUIObject* item, bool animate) {
    const auto found = std::find(items_.begin(), items_.end(), item);
    if (found == items_.end()) return nullptr;
    if (animate) {
        // Removing a collapsing item again must not hand it over twice.
        if (!IsPendingRemoval(item)) pendingRemovals_.push_back(item);
        StartAnimation();
        return item;
    }
    items_.erase(found);
    const auto pending = std::find(pendingRemovals_.begin(), pendingRemovals_.end(), item);
    if (pending != pendingRemovals_.end()) {
        if (pending == pendingRemovals_.begin()) removalOffset_ = 0;
        pendingRemovals_.erase(pending);
    }
    if (removalFunction_) removalFunction_(item);
    Invalidate();
    return item;
}

void GUIScrollArea::ScrollDown() {
    const int list = sg::ListHeight(static_cast<int>(items_.size()), itemHeight_);
    SetScrollPosition(position_ + sg::WheelStep(itemHeight_, list, height_));
}

void GUIScrollArea::ScrollUp() {
    const int list = sg::ListHeight(static_cast<int>(items_.size()), itemHeight_);
    SetScrollPosition(position_ - sg::WheelStep(itemHeight_, list, height_));
}

void GUIScrollArea::SetScrollPosition(int percent) {
    position_ = sg::ClampPosition(percent);
    Invalidate();
}

void GUIScrollArea::StartAnimation() {
    if (!thumbWindow_) return;
    SetTimer(thumbWindow_, kAnimationTimer, kAnimationInterval, nullptr);
    animating_ = true;
}

void GUIScrollArea::Animate() {
    bool ran = false;
    if (!pendingInserts_.empty()) {
        ran = true;
        insertOffset_ += kAnimationStep;
        if (insertOffset_ > itemHeight_) {
            insertOffset_ = 0;
            items_.insert(items_.begin(), pendingInserts_.front());
            pendingInserts_.erase(pendingInserts_.begin());
        }
    }
    if (!pendingRemovals_.empty()) {
        ran = true;
        removalOffset_ += kAnimationStep;
        if (removalOffset_ > itemHeight_) {
            removalOffset_ = 0;
            GUIObject* removed = pendingRemovals_.front();
            pendingRemovals_.erase(pendingRemovals_.begin());
            items_.erase(std::remove(items_.begin(), items_.end(), removed), items_.end());
            // Last: the function usually destroys the item.
            if (removalFunction_) removalFunction_(removed);
        }
    }
    if (ran) {
        Invalidate();
    } else {
        KillTimer(thumbWindow_, kAnimationTimer);
        animating_ = false;
    }
}

bool GUIScrollArea::IsPendingRemoval(const GUIObject* item) const {
    return std::find(pendingRemovals_.begin(), pendingRemovals_.end(), item) !=
           pendingRemovals_.end();
}

bool GUIScrollArea::CanShowWindows() const { return !page_ || page_->IsShown(); }

LRESULT GUIScrollArea::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == thumbWindow_) return ThumbMessage(window, message, wParam, lParam);
    if (message == WM_ERASEBKGND) return 1;
    // Mouse input goes to the items' windows or through to the window below.
    if (message == WM_NCHITTEST && window == contentWindow_) return HTTRANSPARENT;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT GUIScrollArea::ThumbMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kAnimationTimer) Animate();
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        dragAnchor_ = GET_Y_LPARAM(lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == window) {
            POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            MapWindowPoints(window, parentWindow_, &pointer, 1);
            position_ = sg::DragPosition(pointer.y, y_, height_, dragAnchor_, thumbHeight_);
            Invalidate();
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == window) ReleaseCapture();
        return 0;
    case WM_SETCURSOR:
        SetCursor(cursor_);
        return TRUE;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void GUIScrollArea::Show(int command) {
    if (CanShowWindows()) {
        if (contentWindow_) ShowWindowAsync(contentWindow_, command);
        // The thumb only exists while there is a bar to drag it on.
        const int list = sg::ListHeight(static_cast<int>(items_.size()), itemHeight_);
        if (thumbWindow_ && (command != SW_SHOW || sg::NeedsScrollBar(list, height_))) {
            ShowWindowAsync(thumbWindow_, command);
        }
    }
    visible_ = command == SW_SHOW;
    Invalidate();
    for (GUIObject* item : items_) item->ApplyPageVisibility(command == SW_HIDE);
}

void GUIScrollArea::ApplyPageVisibility(bool hidden) {
    if (hidden) {
        if (contentWindow_) ShowWindowAsync(contentWindow_, SW_HIDE);
        if (thumbWindow_) ShowWindowAsync(thumbWindow_, SW_HIDE);
    } else if (visible_) {
        if (contentWindow_) ShowWindowAsync(contentWindow_, SW_SHOW);
        const int list = sg::ListHeight(static_cast<int>(items_.size()), itemHeight_);
        if (thumbWindow_ && sg::NeedsScrollBar(list, height_)) {
            ShowWindowAsync(thumbWindow_, SW_SHOW);
        }
    }
    for (GUIObject* item : items_) item->ApplyPageVisibility(hidden);
}

void GUIScrollArea::Paint(HDC target, const RECT& dirty) {
    if (!visible_) return;
    // Clipping narrows the caller's clip (its update rectangle) rather than
    // replacing it, so nothing outside the cleared part is drawn twice.
    ScopedRegion saved(CreateRectRgn(0, 0, 0, 0));
    const bool hadClip = GetClipRgn(target, saved.get()) == 1;
    IntersectClipRect(target, x_, y_, x_ + width_, y_ + height_);

    const int list = sg::ListHeight(static_cast<int>(items_.size()), itemHeight_);
    if (sg::NeedsScrollBar(list, height_)) {
        PaintScrollBar(target, dirty, list);
    } else {
        HideThumb();
    }

    const RECT listRect{x_, y_, x_ + width_ - kListGap, y_ + height_};
    UpdateContentWindow(listRect);
    SelectClipRgn(target, hadClip ? saved.get() : nullptr);
    IntersectClipRect(target, listRect.left, listRect.top, listRect.right, listRect.bottom);
    PlaceItems(target, dirty);

    SelectClipRgn(target, hadClip ? saved.get() : nullptr);
}

void GUIScrollArea::PaintScrollBar(HDC target, const RECT& dirty, int listHeight) {
    const int barX = x_ + width_ - 15;
    trackTop_->Paint(target, dirty);
    trackMiddle_->Resize(kBarWidth, height_ - 16);
    trackMiddle_->Paint(target, dirty);
    trackBottom_->Move(barX, y_ + height_ - 8);
    trackBottom_->Paint(target, dirty);

    thumbHeight_ = sg::ThumbHeight(listHeight, height_);
    const int thumbY = sg::ThumbTop(y_, height_, thumbHeight_, position_);
    const int middle = thumbHeight_ - sg::kMinimumThumbHeight;
    thumbTop_->Move(barX, thumbY - 2);
    thumbTop_->Paint(target, dirty);
    thumbMiddle_->Move(barX, thumbY + 5);
    thumbMiddle_->Resize(kBarWidth, middle);
    thumbMiddle_->Paint(target, dirty);
    thumbBottom_->Move(barX, thumbY + middle + 5);
    thumbBottom_->Paint(target, dirty);

    // Moving a window invalidates what lies under it: only touch it when
    // something changed.
    const RECT wanted{x_ + width_ - 13, thumbY, x_ + width_ - 13 + kThumbWidth,
                      thumbY + thumbHeight_};
    RECT now{};
    GetWindowRect(thumbWindow_, &now);
    MapWindowPoints(HWND_DESKTOP, parentWindow_, reinterpret_cast<POINT*>(&now), 2);
    const bool show = CanShowWindows() && !HasVisibleStyle(thumbWindow_);
    if (show || !EqualRect(&now, &wanted)) {
        SetWindowPos(thumbWindow_, nullptr, wanted.left, wanted.top, kThumbWidth, thumbHeight_,
                     SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : 0));
    }
}

void GUIScrollArea::HideThumb() {
    if (thumbWindow_ && HasVisibleStyle(thumbWindow_)) ShowWindow(thumbWindow_, SW_HIDE);
}

void GUIScrollArea::UpdateContentWindow(const RECT& list) {
    if (!contentWindow_) return;
    RECT client{0, 0, 0, 0};
    GetClientRect(parentWindow_, &client);
    if (client.right != contentSize_.cx || client.bottom != contentSize_.cy) {
        SetWindowPos(contentWindow_, nullptr, 0, 0, client.right, client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        contentSize_ = SIZE{client.right, client.bottom};
    }
    if (!EqualRect(&list, &contentRegion_)) {
        // The window owns the region from here on (the system frees it).
        SetWindowRgn(contentWindow_, CreateRectRgnIndirect(&list), FALSE);
        contentRegion_ = list;
    }
}

void GUIScrollArea::PlaceItems(HDC target, const RECT& dirty) {
    const int list = sg::ListHeight(static_cast<int>(items_.size()), itemHeight_);
    const int scroll = sg::ScrollOffset(list, height_, position_);
    // Items that are not drawn are parked just outside the list, where the
    // content window's region hides their input windows; left where they were
    // last drawn, they would catch clicks meant for the items drawn there now.
    const int above = y_ - itemHeight_;
    const int below = y_ + height_;
    int removal = 0;
    for (size_t index = 0; index < items_.size(); ++index) {
        GUIObject* item = items_[index];
        if (IsPendingRemoval(item)) {
            removal = removalOffset_;
            MoveIfMoved(item, x_, above);
            continue;
        }
        const int top = sg::ItemTop(static_cast<int>(index), itemHeight_, insertOffset_, scroll,
                                    removal);
        if (sg::ItemInView(top, itemHeight_, height_)) {
            MoveIfMoved(item, x_, y_ + top);
            item->Paint(target, dirty);
        } else {
            MoveIfMoved(item, x_, top < 0 ? above : below);
        }
    }
}
