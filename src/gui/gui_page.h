// A widget that holds other widgets and shows or hides them together, with
// an optional fade. Its children draw into a full-window layer that is then
// blended onto the window with the page's opacity.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "gui/gui_object.h"

class SkinnableWindow;

class GUIPage : public GUIObject {
public:
    static constexpr UINT_PTR kFadeTimer = 150;
    static constexpr UINT kFadeInterval = 25;  // ms
    static constexpr int kFadeStep = 30;       // opacity per tick

    explicit GUIPage(SkinnableWindow* window);
    ~GUIPage() override;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC target, const RECT& dirty) override;

    // Takes the widget, appends it and makes this its page; returns it
    // (non-owning), or null for null. To move a widget to another page, take
    // it off this one with RemoveChild first.
    template <typename Widget>
    Widget* AddChild(std::unique_ptr<Widget> child) {
        Widget* added = child.get();
        if (added) Adopt(std::move(child));
        return added;
    }
    // Hands the widget back to the caller, or null when it is not a child.
    std::unique_ptr<GUIObject> RemoveChild(GUIObject* child);
    // Fades (animate) or switches at once to shown or hidden.
    void SetShown(bool show, bool animate);
    bool IsShown() const { return opacity_ > 0; }

    int Opacity() const { return opacity_; }
    int FadeStep() const { return fadeStep_; }
    // The children in paint order (non-owning).
    std::vector<GUIObject*> Children() const;
    SkinnableWindow* Owner() const { return owner_; }
    // Size of the page's layer bitmap; 0 x 0 before the first paint.
    SIZE BitmapSize() const { return SIZE{bitmapWidth_, bitmapHeight_}; }

private:
    void Adopt(std::unique_ptr<GUIObject> child);
    void ApplyToChildren(bool hidden);

    std::vector<std::unique_ptr<GUIObject>> children_;
    int opacity_ = 255;
    int fadeStep_ = 0;
    SkinnableWindow* owner_ = nullptr;
    ScopedBitmap bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    int bitmapWidth_ = 0, bitmapHeight_ = 0;
    void* bitmapBits_ = nullptr;
};
