#include "capture/two_copy_alpha.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

struct Pixel {
    std::uint8_t b, g, r, a;
};

Pixel Recover(Pixel black, Pixel white) {
    Pixel out{};
    RecoverPixel(&black.b, &white.b, &out.b);
    return out;
}

TEST(TwoCopyAlphaTest, ListedCases) {
    struct Case {
        Pixel black, white, result;
    } cases[] = {
        // Opaque: the same in both copies, colour unchanged.
        {{10, 200, 30, 0}, {10, 200, 30, 0}, {10, 200, 30, 255}},
        // Black over black and white over white: nothing there.
        {{0, 0, 0, 0}, {255, 255, 255, 0}, {0, 0, 0, 0}},
        // Half-transparent black shadow.
        {{0, 0, 0, 0}, {127, 127, 127, 0}, {0, 0, 0, 128}},
        // Half-transparent white.
        {{128, 128, 128, 0}, {255, 255, 255, 0}, {255, 255, 255, 128}},
        // Only green decides alpha; blue and red are clamped into range.
        {{0, 100, 0, 0}, {0, 150, 255, 0}, {0, 124, 255, 205}},
        // White darker than black in green: the difference wraps.
        {{0, 10, 0, 0}, {0, 5, 0, 0}, {0, 0, 0, 4}},
    };
    for (const Case& c : cases) {
        const Pixel out = Recover(c.black, c.white);
        EXPECT_EQ(c.result.b, out.b);
        EXPECT_EQ(c.result.g, out.g);
        EXPECT_EQ(c.result.r, out.r);
        EXPECT_EQ(c.result.a, out.a);
    }
    // Signed arithmetic: a colour below what white alone would give is 0,
    // not a wrapped 255; positive results truncate, then clamp.
    const Pixel low = Recover({0, 0, 0, 0}, {3, 250, 200, 0});
    EXPECT_EQ(5, low.a);
    EXPECT_EQ(0, low.b);
    EXPECT_EQ(0, low.r);
    const Pixel half = Recover({0, 127, 0, 0}, {200, 254, 0, 0});
    EXPECT_EQ(128, half.a);
    EXPECT_EQ(145, half.b);  // 73 * 255 / 128 = 145.4
}

TEST(TwoCopyAlphaTest, TransparencyIsReportedOnlyWhenSomePixelIsNotOpaque) {
    const std::uint8_t black[8] = {1, 2, 3, 0, 9, 9, 9, 0};
    std::uint8_t white[8] = {1, 2, 3, 0, 9, 9, 9, 0};
    std::uint8_t out[8];
    EXPECT_FALSE(RecoverAlpha(black, white, out, 2));
    white[5] = 10;
    EXPECT_TRUE(RecoverAlpha(black, white, out, 2));
    EXPECT_EQ(254, out[7]);
}

// Any colour at any alpha, shown over black and over white, comes back so
// that composing it again over black and over white gives both copies.
TEST(TwoCopyAlphaTest, RecomposingGivesBackBothCopies) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 100000; ++i) {
        const int alpha = byte(random);
        Pixel black{}, white{};
        std::uint8_t* bk = &black.b;
        std::uint8_t* wh = &white.b;
        for (int c = 0; c < 3; ++c) {
            const int colour = byte(random);
            bk[c] = static_cast<std::uint8_t>((colour * alpha + 127) / 255);
            wh[c] = static_cast<std::uint8_t>(bk[c] + 255 - alpha);
        }
        const Pixel out = Recover(black, white);
        ASSERT_EQ(alpha, out.a);
        const std::uint8_t* o = &out.b;
        for (int c = 0; c < 3; ++c) {
            const int overBlack = o[c] * out.a / 255;
            const int overWhite = overBlack + 255 - out.a;
            ASSERT_LE(std::abs(overBlack - bk[c]), 1) << "alpha " << alpha;
            ASSERT_LE(std::abs(overWhite - wh[c]), 1) << "alpha " << alpha;
        }
    }
}

}  // namespace
