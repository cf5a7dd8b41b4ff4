// Running a piece of work on the thread that owns a window: the capture
// thread hands its results to the main window's thread this way, posted and
// never sent.
#pragma once

#include <windows.h>

#include <functional>

// Installs the receiver on `window`; call it on the window's own thread
// before anything is posted to it. Repeated calls are harmless.
bool AcceptWindowTasks(HWND window);

// Any thread: posts `task` to run on the thread of `window`. False (task
// dropped) when the window is gone or takes no tasks.
bool PostToWindowThread(HWND window, std::function<void()> task);
