#include "capture/grab_outline.h"

bool GrabMayKeepTransparency(bool vistaOrLater, bool settingOn, std::uint32_t style, bool maximised) {
    return vistaOrLater && settingOn && (style & kCaptionStyle) == kCaptionStyle && !maximised;
}

GrabOutline OutlineForWindow(const CaptureRect& w, CapturePoint origin, bool transparent) {
    GrabOutline outline;
    outline.anchor = {w.left - origin.x, w.top - origin.y};
    outline.current = {w.right - 1 - origin.x, w.bottom - 1 - origin.y};
    if (transparent) {
        outline.anchor.x -= kGrabShadowMargin;
        outline.anchor.y -= kGrabShadowMargin;
        outline.current.x += kGrabShadowMargin;
        outline.current.y += kGrabShadowMargin;
        outline.border = kGrabBorderTransparent;
    }
    return outline;
}
