#include "gui/scroll_geometry.h"

#include <gtest/gtest.h>

namespace sg = scroll_geometry;

namespace {

TEST(ScrollGeometryTest, ListsThatFitNeitherScrollNorStep) {
    EXPECT_FALSE(sg::NeedsScrollBar(sg::ListHeight(3, 60), 200));  // 180 in a view of 198
    EXPECT_EQ(0, sg::ScrollOffset(180, 200, 100));
    EXPECT_EQ(0, sg::WheelStep(60, 180, 200));
    // Exactly filling the view: no bar, and no division by a zero range.
    EXPECT_FALSE(sg::NeedsScrollBar(198, 200));
    EXPECT_EQ(0, sg::WheelStep(66, 198, 200));
    EXPECT_TRUE(sg::NeedsScrollBar(199, 200));
}

TEST(ScrollGeometryTest, LongListThumbOffsetAndStep) {
    const int list = sg::ListHeight(10, 60);
    EXPECT_EQ(65, sg::ThumbHeight(list, 200));  // 198 * 198 / 600
    EXPECT_EQ(402, sg::ScrollOffset(list, 200, 100));
    EXPECT_EQ(10 + 136, sg::ThumbTop(10, 200, 65, 100));
    EXPECT_EQ(4, sg::WheelStep(60, list, 200));  // 6000 / 3 / 402
    // Very long lists: the thumb keeps its caps, the step is at least 1.
    EXPECT_EQ(sg::kMinimumThumbHeight, sg::ThumbHeight(60000, 200));
    EXPECT_EQ(1, sg::WheelStep(60, 600000, 200));
}

TEST(ScrollGeometryTest, DraggingMapsTheTrackOntoZeroToHundred) {
    // Area at y 10, 200 high, thumb 65, grabbed 5 pixels below its top:
    // the track runs from 18 to 150.
    EXPECT_EQ(0, sg::DragPosition(17, 10, 200, 5, 65));
    EXPECT_EQ(0, sg::DragPosition(18, 10, 200, 5, 65));
    EXPECT_EQ(50, sg::DragPosition(84, 10, 200, 5, 65));
    EXPECT_EQ(99, sg::DragPosition(149, 10, 200, 5, 65));
    EXPECT_EQ(100, sg::DragPosition(151, 10, 200, 5, 65));
    // A thumb as long as its track: top equals bottom, nothing to divide.
    EXPECT_EQ(0, sg::DragPosition(13, 10, 200, 0, 197));
    EXPECT_EQ(100, sg::DragPosition(14, 10, 200, 0, 197));
}

TEST(ScrollGeometryTest, AnItemShowsWhileAnyOfItsRowsIsInside) {
    EXPECT_FALSE(sg::ItemInView(-60, 60, 200));
    EXPECT_TRUE(sg::ItemInView(-59, 60, 200));
    EXPECT_TRUE(sg::ItemInView(199, 60, 200));
    EXPECT_FALSE(sg::ItemInView(200, 60, 200));
}

}  // namespace
