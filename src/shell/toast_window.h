// One toast's window and widgets, built and torn down on the thread that
// runs it. ShowToast (toast.h) is the way in; this layer is separate so a
// toast can also be driven tick by tick on the calling thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gui/gui_button.h"
#include "gui/skinnable_window.h"

class GUIImage;
class GUIText;

struct ToastRequest {
    HINSTANCE instance = nullptr;  // the toast's windows are made with it
    bool success = false;
    std::wstring name;
    bool hasUrl = false;  // false: no "Copy URL" link
    std::wstring url;
    ButtonClickFunction copyAction = nullptr;  // called with the URL's text
    // While the toast is up: its window, which owns the widgets below.
    std::unique_ptr<SkinnableWindow> window;
    int place = 0;  // place in the stack, 1 = lowest
    GUIImage* icon = nullptr;
    GUIText* nameText = nullptr;
    GUIText* statusText = nullptr;
    GUIButton* copyButton = nullptr;
};

// Takes the next place in the stack and builds the window and its widgets at
// the work area's right edge; starts the slide-out timer. False when the
// window could not be created.
bool BuildToast(ToastRequest* request);
// Gives the place back and destroys the window with its widgets. The request
// itself stays with the caller.
void TearDownToast(ToastRequest* request);

// How many toasts have started since the stack was last empty.
int ToastCount();

// What the toast does with one WM_TIMER; exposed for tests.
bool ToastTimerHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
