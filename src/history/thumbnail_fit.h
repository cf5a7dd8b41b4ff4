// Fitting a thumbnail into the 69 x 69 box of a history item (at 96 DPI; at
// another DPI the box and the overlay's threshold are scaled), masking it and
// premultiplying its alpha. Pixels are 4 bytes B, G, R, A; rows follow each
// other without gaps in the order the caller keeps them (offsets count from
// the first row). Free of Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/display_scale.h"

constexpr int kThumbBox = 69;

// A thumbnail ready to draw: box x box pixels, bottom-up rows, fitted,
// masked where it takes the overlay, and premultiplied.
struct PreparedThumbnail {
    std::vector<std::uint8_t> bgra;
    bool showOverlay = false;
    int box = kThumbBox;
};

struct ThumbnailFit {
    int box = kThumbBox;               // the box's side in pixels
    int cropX = 0, cropY = 0;          // first pixel of the source taken
    int cropWidth = 0, cropHeight = 0;  // at most the box's side each
    int placeX = 0, placeY = 0;        // where the crop lands in the box
    bool showOverlay = false;
};

// Large images are cropped to their centre, small sides are centred on
// transparent black. The overlay (and the mask) are for images that fill the
// box or nearly so. The box is for an entry drawn at `dpi`.
ThumbnailFit FitThumbnail(int width, int height, int dpi = kBaseDpi);

// The box's pixels of `source` (width x height) arranged by FitThumbnail;
// everything outside the crop is transparent black.
std::vector<std::uint8_t> FitThumbnailPixels(const std::uint8_t* source, int width, int height,
                                             const ThumbnailFit& fit);

// With `applyMask`, alpha becomes alpha * mask blue / 255 (the mask is laid
// over the same pixels; an empty mask leaves alpha alone); then every colour
// byte becomes byte * alpha / 255.
void MaskAndPremultiply(std::vector<std::uint8_t>& pixels, const std::vector<std::uint8_t>& mask,
                        bool applyMask);
