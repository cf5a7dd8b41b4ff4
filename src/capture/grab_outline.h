// Window-grab rules that need no window: whether a grab keeps real
// transparency, and the outline around the picked window. Free of Win32.
#pragma once

#include <cstdint>

#include "capture/capture_geometry.h"
#include "capture/overlay_canvas.h"

// How far a transparent grab reaches beyond the window, for its shadow.
constexpr int kGrabShadowMargin = 30;

// Both caption bits (WS_CAPTION) of a window style.
constexpr std::uint32_t kCaptionStyle = 0x00C00000;

// Whether to ask the desktop compositor for a transparent grab: Vista or
// later, the setting on, a window with a caption that is not maximised.
bool GrabMayKeepTransparency(bool vistaOrLater, bool settingOn, std::uint32_t style, bool maximised);

struct GrabOutline {
    CapturePoint anchor;
    CapturePoint current;
    std::uint32_t border = kGrabBorderOpaque;
};

// The outline of a window at `windowRect` (screen coordinates) on an
// overlay whose top-left corner is at `overlayOrigin`; a transparent grab
// takes in the shadow margin and is outlined in blue.
GrabOutline OutlineForWindow(const CaptureRect& windowRect, CapturePoint overlayOrigin, bool transparent);
