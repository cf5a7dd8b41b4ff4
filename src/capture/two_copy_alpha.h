// Real transparency from two copies of the same window, one taken over a
// black backdrop and one over a white one. Only green decides alpha; the
// colour undoes compositing over white. Free of Win32.
#pragma once

#include <cstddef>
#include <cstdint>

// One pixel from its black and white copies (bytes B, G, R, any fourth byte
// ignored); writes B, G, R, A into `out`.
void RecoverPixel(const std::uint8_t* black, const std::uint8_t* white, std::uint8_t* out);

// `pixels` pixels of 4 bytes each. True when any pixel came out with an
// alpha other than 255 (the image has transparency).
bool RecoverAlpha(const std::uint8_t* black, const std::uint8_t* white, std::uint8_t* out,
                  std::size_t pixels);
