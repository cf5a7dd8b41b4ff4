// The one door to the image library (DevIL with ILU): its initialisation, the
// process-wide mutex around every call into it, and the loader that turns an
// image file into a premultiplied 32-bit DIB section for AlphaBlend.
#pragma once

#include <windows.h>

// Initialises the library and creates the image mutex; later calls return at
// once.
void InitImageLibrary();

// Waits without time-out for the image mutex / releases it. Every call into
// DevIL anywhere in the program sits between these two.
void LockImageLibrary();
void UnlockImageLibrary();

// The image mutex, or null before InitImageLibrary.
HANDLE ImageLibraryMutex();

// Loads `path` into a bottom-up 32-bit DIB section (bytes B, G, R, A, colour
// premultiplied by alpha). `bitmap` is required and set to null first; the
// caller deletes the handle. `bits` receives the pixel memory and `size` the
// width and height, both optional. False (and a null bitmap) when the path is
// null, the library is not initialised or the file does not decode.
bool LoadImageBitmap(const wchar_t* path, HBITMAP* bitmap, void** bits = nullptr,
                     SIZE* size = nullptr);
