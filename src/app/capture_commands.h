// The screenshot and window-grab commands: a capture whose file goes to the
// upload queue, and whose failure to save shows as a failed upload does.
#pragma once

// Main thread: starts a region capture (true) or a window grab (false);
// `frozen`: a region capture on the screen as it is at this moment.
void StartCaptureCommand(bool regionMode, bool frozen = false);

// The drop area's error state and a failure toast for a capture that could
// not be saved under `name`. Main thread.
void ShowCaptureFailure(const wchar_t* name);
