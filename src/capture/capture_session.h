// The one capture that runs at a time, as its own thread and the main
// window's thread see it: which of its windows is in front, whether it has
// been asked to end, and its thread, for whoever must wait for its end.
// Only the capture's own files use this; capture.h holds what others call.
#pragma once

#include <windows.h>

// Main thread: claims the one place. False when a capture runs already.
// `mainWindow` is kept hidden while the capture wants it so (`mainHidden`).
bool BeginCaptureSession(HWND mainWindow, bool mainHidden);
// Main thread: the claimed capture's thread (the session owns the handle
// from here on), or null when it could not start, which frees the place.
void SetCaptureSessionThread(HANDLE thread);

// Capture thread. The window a request to come forward (or to end) goes
// to: the overlay, then the prompt.
void SetCaptureFrontWindow(HWND window);
// The main window must stay hidden (while the prompt asks, say).
void KeepMainWindowHidden(bool hidden);
// Set once the program is ending: nothing more is saved or handed over.
bool CaptureCancelled();
// Signalled together with CaptureCancelled, for waits that must end then.
// Lives as long as the process.
HANDLE CaptureCancelEvent();
// The capture's last step: the place is free again.
void EndCaptureSession();
