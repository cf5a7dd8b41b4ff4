#include "gui/scroll_geometry.h"

#include <gtest/gtest.h>

#include <random>

namespace sg = scroll_geometry;

namespace {

TEST(ScrollGeometryTest, ListsThatFitNeitherScrollNorMove) {
    EXPECT_FALSE(sg::NeedsScrollBar(sg::ListHeight(3, 60), 200));  // 180 in a view of 198
    EXPECT_EQ(0, sg::ScrollRange(180, 200));
    EXPECT_EQ(0, sg::OffsetForPosition(sg::ScrollRange(180, 200), 100));
    EXPECT_EQ(0, sg::ClampOffset(30, 0));
    EXPECT_EQ(0, sg::PositionForOffset(30, 0));
    EXPECT_EQ(13, sg::ThumbTop(10, 200, 14, 30, 0));
    // Exactly filling the view: no bar, and no division by a zero range.
    EXPECT_FALSE(sg::NeedsScrollBar(198, 200));
    EXPECT_EQ(0, sg::ScrollRange(198, 200));
    EXPECT_TRUE(sg::NeedsScrollBar(199, 200));
}

TEST(ScrollGeometryTest, LongListThumbOffsetAndStep) {
    const int list = sg::ListHeight(10, 60);
    const int range = sg::ScrollRange(list, 200);
    EXPECT_EQ(402, range);
    EXPECT_EQ(65, sg::ThumbHeight(list, 200));  // 198 * 198 / 600
    EXPECT_EQ(402, sg::OffsetForPosition(range, 100));
    EXPECT_EQ(201, sg::OffsetForPosition(range, 50));
    EXPECT_EQ(10 + 136, sg::ThumbTop(10, 200, 65, 402, range));
    EXPECT_EQ(4, sg::PositionForOffset(sg::WheelStep(60), range));  // 20 of 402 pixels
    EXPECT_EQ(100, sg::PositionForOffset(500, range));
    EXPECT_EQ(402, sg::ClampOffset(500, range));
    EXPECT_EQ(0, sg::ClampOffset(-5, range));
    // A step is a third of an item however long the list is.
    EXPECT_EQ(30, sg::WheelStep(90));
    EXPECT_EQ(1, sg::WheelStep(2));
    // A hundred thousand items of 90 pixels: products beyond 32 bits.
    const int huge = sg::ListHeight(100000, 90);
    const int hugeRange = sg::ScrollRange(huge, 197);
    EXPECT_EQ(sg::kMinimumThumbHeight, sg::ThumbHeight(huge, 197));
    EXPECT_EQ(hugeRange / 2, sg::OffsetForPosition(hugeRange, 50));
    EXPECT_EQ(143 + 197 - 14 - 2 + 3, sg::ThumbTop(143, 197, 14, hugeRange, hugeRange));
    EXPECT_EQ(99, sg::PositionForOffset(hugeRange - 1, hugeRange));
}

TEST(ScrollGeometryTest, DraggingMapsTheTrackOntoTheRange) {
    // Area at y 10, 200 high, thumb 65, grabbed 5 pixels below its top:
    // the track runs from 18 to 150.
    const int range = 402;
    EXPECT_EQ(0, sg::DragOffset(17, 10, 200, 5, 65, range));
    EXPECT_EQ(0, sg::DragOffset(18, 10, 200, 5, 65, range));
    EXPECT_EQ(201, sg::DragOffset(84, 10, 200, 5, 65, range));
    EXPECT_EQ(398, sg::DragOffset(149, 10, 200, 5, 65, range));
    EXPECT_EQ(402, sg::DragOffset(151, 10, 200, 5, 65, range));
    // A thumb as long as its track: top equals bottom, nothing to divide.
    EXPECT_EQ(0, sg::DragOffset(13, 10, 200, 0, 197, range));
    EXPECT_EQ(402, sg::DragOffset(14, 10, 200, 0, 197, range));
    // Every pixel of a long track reaches a different place in a long list.
    const int longRange = sg::ScrollRange(sg::ListHeight(10000, 90), 197);
    EXPECT_LT(sg::DragOffset(100, 0, 197, 0, 14, longRange),
              sg::DragOffset(101, 0, 197, 0, 14, longRange));
}

TEST(ScrollGeometryTest, AnItemShowsWhileAnyOfItsRowsIsInside) {
    EXPECT_FALSE(sg::ItemInView(-60, 60, 200));
    EXPECT_TRUE(sg::ItemInView(-59, 60, 200));
    EXPECT_TRUE(sg::ItemInView(199, 60, 200));
    EXPECT_FALSE(sg::ItemInView(200, 60, 200));
}

// Whatever the list's place and animation, no item before the first visible
// index shows, and no more items show than the pool bound allows.
TEST(ScrollGeometryTest, VisibleItemsStartAtTheFirstIndexAndStayWithinThePoolBound) {
    std::mt19937 random(12);
    for (int trial = 0; trial < 2000; ++trial) {
        const int itemHeight = 10 + static_cast<int>(random() % 100);
        const int areaHeight = 20 + static_cast<int>(random() % 600);
        const int count = static_cast<int>(random() % 400);
        const int range = sg::ScrollRange(sg::ListHeight(count, itemHeight), areaHeight);
        const int scroll = range ? static_cast<int>(random() % (range + 1)) : 0;
        const int insert = static_cast<int>(random() % (itemHeight + 1));
        const int removal = static_cast<int>(random() % (itemHeight + 1));
        const int collapsing = count ? static_cast<int>(random() % count) : 0;
        const int first = sg::FirstVisibleIndex(itemHeight, insert, scroll);
        int shown = 0;
        for (int i = 0; i < count; ++i) {
            if (i == collapsing) continue;  // not drawn; later ones move up
            const int top = sg::ItemTop(i, itemHeight, insert, scroll, i > collapsing ? removal : 0);
            if (!sg::ItemInView(top, itemHeight, areaHeight)) continue;
            ++shown;
            ASSERT_GE(i, first) << "trial " << trial;
        }
        ASSERT_LE(shown, sg::ViewPoolBound(areaHeight, itemHeight, 0)) << "trial " << trial;
    }
    EXPECT_EQ(6, sg::ViewPoolBound(197, 90, 1));  // 4 can show, one bound each side
    EXPECT_EQ(0, sg::ViewPoolBound(197, 0, 1));
}

}  // namespace
