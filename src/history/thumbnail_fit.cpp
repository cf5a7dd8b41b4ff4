#include "history/thumbnail_fit.h"

#include <algorithm>

namespace {

// A strip this wide or high (at 96 DPI) still takes the overlay.
constexpr int kNearlyFull = 50;

}  // namespace

ThumbnailFit FitThumbnail(int width, int height, int dpi) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    ThumbnailFit fit;
    const int box = fit.box = ScaleLength(kThumbBox, dpi);
    const int nearlyFull = ScaleLength(kNearlyFull, dpi);
    const bool wide = width > box;
    const bool tall = height > box;
    fit.cropWidth = wide ? box : width;
    fit.cropHeight = tall ? box : height;
    fit.cropX = wide ? (width - box) / 2 : 0;
    fit.cropY = tall ? (height - box) / 2 : 0;
    fit.placeX = (box - fit.cropWidth) / 2;
    fit.placeY = (box - fit.cropHeight) / 2;
    if (wide && tall) {
        fit.showOverlay = true;
    } else if (wide) {
        fit.showOverlay = height > nearlyFull;
    } else if (tall) {
        fit.showOverlay = width > nearlyFull;
    }
    return fit;
}

std::vector<std::uint8_t> FitThumbnailPixels(const std::uint8_t* source, int width, int height,
                                             const ThumbnailFit& fit) {
    std::vector<std::uint8_t> box(static_cast<std::size_t>(fit.box) * fit.box * 4, 0);
    if (!source || width <= 0 || height <= 0) return box;
    for (int row = 0; row < fit.cropHeight; ++row) {
        const std::uint8_t* from =
            source + (static_cast<std::size_t>(fit.cropY + row) * width + fit.cropX) * 4;
        std::uint8_t* to =
            box.data() + (static_cast<std::size_t>(fit.placeY + row) * fit.box + fit.placeX) * 4;
        std::copy(from, from + static_cast<std::size_t>(fit.cropWidth) * 4, to);
    }
    return box;
}

void MaskAndPremultiply(std::vector<std::uint8_t>& pixels, const std::vector<std::uint8_t>& mask,
                        bool applyMask) {
    const bool masked = applyMask && mask.size() >= pixels.size();
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        unsigned alpha = pixels[i + 3];
        if (masked) alpha = alpha * mask[i] / 255;  // the mask's blue byte
        pixels[i + 3] = static_cast<std::uint8_t>(alpha);
        for (int c = 0; c < 3; ++c) {
            pixels[i + c] = static_cast<std::uint8_t>(pixels[i + c] * alpha / 255);
        }
    }
}
