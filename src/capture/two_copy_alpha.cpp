#include "capture/two_copy_alpha.h"

namespace {

std::uint8_t ClampByte(int value) {
    if (value < 0) return 0;
    if (value > 255) return 255;
    return static_cast<std::uint8_t>(value);
}

}  // namespace

void RecoverPixel(const std::uint8_t* black, const std::uint8_t* white, std::uint8_t* out) {
    // A difference in green beyond 255 (white darker than black) wraps, as
    // the alpha byte keeps only its low 8 bits.
    const int alpha = (255 - (int{white[1]} - int{black[1]})) & 0xFF;
    for (int c = 0; c < 3; ++c) {
        // Signed division truncating toward zero, then clamped.
        out[c] = alpha == 0 ? 0 : ClampByte((int{white[c]} - (255 - alpha)) * 255 / alpha);
    }
    out[3] = static_cast<std::uint8_t>(alpha);
}

bool RecoverAlpha(const std::uint8_t* black, const std::uint8_t* white, std::uint8_t* out,
                  std::size_t pixels) {
    bool transparent = false;
    for (std::size_t i = 0; i < pixels; ++i) {
        RecoverPixel(black + 4 * i, white + 4 * i, out + 4 * i);
        if (out[4 * i + 3] != 255) transparent = true;
    }
    return transparent;
}
