// Direct pixel drawing on an edit box's picture: a 32-bit bottom-up DIB
// section (rows stored bottom row first) of 0xAARRGGBB words. Coordinates
// are counted from the top-left corner like everywhere else in the window.
#pragma once

#include <cstdint>

struct PixelCanvas {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;

    // The word of the pixel at (x, y), or null outside the picture.
    std::uint32_t* At(int x, int y) const;
    // Writes one pixel; ignored outside the picture.
    void Set(int x, int y, std::uint32_t argb) const;
    // Fills columns left..right-1 of rows top..bottom-1, clipped.
    void Fill(int left, int top, int right, int bottom, std::uint32_t argb) const;
};

// An opaque pixel of a 0xRRGGBB colour (bits above 23 are ignored).
std::uint32_t OpaquePixel(int rgb);

// The edit box's frame: a one-pixel border around a one-pixel band of the
// background colour, with transparent corners and softened pixels inside
// them.
void DrawEditFrame(const PixelCanvas& canvas, int borderRgb, int backgroundRgb);
