// How a second start of the program talks to the running instance: the
// shared-memory block that publishes its main window, commands posted to
// that window (starting the program first when none runs), and file
// arguments handed over as a simulated file drop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/product.h"

// Creates the mapping and stores the window in it; the mapping handle must
// stay open while the instance runs. Null on failure.
HANDLE PublishMainWindow(HWND window);

// The window the running instance published, or null.
HWND FindRunningInstanceWindow();

// Posts `message` to the running instance's window, starting this program
// first (and waiting up to 60 polls of 250 ms for its window) when none runs.
void ForwardCommand(HINSTANCE instance, UINT message, WPARAM wParam, LPARAM lParam);

// The process's arguments, the program name first.
std::vector<std::wstring> ProcessArguments();

// Builds the movable memory block of a file drop holding `paths` in order
// (wide names). The receiver owns it. Null when it cannot be allocated.
HGLOBAL BuildDropBlock(const std::vector<std::wstring>& paths);

// Hands `arguments` (program name first) to `window` as a dropped file list.
// "/remove PATH" as the first two deletes PATH and drops the rest. Sends
// nothing when no files remain. A window of this process gets WM_DROPFILES
// directly; a window of another process gets the same block as WM_COPYDATA,
// because a memory handle means nothing outside the process that made it.
void ForwardArgumentListAsDrop(HWND window, const std::vector<std::wstring>& arguments);

// The same with this process's own arguments.
void ForwardArgumentsAsDrop(HWND window);

// For the receiving window's WM_COPYDATA: when `data` carries a dropped file
// list from another start, checks it, posts it to `window` as WM_DROPFILES
// and returns true. Malformed lists are refused (true, nothing posted);
// false means the message is not a hand-off.
bool ReceiveDropHandOff(HWND window, const COPYDATASTRUCT* data);
