#include "gui/gui_object.h"

#include "base/window_registry.h"
#include "gui/gui_page.h"
#include "gui/skinnable_window.h"
#include "gui/window_class.h"

namespace {

const wchar_t kClassName[] = L"GUIObjectBase";

// Input window -> widget. Widgets live on the main thread and on the threads
// of toasts and capture prompts, so the map is locked.
WindowRegistry<GUIObject>& Widgets() {
    static auto* widgets = new WindowRegistry<GUIObject>;  // lives until exit
    return *widgets;
}

}  // namespace

GUIObject::GUIObject(HINSTANCE instance, HWND parentWindow)
    : parentWindow_(parentWindow), instance_(instance) {
    if (instance) {
        RegisterWindowClassOnce(instance, kClassName, GUIObject::ClassWindowProc,
                                CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC);
    }
}

GUIObject::~GUIObject() {
    if (window_) {
        ForgetInputWindow(window_);
        if (IsWindow(window_)) DestroyWindow(window_);
    }
}

HWND GUIObject::CreateInputWindow(int x, int y, int width, int height, bool visible, HWND parent) {
    HWND window = CreateWindowExW(WS_EX_LEFT, kClassName, L"", WS_CHILD | (visible ? WS_VISIBLE : 0),
                                  x, y, width, height, parent ? parent : parentWindow_, nullptr,
                                  instance_, nullptr);
    if (window) Widgets().Add(window, this);
    return window;
}

void GUIObject::ForgetInputWindow(HWND window) {
    Widgets().Remove(window);
}

GUIObject* GUIObject::FromWindow(HWND window) {
    return Widgets().Find(window);
}

LRESULT CALLBACK GUIObject::ClassWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    GUIObject* widget = FromWindow(window);
    if (!widget) {  // messages during creation
        if (message == WM_ERASEBKGND) return 1;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    const auto handler = widget->handlers_.find(message);
    if (handler != widget->handlers_.end() && handler->second) {
        LRESULT result = 0;
        if (handler->second(window, message, wParam, lParam, &result)) return result;
    }
    return widget->WindowProc(window, message, wParam, lParam);
}

LRESULT GUIObject::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

void GUIObject::Show(int command) {
    if (window_ && IsWindow(window_) && (!page_ || page_->IsShown())) {
        ShowWindowAsync(window_, command);
    }
    visible_ = command == SW_SHOW;
    Invalidate();
}

void GUIObject::Move(int x, int y) {
    if (window_) {
        SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    x_ = x;
    y_ = y;
}

void GUIObject::Resize(int width, int height) {
    if (window_) {
        SetWindowPos(window_, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    width_ = width;
    height_ = height;
}

void GUIObject::Paint(HDC, const RECT&) {}

int GUIObject::WindowDpi() const {
    const SkinnableWindow* window = FindSkinnableWindow(parentWindow_);
    return window ? window->Dpi() : kBaseDpi;
}

void GUIObject::Invalidate() {
    RECT rect{x_, y_, x_ + width_, y_ + height_};
    if (SkinnableWindow* window = FindSkinnableWindow(parentWindow_)) window->Invalidate(&rect);
}

void GUIObject::ApplyPageVisibility(bool hidden) {
    if (!window_) return;
    if (hidden) {
        ShowWindowAsync(window_, SW_HIDE);
    } else if (visible_) {
        ShowWindowAsync(window_, SW_SHOW);
    }
}

void GUIObject::SetMessageHandler(UINT message, WindowMessageHandler handler) {
    handlers_[message] = handler;
}

void GUIObject::SetPage(GUIPage* page) {
    page_ = page;
}
