// The two functions of the desktop window manager the window uses, looked up
// in dwmapi.dll on first use: Windows XP has no such library.
#pragma once

#include <windows.h>
#include <dwmapi.h>

struct DwmApi {
    HRESULT(WINAPI* isCompositionEnabled)(BOOL* enabled) = nullptr;
    HRESULT(WINAPI* enableBlurBehindWindow)(HWND window, const DWM_BLURBEHIND* blur) = nullptr;
};

// Null when dwmapi.dll (or one of the functions) is missing.
const DwmApi* Dwm();

// Replaces the functions (tests count the calls); null returns to the
// library's own.
void OverrideDwm(const DwmApi* replacement);
