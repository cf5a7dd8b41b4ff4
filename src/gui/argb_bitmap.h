// The 32-bit, bottom-up, premultiplied ARGB bitmaps every layer of the
// toolkit draws into.
#pragma once

#include <windows.h>

#include "base/scoped_win.h"

#include <cstdint>

// A width × height DIB section, 32 bits per pixel, rows bottom-up; `bits`
// receives the pixels. `compatible` may be null (the screen). Null on failure.
HBITMAP CreateArgbBitmap(HDC compatible, int width, int height, void** bits);

// Sets the pixels of `rect` (window rows, top-down, clamped to the bitmap)
// to transparent black.
void ClearArgbRect(std::uint32_t* pixels, int width, int height, const RECT& rect);
