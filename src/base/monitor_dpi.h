// The DPI Windows gives the system, a monitor and a window. The calls that
// answer per monitor are looked up at run time (Windows 8.1 and 10 have
// them), so the program still starts on XP, where the system's one DPI
// answers for every monitor. Tests answer through Seams::monitorDpi, which
// can lay out monitors Wine cannot show.
#pragma once

#include <windows.h>

// The DPI of the system as a whole (the primary monitor's at sign-in).
int SystemDpi();
// The monitor's effective DPI; the system's where it cannot be asked.
int DpiOfMonitor(HMONITOR monitor);
// The DPI of the monitor holding most of `screenArea` (physical pixels of the
// virtual screen), or of the nearest one when no monitor holds any of it.
int DpiOfArea(const RECT& screenArea);
int DpiOfPoint(POINT screenPoint);
// The DPI the window is drawn at: its monitor's for a per-monitor aware
// program.
int DpiOfWindow(HWND window);

// The rectangle a WM_DPICHANGED message suggests, from its lParam. Any
// process can send or post that message with any number there, so the
// rectangle is copied without trusting the pointer, and false (nothing
// copied) unless it could be read and has a window's size.
bool SuggestedRectOf(LPARAM lParam, RECT* rect);
