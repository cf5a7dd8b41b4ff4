// A vertical list of equal-height widgets with a skinned scroll bar at its
// right edge. The area owns no items: it positions and paints them, slides
// new ones in at the top and collapses removed ones, both animated.
//
// Items create their input windows as children of ContentWindow(), whose
// window region is the list part of the area, so the system clips them to it.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "gui/gui_object.h"

class GUIImage;

// Told about an item once it has left the list (after its collapse, if
// animated); the owner usually destroys it.
using ScrollRemovalFunction = void (*)(GUIObject* item);

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

    // The scroll bar is drawn from the skin.
    GUIScrollArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height);
    GUIScrollArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                  const ScrollBarImagePaths& images);
    ~GUIScrollArea() override;

    void SetItemHeight(int pixels);
    int ItemHeight() const { return itemHeight_; }
    HWND ContentWindow() const { return contentWindow_; }

    // The area's own thread only, like every widget: other threads post
    // their changes to the window's thread (base/window_task.h).
    //
    // False for null. Animated, the item waits for its slide-in; otherwise
    // it is put at the top at once.
    bool AddItem(GUIObject* item, bool animate);
    // The item, or null when it is not in the list. Animated, it stays in
    // the list until its collapse ends.
    GUIObject* RemoveItem(GUIObject* item, bool animate);

    // One wheel step: a third of an item.
    void ScrollDown();
    void ScrollUp();
    void SetScrollPosition(int percent);
    int ScrollPosition() const { return position_; }

    void SetRemovalFunction(ScrollRemovalFunction function) { removalFunction_ = function; }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Show(int command) override;
    void Paint(HDC target, const RECT& dirty) override;
    void ApplyPageVisibility(bool hidden) override;

    // Inspection, mainly for tests.
    HWND ThumbWindow() const { return thumbWindow_; }
    const std::vector<GUIObject*>& Items() const { return items_; }
    const std::vector<GUIObject*>& PendingInserts() const { return pendingInserts_; }
    const std::vector<GUIObject*>& PendingRemovals() const { return pendingRemovals_; }
    int InsertOffset() const { return insertOffset_; }
    int RemovalOffset() const { return removalOffset_; }
    int ThumbHeight() const { return thumbHeight_; }
    bool IsAnimating() const { return animating_; }

private:
    void StartAnimation();
    void Animate();
    LRESULT ThumbMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintScrollBar(HDC target, const RECT& dirty, int listHeight);
    void HideThumb();
    void UpdateContentWindow(const RECT& list);
    void PlaceItems(HDC target, const RECT& dirty);
    bool CanShowWindows() const;
    bool IsPendingRemoval(const GUIObject* item) const;

    int itemHeight_ = 1;
    int insertOffset_ = 0;
    int removalOffset_ = 0;
    std::vector<GUIObject*> items_;  // top first; not owned
    std::vector<GUIObject*> pendingInserts_;
    std::vector<GUIObject*> pendingRemovals_;
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
    int position_ = 0;
    int thumbHeight_ = 0;
    ScrollRemovalFunction removalFunction_ = nullptr;
    bool animating_ = false;
    RECT contentRegion_{0, 0, 0, 0};  // the list rectangle last given to the content window
    SIZE contentSize_{0, 0};
};
