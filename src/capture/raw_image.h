// The raw image block handed to the image library: a 14-byte little-endian
// header (width, height, depth 1 as 32-bit values; 4 bytes per pixel and 1
// byte per channel as single bytes), then the pixels as R, G, B, A in the
// bitmap's row order (bottom row first). Free of Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::size_t kRawHeaderSize = 14;
// Larger captures are refused rather than allocated (16384 x 16384).
constexpr long long kRawMaxPixels = 16384LL * 16384LL;

// Builds the block from `bgra` (width * height pixels of B, G, R, A). Empty
// when the size is not positive, too large, or the memory is not there.
std::vector<std::uint8_t> BuildRawImage(const std::uint8_t* bgra, int width, int height);

// Lays the block's pixels over opaque white (colour straight, not
// premultiplied): each channel becomes c * a / 255 + 255 - a, rounded, and
// alpha 255.
void FlattenRawOntoWhite(std::vector<std::uint8_t>& block);
