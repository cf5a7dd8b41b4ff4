#include "capture/region_selection.h"

#include <gtest/gtest.h>

namespace {

// A finished selection from (10, 20) to (109, 69): 100 x 50.
RegionSelection Finished() {
    RegionSelection s;
    s.anchor = {10, 20};
    s.current = {109, 69};
    s.drawn = s.Rect();
    s.hasSelection = true;
    return s;
}

TEST(RegionSelectionTest, RectangleFromEitherCornerOrder) {
    EXPECT_EQ((CaptureRect{3, 4, 11, 9}), SpanRect({10, 8}, {3, 4}));
    EXPECT_EQ((CaptureRect{5, 5, 6, 6}), SpanRect({5, 5}, {5, 5}));
}

TEST(RegionSelectionTest, PointerShapes) {
    const RegionSelection s = Finished();
    struct Case {
        CapturePoint at;
        PointerShape shape;
    } cases[] = {
        {{9, 30}, PointerShape::kCross},  {{110, 30}, PointerShape::kCross}, {{50, 19}, PointerShape::kCross},
        {{50, 70}, PointerShape::kCross}, {{10, 20}, PointerShape::kNwSe},   {{21, 31}, PointerShape::kNwSe},
        {{22, 31}, PointerShape::kMove},  {{21, 32}, PointerShape::kMove},   {{109, 69}, PointerShape::kNwSe},
        {{98, 58}, PointerShape::kNwSe},  {{97, 58}, PointerShape::kMove},   {{109, 20}, PointerShape::kNeSw},
        {{98, 31}, PointerShape::kNeSw},  {{10, 69}, PointerShape::kNeSw},   {{60, 45}, PointerShape::kMove},
        {{60, 20}, PointerShape::kMove},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.shape, ShapeAt(s, c.at)) << c.at.x << "," << c.at.y;
    }
    // A selection 6 x 3: bands of 3 x 1, the middle row is for moving.
    RegionSelection small = Finished();
    small.anchor = {0, 0};
    small.current = {5, 2};
    EXPECT_EQ(PointerShape::kNwSe, ShapeAt(small, {2, 0}));
    EXPECT_EQ(PointerShape::kNeSw, ShapeAt(small, {3, 0}));
    EXPECT_EQ(PointerShape::kMove, ShapeAt(small, {2, 1}));
    EXPECT_EQ(PointerShape::kNwSe, ShapeAt(small, {5, 2}));
    // A one-pixel selection has no bands at all.
    small.current = {0, 0};
    EXPECT_EQ(PointerShape::kMove, ShapeAt(small, {0, 0}));
    // No selection yet, a drag in progress, a move in progress.
    RegionSelection none;
    EXPECT_EQ(PointerShape::kCross, ShapeAt(none, {0, 0}));
    RegionSelection busy = Finished();
    busy.selecting = true;
    EXPECT_EQ(PointerShape::kCross, ShapeAt(busy, {60, 45}));
    busy.selecting = false;
    busy.moving = true;
    EXPECT_EQ(PointerShape::kMove, ShapeAt(busy, {0, 0}));
}

TEST(RegionSelectionTest, NewSelectionDragAndRelease) {
    RegionSelection s = Finished();
    PressResult press = PressAt(s, PointerShape::kCross, {300, 200});
    EXPECT_TRUE(press.redraw);
    EXPECT_TRUE(press.wipe);
    EXPECT_EQ((CaptureRect{10, 20, 110, 70}), press.wipeRect);
    EXPECT_EQ((CaptureRect{300, 200, 300, 200}), s.drawn);
    EXPECT_TRUE(s.selecting);
    // A second press while dragging changes nothing.
    press = PressAt(s, PointerShape::kCross, {1, 1});
    EXPECT_FALSE(press.redraw);
    EXPECT_EQ((CapturePoint{300, 200}), s.anchor);

    EXPECT_FALSE(PointerMovedTo(s, {300, 200}, 640, 480));  // no change
    EXPECT_TRUE(PointerMovedTo(s, {250, 260}, 640, 480));
    EXPECT_EQ((CaptureRect{250, 200, 301, 261}), s.Rect());
    EXPECT_TRUE(Release(s));
    EXPECT_TRUE(s.hasSelection);
    EXPECT_FALSE(s.selecting);
    // Without a button held nothing follows the pointer.
    EXPECT_FALSE(PointerMovedTo(s, {10, 10}, 640, 480));
    EXPECT_FALSE(Release(s));
}

TEST(RegionSelectionTest, CornerResizeKeepsTheOppositeCorner) {
    struct Case {
        CapturePoint press;
        PointerShape shape;
        CapturePoint anchor;
    } cases[] = {
        {{12, 22}, PointerShape::kNwSe, {109, 69}},  // top-left
        {{107, 67}, PointerShape::kNwSe, {10, 20}},  // bottom-right
        {{107, 22}, PointerShape::kNeSw, {10, 69}},  // top-right
        {{12, 67}, PointerShape::kNeSw, {109, 20}},  // bottom-left
    };
    for (const Case& c : cases) {
        RegionSelection s = Finished();
        ASSERT_EQ(c.shape, ShapeAt(s, c.press));
        const PressResult press = PressAt(s, c.shape, c.press);
        EXPECT_TRUE(press.redraw);
        EXPECT_FALSE(press.wipe);
        EXPECT_EQ(c.anchor, s.anchor) << c.press.x << "," << c.press.y;
        EXPECT_EQ(c.press, s.current);
        EXPECT_TRUE(s.selecting);
    }
}

TEST(RegionSelectionTest, MovingStopsAtTheEdgesWithoutShrinking) {
    RegionSelection s = Finished();
    EXPECT_FALSE(PressAt(s, PointerShape::kMove, {60, 45}).redraw);
    EXPECT_TRUE(s.moving);
    EXPECT_FALSE(PointerMovedTo(s, {60, 45}, 640, 480));
    EXPECT_TRUE(PointerMovedTo(s, {70, 40}, 640, 480));
    EXPECT_EQ((CaptureRect{20, 15, 120, 65}), s.Rect());
    // Far past the top-left corner: pinned at 0, still 100 x 50.
    EXPECT_TRUE(PointerMovedTo(s, {-500, -500}, 640, 480));
    EXPECT_EQ((CaptureRect{0, 0, 100, 50}), s.Rect());
    // The grab point was kept: coming back to it moves nothing yet...
    EXPECT_TRUE(PointerMovedTo(s, {50, 20}, 640, 480));
    EXPECT_EQ((CaptureRect{0, 0, 100, 50}), s.Rect());
    // ...and past the bottom-right the far edge stops at size - 1.
    EXPECT_TRUE(PointerMovedTo(s, {5000, 5000}, 640, 480));
    EXPECT_EQ((CaptureRect{540, 430, 640, 480}), s.Rect());
    EXPECT_FALSE(Release(s));
    EXPECT_FALSE(s.moving);
}

TEST(RegionSelectionTest, ClampingKeepsBothCornersOnTheOverlay) {
    RegionSelection s;
    s.anchor = {-5, 700};
    s.current = {1000, -1};
    ClampSelection(s, 640, 480);
    EXPECT_EQ((CapturePoint{0, 479}), s.anchor);
    EXPECT_EQ((CapturePoint{639, 0}), s.current);
}

}  // namespace
