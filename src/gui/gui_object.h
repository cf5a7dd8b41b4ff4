// Base class of every widget. A widget has a rectangle in its window's client
// coordinates, a visible flag and usually an input window of the class
// "GUIObjectBase" that only receives input; all drawing happens when the
// owning SkinnableWindow composes its back buffer and calls Paint.
#pragma once

#include <windows.h>

#include <map>

#include "base/scoped_win.h"
#include "gui/window_message_handler.h"

class GUIPage;

class GUIObject {
public:
    // Registers "GUIObjectBase" on first use (only with a non-null instance).
    // Derived constructors create their input window with CreateInputWindow.
    GUIObject(HINSTANCE instance, HWND parentWindow);
    GUIObject(const GUIObject&) = delete;
    GUIObject& operator=(const GUIObject&) = delete;

    // The seven operations, in this order.
    // Default: WM_ERASEBKGND answers 1, the rest goes to DefWindowProcW.
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Shows or hides the input window (only while the page, if any, is
    // shown); visible = (command == SW_SHOW); invalidates.
    virtual void Show(int command);
    virtual void Move(int x, int y);
    virtual void Resize(int width, int height);
    // Draws into `target` (window coordinates); `dirty` is the update
    // rectangle. Default: nothing.
    virtual void Paint(HDC target, const RECT& dirty);
    // Asks the SkinnableWindow of the parent window to repaint the widget's
    // rectangle. Safe from any thread.
    virtual void Invalidate();
    // Hides the input window (hidden) or shows it again if the widget is
    // visible; never changes the visible flag.
    virtual void ApplyPageVisibility(bool hidden);

    // Destroys the input window and the device context.
    virtual ~GUIObject();

    // Tried before WindowProc for one message of this widget's windows.
    void SetMessageHandler(UINT message, WindowMessageHandler handler);

    HWND Window() const { return window_; }
    HWND ParentWindow() const { return parentWindow_; }
    POINT Position() const { return POINT{x_, y_}; }
    SIZE Size() const { return SIZE{width_, height_}; }
    bool IsVisible() const { return visible_; }
    GUIPage* Page() const { return page_; }
    // The DPI of the SkinnableWindow the widget lives in (96 outside one):
    // what its pictures and fonts are drawn for.
    int WindowDpi() const;
    // The page that owns the widget (GUIPage::AddChild), or null.
    void SetPage(GUIPage* page);

    // The widget whose input window is exactly `window`, or null.
    static GUIObject* FromWindow(HWND window);
    // The window procedure of "GUIObjectBase": installed handler, then
    // WindowProc.
    static LRESULT CALLBACK ClassWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

protected:
    // Creates a "GUIObjectBase" child window (WS_CHILD, plus WS_VISIBLE when
    // `visible`) of `parent` (null = the parent window) at the rectangle and
    // enters it in the widget map for this object. The caller stores it, in
    // window_ for the widget's own input window. Null on failure.
    HWND CreateInputWindow(int x, int y, int width, int height, bool visible,
                           HWND parent = nullptr);
    // Takes an extra window of this widget (not window_) out of the widget
    // map before the widget destroys it.
    static void ForgetInputWindow(HWND window);
    // Sets the rectangle without touching any window (for constructors).
    void Place(int x, int y, int width, int height) {
        x_ = x;
        y_ = y;
        width_ = width;
        height_ = height;
    }

    HWND window_ = nullptr;        // own input window, or null for draw-only widgets
    HWND parentWindow_ = nullptr;  // the window the widget lives in
    ScopedMemoryDC dc_;            // the widget's own memory device context, or none
    bool visible_ = true;
    int x_ = 0, y_ = 0;
    int width_ = 0, height_ = 0;
    std::map<UINT, WindowMessageHandler> handlers_;
    GUIPage* page_ = nullptr;
    HINSTANCE instance_ = nullptr;
};
