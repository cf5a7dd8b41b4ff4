#include "gui/pointer_input.h"

#include <windowsx.h>

void TrackPointerLeave(HWND window) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
}

bool ReleasedInside(HWND window, LPARAM lParam) {
    if (GetCapture() != window) return false;
    ReleaseCapture();
    RECT client{};
    GetClientRect(window, &client);
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, point) != FALSE;
}
