#include "capture/raw_image.h"

#include <new>

namespace {

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> BuildRawImage(const std::uint8_t* bgra, int width, int height) {
    std::vector<std::uint8_t> block;
    if (!bgra || width <= 0 || height <= 0) return block;
    const long long pixels = static_cast<long long>(width) * height;
    if (pixels > kRawMaxPixels) return block;
    try {
        block.resize(kRawHeaderSize + static_cast<std::size_t>(pixels) * 4);
    } catch (const std::bad_alloc&) {
        return {};
    }
    Put32(&block[0], static_cast<std::uint32_t>(width));
    Put32(&block[4], static_cast<std::uint32_t>(height));
    Put32(&block[8], 1);
    block[12] = 4;
    block[13] = 1;
    std::uint8_t* out = block.data() + kRawHeaderSize;
    for (long long i = 0; i < pixels; ++i, bgra += 4, out += 4) {
        out[0] = bgra[2];
        out[1] = bgra[1];
        out[2] = bgra[0];
        out[3] = bgra[3];
    }
    return block;
}

void FlattenRawOntoWhite(std::vector<std::uint8_t>& block) {
    if (block.size() < kRawHeaderSize) return;
    for (std::size_t i = kRawHeaderSize; i + 4 <= block.size(); i += 4) {
        const unsigned alpha = block[i + 3];
        for (int c = 0; c < 3; ++c) {
            block[i + c] =
                static_cast<std::uint8_t>((block[i + c] * alpha + 255 * (255 - alpha) + 127) / 255);
        }
        block[i + 3] = 255;
    }
}
