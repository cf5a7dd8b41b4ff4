// Window-grab mode: which window the pointer picks, whether its grab keeps
// transparency, raising it above everything and putting it back, and the
// copy over a black and a white backdrop.
#pragma once

#include <windows.h>

#include <cstdint>

struct CaptureState;

// The top-level window under `screen`: child windows resolve to their
// top-level parent; null over the desktop or nothing.
HWND PickableWindowAt(POINT screen);

// Vista or later, EnableTransparentWindowGrab on, a captioned window that is
// not maximised, and the desktop composing: the grab takes in the window's
// shadow and keeps its transparency.
bool WantsTransparentGrab(HWND window);

// Makes the target topmost and active; when the program may not, asks the
// helper program. Sets restoreTopmost. Waits on the target's thread only
// within a bound: a target that does not answer is left where it stands
// (targetHung), and is copied there without a backdrop.
void RaiseTarget(CaptureState& state);
// Undoes RaiseTarget.
void PutTargetBack(CaptureState& state);

// Copies w x h screen pixels from `origin` (screen coordinates) into
// `result` (a 32-bit bottom-up DIB of that size, selected in `resultDC`).
// With EnableTransparentWindowGrab on, copies over black and over white
// and gives every pixel its alpha; true when some pixel is not opaque.
bool CopyTarget(CaptureState& state, HDC resultDC, std::uint8_t* result, POINT origin, int w, int h);
