// The one door to the image library (DevIL with ILU): its initialisation, the
// process-wide mutex around every call into it, and the loader that turns an
// image file into a premultiplied 32-bit DIB section for AlphaBlend.
#pragma once

#include <windows.h>

#include <mutex>

#include "base/display_scale.h"

// Initialises the library once; later calls (from any thread) return at once.
void InitImageLibrary();
// True once InitImageLibrary has run.
bool ImageLibraryReady();

// Waits without time-out for the image lock / releases it. Every call into
// DevIL anywhere in the program sits between these two (or inside an
// ImageLibraryLock).
void LockImageLibrary();
void UnlockImageLibrary();

// The process-wide lock behind them, for scoped use.
std::mutex& ImageLibraryMutex();
using ImageLibraryLock = std::lock_guard<std::mutex>;

// Loads `path` into a bottom-up 32-bit DIB section (bytes B, G, R, A, colour
// premultiplied by alpha). `bitmap` is required and set to null first; the
// caller deletes the handle. `bits` receives the pixel memory and `size` the
// width and height, both optional. A picture drawn for 96 DPI is shown at
// `dpi` at its width and height scaled by the program's one rounding rule
// (a side of one pixel, a repeated slice, stays one):
// a picture of the skin folder is taken from the skin set nearest above the
// DPI when it has one (skin_sets.h), as it is when the set is drawn for
// exactly that DPI, else resampled (colour premultiplied first, so
// transparent pixels lend it no fringe).
// False (and a null bitmap) when the path is null, the library is not
// initialised, the file does not decode or the scaled picture would be huge.
bool LoadImageBitmap(const wchar_t* path, HBITMAP* bitmap, void** bits = nullptr, SIZE* size = nullptr,
                     int dpi = kBaseDpi);
