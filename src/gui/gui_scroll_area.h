// A vertical list of equal-height entries with a skinned scroll bar at its
// right edge. New entries slide in at the top and removed ones collapse,
// both animated.
//
// The list holds entries, not widgets. With a view source, entries are data
// (shared with their owner) and the area realises a small, bounded pool of
// views for the entries in sight plus a margin, binding each view to
// whichever entry it shows and reusing it as the list scrolls: a list of a
// hundred thousand entries has a handful of windows. Without one, every
// entry is a widget that shows itself (short lists of fixed widgets).
//
// Views create their input windows as children of ContentWindow(), whose
// window region is the list part of the area, so the system clips them to it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "base/display_scale.h"
#include "gui/gui_object.h"

class GUIImage;

// An entry of the list; the area only compares, keeps and hands it back.
using ScrollEntry = std::shared_ptr<const void>;

// Told about an entry once it has left the list (after its collapse, if
// animated).
using ScrollRemovalFunction = void (*)(const void* entry);

// Makes and fills the views of a list whose entries are data. Called on the
// area's thread, while it paints.
class ScrollViewSource {
public:
    virtual ~ScrollViewSource() = default;
    // A new view with its input windows under `contentWindow`.
    virtual std::unique_ptr<GUIObject> CreateView(HWND contentWindow) = 0;
    // Makes `view` (one of this source's) show `entry`.
    virtual void BindView(GUIObject& view, const ScrollEntry& entry) = 0;
};

// The six scroll-bar images: track top, middle and bottom, thumb top, middle
// and bottom.
struct ScrollBarImagePaths {
    const wchar_t* trackTop;
    const wchar_t* trackMiddle;
    const wchar_t* trackBottom;
    const wchar_t* thumbTop;
    const wchar_t* thumbMiddle;
    const wchar_t* thumbBottom;
};
// The skin's images (SB_BG_TOP ... SB_BOTTOM).
ScrollBarImagePaths SkinScrollBarImages();

class GUIScrollArea : public GUIObject {
public:
    static constexpr UINT_PTR kAnimationTimer = 10;  // on the thumb window
    static constexpr UINT kAnimationInterval = 25;   // ms
    static constexpr int kAnimationStep = 10;        // pixels per tick
    static constexpr int kThumbWidth = 11;
    static constexpr int kViewMargin = 1;  // entries bound ahead above and below the view

    // The scroll bar is drawn from the skin.
    GUIScrollArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height);
    GUIScrollArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                  const ScrollBarImagePaths& images);
    ~GUIScrollArea() override;

    void SetItemHeight(int pixels);
    int ItemHeight() const { return itemHeight_; }
    HWND ContentWindow() const { return contentWindow_; }

    // Entries become data shown by views of `source` (owned); null goes back
    // to widgets. Only while the list is empty.
    void SetViewSource(std::unique_ptr<ScrollViewSource> source);
    ScrollViewSource* ViewSource() const { return source_.get(); }

    // The area's own thread only, like every widget: other threads post
    // their changes to the window's thread (base/window_task.h).
    //
    // False for null. Animated, the entry waits for its slide-in; otherwise
    // it is put at the top at once. While the list is scrolled away from the
    // top, the entries in view stay where they are (the new one arrives out
    // of sight).
    // Lists with a view source only.
    bool AddItem(const ScrollEntry& entry, bool animate);
    // A widget that shows itself (lists without a view source); not owned.
    bool AddItem(GUIObject* item, bool animate);
    // Puts `entries` (top first) above the list at once, in one step; lists
    // with a view source only.
    void AddItems(std::vector<ScrollEntry> entries);
    // Shows `entries` (top first) in place of the whole list at once, moved
    // up by `offset` pixels (clamped), and hands back the entries it held,
    // as Entries() gives them; lists with a view source only. Slides and
    // collapses under way end unshown (collapsing entries go to the removal
    // function), and the highlight goes.
    std::vector<ScrollEntry> ReplaceItems(std::vector<ScrollEntry> entries, int offset);
    // The entries as the list will hold them once its animations end:
    // arrivals on top, collapsing ones left out. Top first.
    std::vector<ScrollEntry> Entries() const;
    // Where `entry` is in the list (top first), or kNoIndex.
    static constexpr std::size_t kNoIndex = static_cast<std::size_t>(-1);
    std::size_t IndexOf(const void* entry) const;
    // Scrolls as little as needed for the entry at `index` to show whole.
    void ScrollIntoView(std::size_t index);

    // One entry may be highlighted: `image` is drawn behind its view, at
    // `offset` from the entry's top-left corner. Null clears the highlight.
    void SetHighlightImage(std::unique_ptr<GUIImage> image, POINT offset);
    void SetHighlight(const void* entry);
    const void* Highlight() const { return highlight_; }
    // The entry (found by identity), or null when it is not in the list.
    // Animated, it stays in the list until its collapse ends.
    const void* RemoveItem(const void* entry, bool animate);

    // One wheel step: a third of an item.
    void ScrollDown();
    void ScrollUp();
    // Percent of the scrollable range (clamped to 0 to 100).
    void SetScrollPosition(int percent);
    int ScrollPosition() const;
    // The same in pixels: how far the list is moved up.
    void SetScrollOffset(int pixels);
    int ScrollOffset() const;
    int ScrollRange() const;

    void SetRemovalFunction(ScrollRemovalFunction function) { removalFunction_ = function; }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Show(int command) override;
    // The scroll bar and the list's windows follow on the next paint.
    void Move(int x, int y) override;
    void Paint(HDC target, const RECT& dirty) override;
    void ApplyPageVisibility(bool hidden) override;

    // Inspection, mainly for tests.
    HWND ThumbWindow() const { return thumbWindow_; }
    const std::vector<ScrollEntry>& Items() const { return items_; }
    std::size_t PendingInsertCount() const { return pendingInserts_.size(); }
    std::size_t PendingRemovalCount() const { return pendingRemovals_.size(); }
    // Whether the entry is collapsing out of the list.
    bool IsPendingRemoval(const void* entry) const;
    // The widget showing the entry at `index` (top first): the entry itself
    // without a view source, else its bound view, or null when none is.
    GUIObject* ViewAt(std::size_t index) const;
    // Views realised so far, and the most there may be at this height.
    std::size_t ViewCount() const { return pool_.size(); }
    std::size_t ViewBound() const;
    int InsertOffset() const { return insertOffset_; }
    int RemovalOffset() const { return removalOffset_; }
    int ThumbHeight() const { return thumbHeight_; }
    bool IsAnimating() const { return animating_; }

private:
    struct PooledView {
        std::unique_ptr<GUIObject> view;
        const void* entry = nullptr;  // bound to; null while free
        ScrollEntry bound;           // keeps the entry alive while bound
    };

    bool AddEntry(const ScrollEntry& entry, bool animate);
    void InsertAtTop(const ScrollEntry& entry);
    void EraseEntry(const void* entry);
    void StartAnimation();
    void Animate();
    LRESULT ThumbMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintScrollBar(HDC target, const RECT& dirty, int listHeight);
    void HideThumb();
    void UpdateContentWindow(const RECT& list);
    void PlaceWidgets(HDC target, const RECT& dirty);
    void PlaceViews(HDC target, const RECT& dirty);
    void PaintHighlight(HDC target, const RECT& dirty, const void* entry, int top);
    // The view bound to `entry`, binding a free or new one if need be; null
    // when the pool is at its bound.
    GUIObject* ViewFor(const ScrollEntry& entry);
    void ForEachWidget(bool hidden);
    bool CanShowWindows() const;
    int ListHeight() const;
    void ClampOffset();
    // The window moved onto a monitor of another scale: the entries' height,
    // the scrolled distance and the bar's parts follow, and the views are
    // made again at the new DPI.
    void FollowWindowDpi();

    // A 96-DPI length of the bar at the window's DPI.
    int Scaled(int length) const { return ScaleLength(length, dpi_); }

    int dpi_ = kBaseDpi;
    int itemHeight_ = 1;
    int insertOffset_ = 0;
    int removalOffset_ = 0;
    std::vector<ScrollEntry> items_;  // top first
    std::vector<ScrollEntry> pendingInserts_;
    std::vector<ScrollEntry> pendingRemovals_;
    std::unique_ptr<ScrollViewSource> source_;
    std::vector<PooledView> pool_;
    HWND thumbWindow_ = nullptr;
    HWND contentWindow_ = nullptr;
    // The six scroll-bar images.
    std::unique_ptr<GUIImage> trackTop_;
    std::unique_ptr<GUIImage> trackMiddle_;
    std::unique_ptr<GUIImage> trackBottom_;
    std::unique_ptr<GUIImage> thumbTop_;
    std::unique_ptr<GUIImage> thumbMiddle_;
    std::unique_ptr<GUIImage> thumbBottom_;
    HCURSOR cursor_ = nullptr;
    int dragAnchor_ = 0;
    int offset_ = 0;  // pixels the list is moved up
    int thumbHeight_ = 0;
    ScrollRemovalFunction removalFunction_ = nullptr;
    std::unique_ptr<GUIImage> highlightImage_;
    POINT highlightOffset_{0, 0};
    const void* highlight_ = nullptr;
    bool animating_ = false;
    RECT contentRegion_{0, 0, 0, 0};  // the list rectangle last given to the content window
    SIZE contentSize_{0, 0};
};
