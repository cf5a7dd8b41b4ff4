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
    const struct {
        int length, from, to, converted;
    } cases[] = {
        {474, 144, 96, 316}, {1060, 192, 96, 530}, {80, 144, 96, 53},  {81, 144, 96, 54},  // 53.33, 54
        {-80, 144, 96, -53}, {474, 144, 192, 632}, {632, 192, 144, 474}, {530, 96, 144, 795},
        {15, 144, 96, 10},   {16, 144, 96, 11},    {600, 0, 0, 600},                       // 10.67
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.converted, ConvertLength(c.length, c.from, c.to)) << c.length << " " << c.from << " " << c.to;
        if (c.to == 96) {
            EXPECT_EQ(c.converted, UnscaleLength(c.length, c.from)) << c.length;
        }
    }

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
    // A box laid out at one scale lands, at another, exactly where a layout
    // made there puts it; converting directly would be a pixel off here.
    EXPECT_EQ((LayoutBox{5, 8, 80, 11}), ScaleBox(LayoutBox{3, 5, 53, 7}, 144));
    EXPECT_EQ((LayoutBox{6, 10, 106, 14}), ConvertBox(LayoutBox{5, 8, 80, 11}, 144, 192));
    EXPECT_EQ((LayoutBox{3, 5, 53, 7}), ConvertBox(LayoutBox{5, 8, 80, 11}, 144, 96));
    for (const int from : {96, 120, 144, 192}) {
        for (const int to : {96, 120, 144, 168, 192}) {
            for (int length = -300; length <= 300; ++length) {
                ASSERT_EQ(ScaleLength(length, to), ConvertLayoutLength(ScaleLength(length, from), from, to))
                    << length << " from " << from << " to " << to;
            }
        }
    }
    // Below 96 DPI the 96-DPI length is lost; the box is converted as it is.
    EXPECT_EQ((LayoutBox{7, 9, 71, 3}), ConvertBox(LayoutBox{5, 7, 53, 2}, 72, 96));
    EXPECT_EQ(100, ScalePercent(96));
    EXPECT_EQ(125, ScalePercent(120));
    EXPECT_EQ(150, ScalePercent(144));
    EXPECT_EQ(200, ScalePercent(192));
    EXPECT_EQ(100, ScalePercent(5));
}

}  // namespace
