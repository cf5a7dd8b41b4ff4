#include "gui/edit_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(EditCanvas, FillsClipAndRowsAreStoredBottomUp) {
    std::vector<std::uint32_t> pixels(4 * 3, 0);
    const PixelCanvas canvas{pixels.data(), 4, 3};
    canvas.Fill(-5, 0, 2, 1, 0xFF112233u);  // top row, clipped on the left
    EXPECT_EQ(0xFF112233u, pixels[2 * 4 + 0]);  // the top row is stored last
    EXPECT_EQ(0xFF112233u, pixels[2 * 4 + 1]);
    EXPECT_EQ(0u, pixels[2 * 4 + 2]);
    canvas.Set(3, 2, 0xAAu);
    EXPECT_EQ(0xAAu, pixels[3]);
    canvas.Set(4, 0, 0xBBu);  // outside: ignored
    canvas.Fill(0, 2, 99, 99, 0xCCu);
    EXPECT_EQ(0xCCu, pixels[0]);
    EXPECT_EQ(0xCCu, pixels[2]);
    EXPECT_EQ(0xCCu, pixels[3]);  // overwritten by the later fill
    EXPECT_EQ(nullptr, canvas.At(0, 3));
    EXPECT_EQ(0xFF123456u, OpaquePixel(0x7F123456));
}

TEST(EditCanvas, FrameHasBandBorderClearCornersAndSoftenedInnerCorners) {
    const int w = 8, h = 6;
    std::vector<std::uint32_t> pixels(w * h, 0xFF000000u);
    const PixelCanvas canvas{pixels.data(), w, h};
    const int border = 0x102030, background = 0xF0E0D1;
    DrawEditFrame(canvas, border, background);
    auto at = [&](int x, int y) { return *canvas.At(x, y); };

    EXPECT_EQ(0xFF102030u, at(3, 0));
    EXPECT_EQ(0xFF102030u, at(3, h - 1));
    EXPECT_EQ(0xFF102030u, at(0, 3));
    EXPECT_EQ(0xFF102030u, at(w - 1, 3));
    EXPECT_EQ(0xFFF0E0D1u, at(1, 3));
    EXPECT_EQ(0xFFF0E0D1u, at(w - 2, 2));
    EXPECT_EQ(0xFF000000u, at(2, 2));  // the inside is left alone
    // Corners lose only their alpha; the border colour stays in the bytes.
    EXPECT_EQ(0x00102030u, at(0, 0));
    EXPECT_EQ(0x00102030u, at(w - 1, 0));
    EXPECT_EQ(0x00102030u, at(0, h - 1));
    EXPECT_EQ(0x00102030u, at(w - 1, h - 1));
    // (0x10 + 0xF0) / 2, (0x20 + 0xE0) / 2, (0x30 + 0xD1) / 2 truncated.
    EXPECT_EQ(0xFF808080u, at(1, 1));
    EXPECT_EQ(0xFF808080u, at(w - 2, 1));
    EXPECT_EQ(0xFF808080u, at(1, h - 2));
    EXPECT_EQ(0xFF808080u, at(w - 2, h - 2));
}

}  // namespace
