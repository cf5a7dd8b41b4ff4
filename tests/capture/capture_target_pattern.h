// The pictures capture_target paints, shared with the tests that check the
// captured pixels. Free of Win32.
#pragma once

#include <cstdint>

// 0x00RRGGBB at client point (x, y) of a pattern window: no two points of a
// 256 x 256 block share a colour, so a shifted capture never matches.
inline std::uint32_t TestPattern(int x, int y) {
    const std::uint32_t red = static_cast<std::uint32_t>(x * 7 + 13) & 0xFF;
    const std::uint32_t green = static_cast<std::uint32_t>(y * 5 + 31) & 0xFF;
    const std::uint32_t blue = static_cast<std::uint32_t>((x ^ y) * 3) & 0xFF;
    return red << 16 | green << 8 | blue;
}

// The shadow window: within kShadowWidth of its edges black at alpha 128,
// inside an opaque colour. Premultiplied 0xAARRGGBB.
constexpr int kShadowWidth = 20;
constexpr std::uint32_t kShadowCore = 0xFF3366CC;
constexpr std::uint32_t kShadowEdge = 0x80000000;

inline std::uint32_t ShadowPixel(int x, int y, int width, int height) {
    const bool edge =
        x < kShadowWidth || y < kShadowWidth || x >= width - kShadowWidth || y >= height - kShadowWidth;
    return edge ? kShadowEdge : kShadowCore;
}
