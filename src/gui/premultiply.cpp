#include "gui/premultiply.h"

void PremultiplyAlpha(std::uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, pixels += 4) {
        const unsigned alpha = pixels[3];
        for (int channel = 0; channel < 3; ++channel) {
            pixels[channel] = static_cast<std::uint8_t>(pixels[channel] * alpha / 255);
        }
    }
}
