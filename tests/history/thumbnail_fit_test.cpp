#include "history/thumbnail_fit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct FitCase {
    int dpi;
    int width, height;
    int cropX, cropY, cropWidth, cropHeight, placeX, placeY;
    bool overlay;
};

TEST(ThumbnailFit, CropsLargeSidesAndCentresSmallOnes) {
    const FitCase cases[] = {
        {96, 200, 100, 65, 15, 69, 69, 0, 0, true},   // both large: centre crop
        {96, 200, 40, 65, 0, 69, 40, 0, 14, false},   // wide strip, too low for the overlay
        {96, 200, 51, 65, 0, 69, 51, 0, 9, true},     // wide strip just high enough
        {96, 200, 50, 65, 0, 69, 50, 0, 9, false},
        {96, 40, 200, 0, 65, 40, 69, 14, 0, false},   // tall strip, too narrow
        {96, 60, 70, 0, 0, 60, 69, 4, 0, true},       // tall by one pixel, crop offset 0
        {96, 60, 60, 0, 0, 60, 60, 4, 4, false},      // small: centred unscaled
        {96, 69, 69, 0, 0, 69, 69, 0, 0, false},      // exactly the box
        {96, 70, 70, 0, 0, 69, 69, 0, 0, true},
        {96, 0, 0, 0, 0, 0, 0, 34, 34, false},        // nothing loaded
        // At 150 % the box is 104 and a strip must be higher than 75 (50 scaled).
        {144, 200, 100, 48, 0, 104, 100, 0, 2, true},
        {144, 200, 75, 48, 0, 104, 75, 0, 14, false},
        {144, 200, 76, 48, 0, 104, 76, 0, 14, true},
        {144, 69, 69, 0, 0, 69, 69, 17, 17, false},   // a 100 % thumbnail, centred
        {192, 200, 200, 31, 31, 138, 138, 0, 0, true},
    };
    for (const FitCase& c : cases) {
        const ThumbnailFit fit = FitThumbnail(c.width, c.height, c.dpi);
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.dpi);
        EXPECT_EQ(c.cropX, fit.cropX);
        EXPECT_EQ(c.cropY, fit.cropY);
        EXPECT_EQ(c.cropWidth, fit.cropWidth);
        EXPECT_EQ(c.cropHeight, fit.cropHeight);
        EXPECT_EQ(c.placeX, fit.placeX);
        EXPECT_EQ(c.placeY, fit.placeY);
        EXPECT_EQ(c.overlay, fit.showOverlay);
    }
}

// A source whose every pixel names its own coordinates: B = x, G = y.
std::vector<std::uint8_t> Coordinates(int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 7;
            p[3] = 255;
        }
    }
    return pixels;
}

const std::uint8_t* At(const std::vector<std::uint8_t>& box, int x, int y) {
    return &box[(static_cast<size_t>(y) * kThumbBox + x) * 4];
}

TEST(ThumbnailFit, PixelsLandWhereTheFitSays) {
    const auto wide = Coordinates(200, 40);
    const auto box = FitThumbnailPixels(wide.data(), 200, 40, FitThumbnail(200, 40));
    ASSERT_EQ(69u * 69u * 4u, box.size());
    EXPECT_EQ(65, At(box, 0, 14)[0]);   // first column of the crop
    EXPECT_EQ(0, At(box, 0, 14)[1]);    // first source row
    EXPECT_EQ(133, At(box, 68, 53)[0]);
    EXPECT_EQ(39, At(box, 68, 53)[1]);
    EXPECT_EQ(0, At(box, 10, 13)[3]);   // above the strip: transparent black
    EXPECT_EQ(0, At(box, 10, 13)[2]);
    EXPECT_EQ(0, At(box, 10, 54)[3]);   // below it

    const auto small = Coordinates(60, 60);
    const auto centred = FitThumbnailPixels(small.data(), 60, 60, FitThumbnail(60, 60));
    EXPECT_EQ(0, At(centred, 4, 4)[0]);
    EXPECT_EQ(59, At(centred, 63, 63)[1]);
    EXPECT_EQ(0, At(centred, 3, 30)[3]);
    EXPECT_EQ(0, At(centred, 64, 30)[3]);

    const auto none = FitThumbnailPixels(nullptr, 0, 0, FitThumbnail(0, 0));
    for (std::uint8_t byte : none) ASSERT_EQ(0, byte);
}

TEST(ThumbnailFit, MaskScalesAlphaThenColourIsPremultiplied) {
    std::vector<std::uint8_t> pixels = {200, 100, 50, 255,   // opaque
                                        200, 100, 50, 128};  // half transparent
    std::vector<std::uint8_t> mask = {128, 0, 0, 255, 255, 0, 0, 255};  // blue bytes 128, 255

    auto masked = pixels;
    MaskAndPremultiply(masked, mask, true);
    // alpha 255 * 128 / 255 = 128; colour * 128 / 255
    EXPECT_EQ((std::vector<std::uint8_t>{100, 50, 25, 128, 100, 50, 25, 128}), masked);

    auto plain = pixels;
    MaskAndPremultiply(plain, mask, false);
    EXPECT_EQ((std::vector<std::uint8_t>{200, 100, 50, 255, 100, 50, 25, 128}), plain);

    // Without a mask image the alpha stays.
    auto noMask = pixels;
    MaskAndPremultiply(noMask, {}, true);
    EXPECT_EQ(plain, noMask);
}

}  // namespace
