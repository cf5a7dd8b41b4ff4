// Behaviour attached to one window message of a skinned window or a widget.
#pragma once

#include <windows.h>

// Returns true when it handled the message; the window procedure then returns
// what the handler stored in `result` (0 unless it wrote something). False
// lets the default handling go on.
using WindowMessageHandler = bool (*)(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam, LRESULT* result);
