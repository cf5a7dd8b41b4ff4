// One rounding rule for every length the program scales.
#include <gtest/gtest.h>

#include <climits>

#include "base/display_scale.h"

namespace {

TEST(DisplayScale, LengthsRoundToNearestWithHalvesAwayFromZero) {
    struct Case {
        int length, dpi, scaled;
    };
    const Case cases[] = {
        // The main window at 150 % and 200 %.
        {316, 144, 474}, {530, 144, 795}, {316, 192, 632}, {530, 192, 1060},
        {0, 144, 0},     {12, 144, 18},   {53, 144, 80},   {1, 144, 2},    // 79.5 and 1.5 go up
        {5, 120, 6},     {3, 120, 4},     {53, 120, 66},   {1, 120, 1},    // 6.25, 3.75, 66.25, 1.25
        {-5, 144, -8},   {-1, 144, -2},   {-3, 120, -4},   {-53, 120, -66},  // mirror images
        {316, 96, 316},  {7, 168, 12},    {7, 72, 5},      {7, 48, 4},     // 12.25, 5.25, 3.5
        // A DPI no monitor has leaves lengths alone.
        {316, 0, 316},   {316, -144, 316}, {316, 47, 316}, {316, 100000, 316},
        {316, 1536, 5056}, {316, 1537, 316},
        // Far out: clamped, never wrapped.
        {INT_MAX, 192, INT_MAX}, {INT_MIN, 192, INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.scaled, ScaleLength(c.length, c.dpi)) << c.length << " at " << c.dpi;
    }
}

TEST(DisplayScale, BackAndBetweenMonitors) {
    EXPECT_EQ(316, UnscaleLength(474, 144));
    EXPECT_EQ(530, UnscaleLength(1060, 192));
    EXPECT_EQ(53, UnscaleLength(80, 144));   // 53.33
    EXPECT_EQ(54, UnscaleLength(81, 144));   // 54 exactly
    EXPECT_EQ(-53, UnscaleLength(-80, 144));
    EXPECT_EQ(632, ConvertLength(474, 144, 192));
    EXPECT_EQ(474, ConvertLength(632, 192, 144));
    EXPECT_EQ(795, ConvertLength(530, 96, 144));
    EXPECT_EQ(10, ConvertLength(15, 144, 96));
    EXPECT_EQ(11, ConvertLength(16, 144, 96));  // 10.67
    EXPECT_EQ(600, ConvertLength(600, 0, 0));

    // Scaling up and back gives the 96-DPI length again, whatever the scale.
    for (const int dpi : {96, 120, 144, 168, 192, 240, 288}) {
        for (int length = -600; length <= 600; ++length) {
            ASSERT_EQ(length, UnscaleLength(ScaleLength(length, dpi), dpi)) << length << " at " << dpi;
        }
    }
}

TEST(DisplayScale, BoxesScalePositionAndSizeAlike) {
    // The size follows the size's own rounding, so a 53-wide button is as
    // wide as its 80-pixel picture wherever it stands.
    EXPECT_EQ((LayoutBox{8, 8, 80, 80}), ScaleBox(LayoutBox{5, 5, 53, 53}, 144));
    EXPECT_EQ((LayoutBox{-8, 3, 80, 80}), ScaleBox(LayoutBox{-5, 2, 53, 53}, 144));
    EXPECT_EQ((LayoutBox{0, 0, 632, 1060}), ScaleBox(LayoutBox{0, 0, 316, 530}, 192));
    EXPECT_EQ(100, ScalePercent(96));
    EXPECT_EQ(125, ScalePercent(120));
    EXPECT_EQ(150, ScalePercent(144));
    EXPECT_EQ(200, ScalePercent(192));
    EXPECT_EQ(100, ScalePercent(5));
}

}  // namespace
