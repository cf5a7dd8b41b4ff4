// Which of the skin's drawn scales a monitor's DPI takes its pictures from.
#include "gui/skin_sets.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinSets, TheSmallestSetAtLeastAsLargeThenTheLargest) {
    const struct {
        int dpi, set;
    } cases[] = {
        {96, 100}, {72, 100}, {48, 100},    // below 100 %: made smaller from 100 %
        {97, 150}, {120, 150}, {144, 150},  // 125 % from 150 %
        {145, 200}, {168, 200}, {192, 200},
        {240, 200}, {384, 200},             // beyond: the largest, made larger
        {0, 100}, {-5, 100}, {100000, 100}, // no monitor's DPI: 100 %
    };
    for (const auto& c : cases) EXPECT_EQ(c.set, SkinSetFor(c.dpi)) << c.dpi;
    EXPECT_EQ(144, SkinSetDpi(150));
    EXPECT_EQ(192, SkinSetDpi(200));
    EXPECT_EQ(96, SkinSetDpi(100));
    // Pictures: a one-pixel slice stays one pixel; other sides scale.
    EXPECT_EQ(1, ScaledPictureLength(1, 192));
    EXPECT_EQ(3, ScaledPictureLength(2, 144));
    EXPECT_EQ(474, ScaledPictureLength(316, 144));
}

TEST(SkinSets, ASetKeepsTheSkinFoldersNames) {
    EXPECT_EQ(L"skin\\150\\buttons\\ok.png", SkinSetPath(L"skin\\buttons\\ok.png", 150));
    EXPECT_EQ(L"skin\\200\\toast\\background.png", SkinSetPath(L"skin\\toast\\background.png", 200));
    EXPECT_EQ(L"skin\\buttons\\ok.png", SkinSetPath(L"skin\\buttons\\ok.png", 100));
    EXPECT_EQ(L"", SkinSetPath(L"thumbs\\a.png", 150));
    EXPECT_EQ(L"", SkinSetPath(L"skins\\a.png", 150));
    EXPECT_EQ(L"", SkinSetPath(L"", 150));
}

}  // namespace
