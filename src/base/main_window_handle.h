// The main window's handle, readable from any thread: the owner of message
// boxes shown by other threads and the target of work posted to the main
// thread (base/window_task.h). Null before the window exists and after it
// is gone.
#pragma once

#include <windows.h>

HWND MainWindowHandle();
void SetMainWindowHandle(HWND window);
