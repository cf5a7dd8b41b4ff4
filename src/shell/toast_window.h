// One toast's window and widgets, built and torn down on the thread that
// runs it. ShowToast (toast.h) is the way in; this layer is separate so a
// toast can also be driven tick by tick on the calling thread.
#pragma once

#include <windows.h>

#include <string>

#include "gui/gui_button.h"

class SkinnableWindow;
class GUIImage;
class GUIText;

struct ToastRequest {
    SkinnableWindow* window = nullptr;  // set when the toast is built
    bool success = false;
    std::wstring* name = nullptr;  // owned; freed once the name text exists
    std::wstring* url = nullptr;   // owned, or null: no "Copy URL" link
    ButtonClickFunction copyAction = nullptr;  // called with the URL's text
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
// Gives the place back, destroys the window and widgets and frees the URL.
// The request itself stays with the caller.
void TearDownToast(ToastRequest* request);

// How many toasts have started since the stack was last empty.
int ToastCount();

// What the toast does with one WM_TIMER; exposed for tests.
bool ToastTimerHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
