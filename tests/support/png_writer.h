// Writes small RGBA PNG files for tests, without any image library: deflate
// with stored blocks only. Free of Win32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgba` holds width * height pixels, rows top to bottom, bytes R, G, B, A.
std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);
bool WritePng(const std::string& utf8Path, int width, int height,
              const std::vector<std::uint8_t>& rgba);

// width * height pixels of one colour.
std::vector<std::uint8_t> SolidRgba(int width, int height, std::uint8_t red, std::uint8_t green,
                                    std::uint8_t blue, std::uint8_t alpha);
