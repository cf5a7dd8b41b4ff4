// The screenshot and window-grab commands: a capture whose file goes to the
// upload queue, and whose failure to save shows as a failed upload does;
// delayed screenshots with their countdown.
#pragma once

// Main thread: starts a region capture (true) or a window grab (false);
// `frozen`: a region capture on the screen as it is at this moment, after
// a countdown that hid the main window (`mainWasShown`: it comes back).
void StartCaptureCommand(bool regionMode, bool frozen = false, bool mainWasShown = false);

// Main thread: a region screenshot in `seconds` (1 to 30). The main window
// steps aside and a countdown shows; Escape or a click on it cancels. While
// a capture or a countdown runs, it is brought forward instead.
void StartDelayedScreenshot(int seconds);

// Shutdown: a countdown still running ends without a capture.
void CancelDelayedScreenshot();

// The drop area's error state and a failure toast for a capture that could
// not be saved under `name`. Main thread.
void ShowCaptureFailure(const wchar_t* name);
