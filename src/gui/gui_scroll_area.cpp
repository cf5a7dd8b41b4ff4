#include "gui/gui_scroll_area.h"

#include <windowsx.h>

#include <algorithm>

#include "base/scoped_win.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/scroll_geometry.h"
#include "gui/skin_catalogue.h"

namespace sg = scroll_geometry;

namespace {

// At 96 DPI, scaled to the window's like the pictures.
constexpr int kBarWidth = 14;   // the scroll-bar column's images
constexpr int kCapHeight = 7;   // top and bottom pieces of track and thumb
constexpr int kListGap = 16;    // the list stops this far from the right edge
constexpr int kBarInset = 15;   // the bar's column from the right edge
constexpr int kThumbInset = 13; // the thumb's window from the right edge

bool HasVisibleStyle(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MoveIfMoved(GUIObject* item, int x, int y) {
    const POINT now = item->Position();
    if (now.x != x || now.y != y) item->Move(x, y);
}

// An entry that is a widget the caller keeps: shared without owning it.
ScrollEntry WidgetEntry(GUIObject* item) { return ScrollEntry(ScrollEntry(), item); }

GUIObject* AsWidget(const ScrollEntry& entry) {
    return static_cast<GUIObject*>(const_cast<void*>(entry.get()));
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
    dpi_ = WindowDpi();

    RECT client{0, 0, 0, 0};
    GetClientRect(parentWindow, &client);
    contentWindow_ = CreateInputWindow(0, 0, client.right, client.bottom, true);
    contentSize_ = SIZE{client.right, client.bottom};
    // Until the first paint the list region already keeps the content window
    // off the rest of the parent.
    UpdateContentWindow(RECT{x, y, x + width - Scaled(kListGap), y + height});

    const int barX = x + width - Scaled(kBarInset), barWidth = Scaled(kBarWidth), cap = Scaled(kCapHeight);
    const int middleHeight = height - 2 * cap - Scaled(2);
    trackTop_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + Scaled(1), barWidth, cap,
                                           images.trackTop);
    trackMiddle_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + Scaled(8), barWidth, middleHeight,
                                              images.trackMiddle);
    trackBottom_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + height - Scaled(8), barWidth,
                                              cap, images.trackBottom);
    thumbTop_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + Scaled(1), barWidth, cap,
                                           images.thumbTop);
    thumbMiddle_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + Scaled(8), barWidth, middleHeight,
                                              images.thumbMiddle);
    thumbBottom_ = std::make_unique<GUIImage>(parentWindow, instance, barX, y + height - Scaled(8), barWidth,
                                              cap, images.thumbBottom);

    thumbWindow_ = CreateInputWindow(x + width - Scaled(kThumbInset), y + 3, Scaled(kThumbWidth),
                                     Scaled(kThumbWidth), true);
    cursor_ = LoadCursorW(nullptr, IDC_HAND);
}

GUIScrollArea::~GUIScrollArea() {
    if (thumbWindow_ && animating_) KillTimer(thumbWindow_, kAnimationTimer);
    // Views first: their windows are children of the content window.
    pool_.clear();
    for (HWND window : {thumbWindow_, contentWindow_}) {
        if (!window) continue;
        ForgetInputWindow(window);
        if (IsWindow(window)) DestroyWindow(window);
    }
}

void GUIScrollArea::SetItemHeight(int pixels) { itemHeight_ = pixels; }

void GUIScrollArea::SetViewSource(std::unique_ptr<ScrollViewSource> source) {
    // Entries of one kind only: widgets, or data shown through views.
    if (!items_.empty() || !pendingInserts_.empty()) return;
    pool_.clear();
    source_ = std::move(source);
    Invalidate();
}

int GUIScrollArea::ListHeight() const {
    return sg::ListHeight(static_cast<int>(items_.size()), itemHeight_);
}

int GUIScrollArea::ScrollRange() const { return sg::ScrollRange(ListHeight(), height_); }

void GUIScrollArea::ClampOffset() { offset_ = sg::ClampOffset(offset_, ScrollRange()); }

bool GUIScrollArea::AddItem(GUIObject* item, bool animate) {
    // A list of data shows its entries through views, never as widgets.
    if (!item || source_) return false;
    return AddEntry(WidgetEntry(item), animate);
}

bool GUIScrollArea::AddItem(const ScrollEntry& entry, bool animate) {
    // Without views an entry would be taken for a widget.
    if (!entry || !source_) return false;
    return AddEntry(entry, animate);
}


void GUIScrollArea::AddItems(std::vector<ScrollEntry> entries) {
    if (!source_) return;
    entries.erase(std::remove(entries.begin(), entries.end(), nullptr), entries.end());
    if (entries.empty()) return;
    const bool keepView = offset_ > 0;
    const int added = static_cast<int>(entries.size());
    entries.insert(entries.end(), std::make_move_iterator(items_.begin()),
                   std::make_move_iterator(items_.end()));
    items_ = std::move(entries);
    if (keepView) offset_ += added * itemHeight_;
    ClampOffset();
    Invalidate();
}

std::vector<ScrollEntry> GUIScrollArea::ReplaceItems(std::vector<ScrollEntry> entries,
                                                     int offset) {
    if (!source_) return {};
    entries.erase(std::remove(entries.begin(), entries.end(), nullptr), entries.end());
    // Views let go of what they showed; those still wanted bind again.
    for (PooledView& pooled : pool_) {
        pooled.entry = nullptr;
        pooled.bound.reset();
    }
    // What the list held, with its animations ended; moved, not copied,
    // when none was under way.
    std::vector<ScrollEntry> held =
        pendingInserts_.empty() && pendingRemovals_.empty() ? std::move(items_) : Entries();
    const std::vector<ScrollEntry> collapsing = std::move(pendingRemovals_);
    pendingRemovals_.clear();
    pendingInserts_.clear();
    insertOffset_ = 0;
    removalOffset_ = 0;
    highlight_ = nullptr;
    items_ = std::move(entries);
    offset_ = offset;
    ClampOffset();
    if (removalFunction_) {
        for (const ScrollEntry& entry : collapsing) removalFunction_(entry.get());
    }
    Invalidate();
    return held;
}

std::vector<ScrollEntry> GUIScrollArea::Entries() const {
    std::vector<ScrollEntry> entries(pendingInserts_.rbegin(), pendingInserts_.rend());
    entries.reserve(entries.size() + items_.size());
    for (const ScrollEntry& entry : items_) {
        if (pendingRemovals_.empty() || !IsPendingRemoval(entry.get())) entries.push_back(entry);
    }
    return entries;
}

std::size_t GUIScrollArea::IndexOf(const void* entry) const {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [entry](const ScrollEntry& item) { return item.get() == entry; });
    return found == items_.end() ? kNoIndex : static_cast<std::size_t>(found - items_.begin());
}

void GUIScrollArea::ScrollIntoView(std::size_t index) {
    if (index >= items_.size()) return;
    const int top = sg::ListHeight(static_cast<int>(index), itemHeight_);
    const int view = sg::ViewHeight(height_);
    if (top < offset_) {
        SetScrollOffset(top);
    } else if (top + itemHeight_ > offset_ + view) {
        SetScrollOffset(top + itemHeight_ - view);
    }
}

void GUIScrollArea::SetHighlightImage(std::unique_ptr<GUIImage> image, POINT offset) {
    highlightImage_ = std::move(image);
    highlightOffset_ = offset;
    Invalidate();
}

void GUIScrollArea::SetHighlight(const void* entry) {
    if (entry == highlight_) return;
    highlight_ = entry;
    Invalidate();
}

void GUIScrollArea::PaintHighlight(HDC target, const RECT& dirty, const void* entry, int top) {
    if (!highlightImage_ || !entry || entry != highlight_) return;
    highlightImage_->Move(x_ + highlightOffset_.x, y_ + top + highlightOffset_.y);
    highlightImage_->Paint(target, dirty);
}

void GUIScrollArea::Move(int x, int y) {
    if (x == x_ && y == y_) return;
    Invalidate();  // where it was
    GUIObject::Move(x, y);
    Invalidate();
}

void GUIScrollArea::InsertAtTop(const ScrollEntry& entry) {
    items_.insert(items_.begin(), entry);
    // Scrolled away from the top, the entries in view stay put.
    if (offset_ > 0) offset_ += itemHeight_;
    ClampOffset();
}

bool GUIScrollArea::AddEntry(const ScrollEntry& entry, bool animate) {
    // The slide-in only shows at the top of the list.
    if (animate && offset_ == 0) {
        pendingInserts_.push_back(entry);
        // Not drawn until it slides in, so its windows must not catch clicks.
        if (!source_) MoveIfMoved(AsWidget(entry), x_, y_ - itemHeight_);
        StartAnimation();
    } else {
        InsertAtTop(entry);
        Invalidate();
    }
    return true;
}

void GUIScrollArea::EraseEntry(const void* entry) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [entry](const ScrollEntry& item) { return item.get() == entry; });
    if (found != items_.end()) items_.erase(found);
    if (entry == highlight_) highlight_ = nullptr;
    ClampOffset();
}

const void* GUIScrollArea::RemoveItem(const void* entry, bool animate) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [entry](const ScrollEntry& item) { return item.get() == entry; });
    if (!entry || found == items_.end()) return nullptr;
    if (animate) {
        // Removing a collapsing entry again must not hand it over twice.
        if (!IsPendingRemoval(entry)) pendingRemovals_.push_back(*found);
        StartAnimation();
        return entry;
    }
    const ScrollEntry kept = *found;  // alive until the removal function has it
    EraseEntry(entry);
    const auto pending = std::find(pendingRemovals_.begin(), pendingRemovals_.end(), kept);
    if (pending != pendingRemovals_.end()) {
        if (pending == pendingRemovals_.begin()) removalOffset_ = 0;
        pendingRemovals_.erase(pending);
    }
    if (removalFunction_) removalFunction_(entry);
    Invalidate();
    return entry;
}

void GUIScrollArea::ScrollDown() { SetScrollOffset(offset_ + sg::WheelStep(itemHeight_)); }

void GUIScrollArea::ScrollUp() { SetScrollOffset(offset_ - sg::WheelStep(itemHeight_)); }

void GUIScrollArea::SetScrollPosition(int percent) {
    SetScrollOffset(sg::OffsetForPosition(ScrollRange(), percent));
}

int GUIScrollArea::ScrollPosition() const { return sg::PositionForOffset(offset_, ScrollRange()); }

void GUIScrollArea::SetScrollOffset(int pixels) {
    offset_ = sg::ClampOffset(pixels, ScrollRange());
    Invalidate();
}

int GUIScrollArea::ScrollOffset() const { return offset_; }

void GUIScrollArea::StartAnimation() {
    if (!thumbWindow_) return;
    SetTimer(thumbWindow_, kAnimationTimer, kAnimationInterval, nullptr);
    animating_ = true;
}

void GUIScrollArea::Animate() {
    bool ran = false;
    if (!pendingInserts_.empty()) {
        ran = true;
        if (offset_ > 0) {
            // Scrolled away meanwhile: no slide to watch, and the view stays.
            insertOffset_ = 0;
            for (const ScrollEntry& entry : pendingInserts_) InsertAtTop(entry);
            pendingInserts_.clear();
        } else {
            insertOffset_ += Scaled(kAnimationStep);
            if (insertOffset_ > itemHeight_) {
                insertOffset_ = 0;
                InsertAtTop(pendingInserts_.front());
                pendingInserts_.erase(pendingInserts_.begin());
            }
        }
    }
    if (!pendingRemovals_.empty()) {
        ran = true;
        removalOffset_ += Scaled(kAnimationStep);
        if (removalOffset_ > itemHeight_) {
            removalOffset_ = 0;
            const ScrollEntry removed = pendingRemovals_.front();
            pendingRemovals_.erase(pendingRemovals_.begin());
            EraseEntry(removed.get());
            // Last: the function may destroy what the entry points to.
            if (removalFunction_) removalFunction_(removed.get());
        }
    }
    if (ran) {
        Invalidate();
    } else {
        KillTimer(thumbWindow_, kAnimationTimer);
        animating_ = false;
    }
}

bool GUIScrollArea::IsPendingRemoval(const void* entry) const {
    return std::any_of(pendingRemovals_.begin(), pendingRemovals_.end(),
                       [entry](const ScrollEntry& item) { return item.get() == entry; });
}

bool GUIScrollArea::CanShowWindows() const { return !page_ || page_->IsShown(); }

LRESULT GUIScrollArea::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == thumbWindow_) return ThumbMessage(window, message, wParam, lParam);
    if (message == WM_ERASEBKGND) return 1;
    // Mouse input goes to the views' windows or through to the window below.
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
            offset_ = sg::DragOffset(pointer.y, y_, height_, dragAnchor_, thumbHeight_,
                                     ScrollRange());
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

void GUIScrollArea::ForEachWidget(bool hidden) {
    if (source_) {
        for (PooledView& pooled : pool_) pooled.view->ApplyPageVisibility(hidden);
    } else {
        for (const ScrollEntry& entry : items_) AsWidget(entry)->ApplyPageVisibility(hidden);
    }
}

void GUIScrollArea::Show(int command) {
    if (CanShowWindows()) {
        if (contentWindow_) ShowWindowAsync(contentWindow_, command);
        // The thumb only exists while there is a bar to drag it on.
        if (thumbWindow_ && (command != SW_SHOW || sg::NeedsScrollBar(ListHeight(), height_))) {
            ShowWindowAsync(thumbWindow_, command);
        }
    }
    visible_ = command == SW_SHOW;
    Invalidate();
    ForEachWidget(command == SW_HIDE);
}

void GUIScrollArea::ApplyPageVisibility(bool hidden) {
    if (hidden) {
        if (contentWindow_) ShowWindowAsync(contentWindow_, SW_HIDE);
        if (thumbWindow_) ShowWindowAsync(thumbWindow_, SW_HIDE);
    } else if (visible_) {
        if (contentWindow_) ShowWindowAsync(contentWindow_, SW_SHOW);
        if (thumbWindow_ && sg::NeedsScrollBar(ListHeight(), height_)) {
            ShowWindowAsync(thumbWindow_, SW_SHOW);
        }
    }
    ForEachWidget(hidden);
}

void GUIScrollArea::FollowWindowDpi() {
    const int from = dpi_, to = WindowDpi();
    if (from == to) return;
    dpi_ = to;
    auto convert = [from, to](int length) { return ConvertLayoutLength(length, from, to); };
    itemHeight_ = std::max(1, convert(itemHeight_));
    offset_ = convert(offset_);
    insertOffset_ = convert(insertOffset_);
    removalOffset_ = convert(removalOffset_);
    highlightOffset_ = POINT{convert(highlightOffset_.x), convert(highlightOffset_.y)};
    for (GUIImage* part : {trackTop_.get(), trackMiddle_.get(), trackBottom_.get(), thumbTop_.get(),
                           thumbMiddle_.get(), thumbBottom_.get(), highlightImage_.get()}) {
        if (part) part->Resize(convert(part->Size().cx), convert(part->Size().cy));
    }
    // Views are made for one DPI; the pool fills again as the list paints.
    pool_.clear();
}

void GUIScrollArea::Paint(HDC target, const RECT& dirty) {
    if (!visible_) return;
    FollowWindowDpi();
    ClampOffset();  // the area may have been resized

    // Clipping narrows the caller's clip (its update rectangle) rather than
    // replacing it, so nothing outside the cleared part is drawn twice.
    ScopedRegion saved(CreateRectRgn(0, 0, 0, 0));
    const bool hadClip = GetClipRgn(target, saved.get()) == 1;
    IntersectClipRect(target, x_, y_, x_ + width_, y_ + height_);

    const int list = ListHeight();
    if (sg::NeedsScrollBar(list, height_)) {
        PaintScrollBar(target, dirty, list);
    } else {
        HideThumb();
    }

    const RECT listRect{x_, y_, x_ + width_ - Scaled(kListGap), y_ + height_};
    UpdateContentWindow(listRect);
    SelectClipRgn(target, hadClip ? saved.get() : nullptr);
    IntersectClipRect(target, listRect.left, listRect.top, listRect.right, listRect.bottom);
    if (source_) {
        PlaceViews(target, dirty);
    } else {
        PlaceWidgets(target, dirty);
    }

    SelectClipRgn(target, hadClip ? saved.get() : nullptr);
}

void GUIScrollArea::PaintScrollBar(HDC target, const RECT& dirty, int listHeight) {
    const int barX = x_ + width_ - Scaled(kBarInset), barWidth = Scaled(kBarWidth);
    trackTop_->Move(barX, y_ + Scaled(1));
    trackTop_->Paint(target, dirty);
    trackMiddle_->Move(barX, y_ + Scaled(8));
    trackMiddle_->Resize(barWidth, height_ - Scaled(16));
    trackMiddle_->Paint(target, dirty);
    trackBottom_->Move(barX, y_ + height_ - Scaled(8));
    trackBottom_->Paint(target, dirty);

    thumbHeight_ = sg::ThumbHeight(listHeight, height_);
    const int thumbY = sg::ThumbTop(y_, height_, thumbHeight_, offset_,
                                    sg::ScrollRange(listHeight, height_));
    // The caps grow with the scale, the shortest thumb does not.
    const int middle = std::max(0, thumbHeight_ - Scaled(sg::kMinimumThumbHeight));
    thumbTop_->Move(barX, thumbY - Scaled(2));
    thumbTop_->Paint(target, dirty);
    thumbMiddle_->Move(barX, thumbY + Scaled(5));
    thumbMiddle_->Resize(barWidth, middle);
    thumbMiddle_->Paint(target, dirty);
    thumbBottom_->Move(barX, thumbY + middle + Scaled(5));
    thumbBottom_->Paint(target, dirty);

    // Moving a window invalidates what lies under it: only touch it when
    // something changed.
    const int thumbX = x_ + width_ - Scaled(kThumbInset);
    const RECT wanted{thumbX, thumbY, thumbX + Scaled(kThumbWidth),
                      thumbY + thumbHeight_};
    RECT now{};
    GetWindowRect(thumbWindow_, &now);
    MapWindowPoints(HWND_DESKTOP, parentWindow_, reinterpret_cast<POINT*>(&now), 2);
    const bool show = CanShowWindows() && !HasVisibleStyle(thumbWindow_);
    if (show || !EqualRect(&now, &wanted)) {
        SetWindowPos(thumbWindow_, nullptr, wanted.left, wanted.top, Scaled(kThumbWidth), thumbHeight_,
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

// Widgets that show themselves: every one is placed. Those not drawn are
// parked just outside the list, where the content window's region hides
// their input windows; left where they were last drawn, they would catch
// clicks meant for the widgets drawn there now.
void GUIScrollArea::PlaceWidgets(HDC target, const RECT& dirty) {
    const int scroll = offset_;
    const int above = y_ - itemHeight_;
    const int below = y_ + height_;
    int removal = 0;
    for (size_t index = 0; index < items_.size(); ++index) {
        GUIObject* item = AsWidget(items_[index]);
        if (IsPendingRemoval(item)) {
            removal = removalOffset_;
            MoveIfMoved(item, x_, above);
            continue;
        }
        const int top = sg::ItemTop(static_cast<int>(index), itemHeight_, insertOffset_, scroll,
                                    removal);
        if (sg::ItemInView(top, itemHeight_, height_)) {
            MoveIfMoved(item, x_, y_ + top);
            PaintHighlight(target, dirty, item, top);
            item->Paint(target, dirty);
        } else {
            MoveIfMoved(item, x_, top < 0 ? above : below);
        }
    }
}

std::size_t GUIScrollArea::ViewBound() const {
    return static_cast<std::size_t>(sg::ViewPoolBound(height_, itemHeight_, kViewMargin));
}

// Entries that are data: only those in view, and kViewMargin on either
// side, have a view. A view keeps its entry while that stays wanted and is
// otherwise bound to the next one that needs a view.
void GUIScrollArea::PlaceViews(HDC target, const RECT& dirty) {
    const int scroll = offset_;
    const int count = static_cast<int>(items_.size());
    // A collapse above the first visible entry moves everything after it up.
    int removal = 0;
    const int first = sg::FirstVisibleIndex(itemHeight_, insertOffset_, scroll);
    for (const ScrollEntry& collapsing : pendingRemovals_) {
        const auto at = std::find(items_.begin(), items_.end(), collapsing);
        if (at != items_.end() && at - items_.begin() < first) removal = removalOffset_;
    }

    struct Shown {
        int index;
        int top;
    };
    std::vector<Shown> shown;
    int last = first - 1;
    for (int index = first; index < count; ++index) {
        if (IsPendingRemoval(items_[index].get())) {
            removal = removalOffset_;
            continue;
        }
        const int top = sg::ItemTop(index, itemHeight_, insertOffset_, scroll, removal);
        if (top >= height_) break;
        if (!sg::ItemInView(top, itemHeight_, height_)) continue;
        shown.push_back(Shown{index, top});
        last = index;
    }

    // The entries that keep or get a view: those shown and the margin.
    std::vector<const void*> wanted;
    const int from = std::max(0, (shown.empty() ? first : shown.front().index) - kViewMargin);
    const int to = std::min(count - 1, last + kViewMargin);
    for (int index = from; index <= to; ++index) {
        if (!IsPendingRemoval(items_[index].get())) wanted.push_back(items_[index].get());
    }
    for (PooledView& pooled : pool_) {
        if (pooled.entry &&
            std::find(wanted.begin(), wanted.end(), pooled.entry) == wanted.end()) {
            pooled.entry = nullptr;
            pooled.bound.reset();
        }
    }

    const int parked = y_ - itemHeight_;
    std::vector<GUIObject*> drawn;
    for (int index = from; index <= to; ++index) {
        const ScrollEntry& entry = items_[index];
        if (IsPendingRemoval(entry.get())) continue;
        GUIObject* view = ViewFor(entry);
        if (!view) continue;
        const auto place = std::find_if(shown.begin(), shown.end(),
                                        [index](const Shown& s) { return s.index == index; });
        if (place == shown.end()) continue;
        MoveIfMoved(view, x_, y_ + place->top);
        PaintHighlight(target, dirty, entry.get(), place->top);
        view->Paint(target, dirty);
        drawn.push_back(view);
    }
    // A shorter area needs fewer views: free ones beyond the bound go.
    for (std::size_t i = pool_.size(); i-- > 0 && pool_.size() > ViewBound();) {
        if (!pool_[i].entry) pool_.erase(pool_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    // Views not drawn (the margin, free ones) wait outside the list.
    for (PooledView& pooled : pool_) {
        if (std::find(drawn.begin(), drawn.end(), pooled.view.get()) == drawn.end()) {
            MoveIfMoved(pooled.view.get(), x_, parked);
        }
    }
}

GUIObject* GUIScrollArea::ViewFor(const ScrollEntry& entry) {
    for (PooledView& pooled : pool_) {
        if (pooled.entry == entry.get()) return pooled.view.get();
    }
    PooledView* free = nullptr;
    for (PooledView& pooled : pool_) {
        if (!pooled.entry) {
            free = &pooled;
            break;
        }
    }
    if (!free) {
        if (pool_.size() >= ViewBound()) return nullptr;
        std::unique_ptr<GUIObject> view = source_->CreateView(contentWindow_);
        if (!view) return nullptr;
        // A new view's windows follow the area's visibility.
        view->ApplyPageVisibility(!visible_ || !CanShowWindows());
        pool_.push_back(PooledView{std::move(view), nullptr, nullptr});
        free = &pool_.back();
    }
    source_->BindView(*free->view, entry);
    free->entry = entry.get();
    free->bound = entry;
    return free->view.get();
}

GUIObject* GUIScrollArea::ViewAt(std::size_t index) const {
    if (index >= items_.size()) return nullptr;
    if (!source_) return AsWidget(items_[index]);
    for (const PooledView& pooled : pool_) {
        if (pooled.entry == items_[index].get()) return pooled.view.get();
    }
    return nullptr;
}
