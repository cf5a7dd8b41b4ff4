// The pointer handling buttons and toggles share.
#pragma once

#include <windows.h>

// Asks for WM_MOUSELEAVE when the pointer leaves `window`.
void TrackPointerLeave(HWND window);

// For WM_LBUTTONUP: when `window` holds the mouse capture, releases it and
// answers whether the release point (the message's LPARAM) lies inside the
// window; false when it did not hold the capture.
bool ReleasedInside(HWND window, LPARAM lParam);
