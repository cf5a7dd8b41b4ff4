// Premultiplying colour by alpha, as AlphaBlend with per-pixel alpha expects.
// Free of Win32.
#pragma once

#include <cstddef>
#include <cstdint>

// `pixels` holds `count` pixels of four bytes, the fourth being alpha. Each
// colour byte becomes byte * alpha / 255, truncated; alpha stays.
void PremultiplyAlpha(std::uint8_t* pixels, std::size_t count);
