// Pictures in the clipboard's bytes. A device-independent bitmap (the
// clipboard's CF_DIB and CF_DIBV5) is checked against its own header before
// a pixel is read, and copied out as B, G, R, A rows; a PNG file (the
// registered "PNG" format) is checked for its signature, its size and where
// it ends, and kept byte for byte. Free of Win32: the bytes are hostile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Neither side of a picture may be longer.
constexpr int kClipboardImageMaxSide = 16384;

enum class ClipboardImageResult {
    kImage,        // read
    kTooLarge,     // a side over kClipboardImageMaxSide (or no memory for it)
    kMalformed,    // the header does not match itself or the bytes there are
    kUnsupported,  // compressed, or a depth no program puts there
};

struct DibPicture {
    int width = 0;
    int height = 0;
    // Whether the alpha bytes mean anything: a CF_DIBV5 with an alpha mask
    // whose alpha is not zero everywhere. Otherwise every alpha is 255.
    bool hasAlpha = false;
    std::vector<std::uint8_t> bgra;  // width * height pixels, bottom row first
};

// Reads a packed bitmap: a BITMAPINFOHEADER (or one of its longer forms, up
// to BITMAPV5HEADER), its colour masks and colour table, then the pixels.
// `size` may run past the pixels (clipboard memory is often rounded up);
// it may not stop short of them. 1, 4, 8 (with a colour table), 16, 24 and
// 32 bits a pixel; uncompressed or with bit fields.
ClipboardImageResult ReadDib(const std::uint8_t* bytes, std::size_t size, DibPicture& out);

struct PngExtent {
    int width = 0;
    int height = 0;
    std::size_t length = 0;  // the file's bytes, up to the end of its IEND chunk
};

// Checks a PNG file: its signature, an IHDR chunk first with both sides from
// 1 to kClipboardImageMaxSide, and chunks that stay within `size` up to
// IEND. Bytes after IEND are not the file's.
ClipboardImageResult CheckPng(const std::uint8_t* bytes, std::size_t size, PngExtent& out);
