#include "shell/toast_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

const ToastArea kWorkArea{0, 0, 1280, 994};

TEST(ToastGeometryTest, FirstToastTouchesTheBottomAndLaterOnesStackHigher) {
    EXPECT_EQ(ToastHeight(1), 96);
    EXPECT_EQ(ToastHeight(2), 123);
    EXPECT_EQ(ToastHeight(5), 123);
    EXPECT_EQ(ToastBottomMargin(1), 12);
    EXPECT_EQ(ToastBottomMargin(3), 39);

    const ToastPoint first = ToastStartPosition(kWorkArea, 1);
    EXPECT_EQ(first.x, 1279);
    EXPECT_EQ(first.y + ToastHeight(1), 994);
    const ToastPoint second = ToastStartPosition(kWorkArea, 2);
    EXPECT_EQ(second.x, 1279);
    EXPECT_EQ(second.y, first.y - 80);
    EXPECT_EQ(ToastStartPosition(kWorkArea, 3).y, first.y - 160);

    // A work area that does not start at the origin (taskbar on the left).
    const ToastArea shifted{40, 30, 1024, 700};
    EXPECT_EQ(ToastStartPosition(shifted, 1).x, 1023);
    EXPECT_EQ(ToastStartPosition(shifted, 1).y, 604);
    EXPECT_EQ(ToastLeftForWidth(shifted, 285), 739);
}

// Runs the ticks of one timer from `width` until the toast stops changing
// size, collecting the widths.
std::vector<int> Widths(int timerId, int width) {
    std::vector<int> widths;
    for (;;) {
        const ToastTick tick = ToastSlideTick(timerId, width, false);
        if (!tick.resize) break;
        widths.push_back(tick.width);
        width = tick.width;
    }
    return widths;
}

TEST(ToastGeometryTest, SlidesOutIn25PixelStepsUpToTheFullWidth) {
    const std::vector<int> widths = Widths(kToastSlideOutTimer, 1);
    const std::vector<int> expected{26, 51, 76, 101, 126, 151, 176, 201, 226, 251, 276, 285};
    EXPECT_EQ(widths, expected);

    const ToastTick grow = ToastSlideTick(kToastSlideOutTimer, 1, false);
    EXPECT_TRUE(grow.handled);
    EXPECT_EQ(grow.stopTimer, 0);
    EXPECT_EQ(grow.startTimer, 0);
    EXPECT_EQ(grow.blur, -1);
    EXPECT_FALSE(grow.quit);
}

TEST(ToastGeometryTest, FullyOutItStartsTheHoldWithBlur) {
    const ToastTick tick = ToastSlideTick(kToastSlideOutTimer, 285, false);
    EXPECT_TRUE(tick.handled);
    EXPECT_EQ(tick.stopTimer, kToastSlideOutTimer);
    EXPECT_EQ(tick.startTimer, kToastHoldTimer);
    EXPECT_EQ(tick.startInterval, 3500u);
    EXPECT_EQ(tick.blur, 1);
    EXPECT_FALSE(tick.resize);
    EXPECT_FALSE(tick.quit);
}

TEST(ToastGeometryTest, HoldEndsOnlyWhenThePointerIsAway) {
    const ToastTick hovered = ToastSlideTick(kToastHoldTimer, 285, true);
    EXPECT_EQ(hovered.stopTimer, kToastHoldTimer);
    EXPECT_EQ(hovered.startTimer, kToastHoldTimer);
    EXPECT_EQ(hovered.startInterval, 1500u);
    EXPECT_EQ(hovered.blur, -1);
    EXPECT_FALSE(hovered.resize);
    EXPECT_FALSE(hovered.quit);

    const ToastTick away = ToastSlideTick(kToastHoldTimer, 285, false);
    EXPECT_EQ(away.stopTimer, kToastHoldTimer);
    EXPECT_EQ(away.startTimer, kToastHoldTimer);
    EXPECT_EQ(away.startInterval, 15u);
    EXPECT_EQ(away.blur, 0);
    EXPECT_TRUE(away.resize);
    EXPECT_EQ(away.width, 260);
}

TEST(ToastGeometryTest, SlidesBackUntilTheWidthWouldBeNegative) {
    const std::vector<int> widths = Widths(kToastHoldTimer, 260);
    const std::vector<int> expected{235, 210, 185, 160, 135, 110, 85, 60, 35, 10};
    EXPECT_EQ(widths, expected);
    // Sliding back, the pointer no longer matters.
    EXPECT_EQ(ToastSlideTick(kToastHoldTimer, 110, true).width, 85);

    const ToastTick last = ToastSlideTick(kToastHoldTimer, 10, false);
    EXPECT_TRUE(last.quit);
    EXPECT_FALSE(last.resize);
    // Exactly zero wide is still a (last) step, not the end.
    const ToastTick zero = ToastSlideTick(kToastHoldTimer, 25, false);
    EXPECT_FALSE(zero.quit);
    EXPECT_EQ(zero.width, 0);
}

// At 150 % and 200 % every length is the 96-DPI one scaled: the toasts still
// touch the work area's bottom and stack, and slide in scaled steps to the
// scaled width (at 150 % a step is 38 and the full width 428).
TEST(ToastGeometryTest, ScalesWithTheMonitor) {
    const struct {
        int dpi, firstHeight, laterHeight, firstY, thirdY, fullWidth, step;
    } cases[] = {
        {144, 144, 185, 994 - 144, 994 - 144 - 240, 428, 38},
        {192, 192, 246, 994 - 192, 994 - 192 - 320, 570, 50},
        {120, 120, 154, 994 - 120, 994 - 120 - 200, 356, 31},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.firstHeight, ToastHeight(1, c.dpi)) << c.dpi;
        EXPECT_EQ(c.laterHeight, ToastHeight(2, c.dpi)) << c.dpi;
        EXPECT_EQ(c.firstY, ToastStartPosition(kWorkArea, 1, c.dpi).y) << c.dpi;
        EXPECT_EQ(c.thirdY, ToastStartPosition(kWorkArea, 3, c.dpi).y) << c.dpi;
        EXPECT_EQ(1279, ToastStartPosition(kWorkArea, 3, c.dpi).x) << c.dpi;

        int width = 1, ticks = 0;
        for (ToastTick tick; (tick = ToastSlideTick(kToastSlideOutTimer, width, false, c.dpi)).resize; ++ticks) {
            EXPECT_EQ(std::min(width + c.step, c.fullWidth), tick.width) << c.dpi;
            width = tick.width;
        }
        EXPECT_EQ(c.fullWidth, width) << c.dpi;
        EXPECT_EQ(12, ticks) << c.dpi;  // as long as at 100 %
        const ToastTick hold = ToastSlideTick(kToastSlideOutTimer, width, false, c.dpi);
        EXPECT_EQ(kToastHoldTimer, hold.startTimer) << c.dpi;
        EXPECT_EQ(c.fullWidth - c.step, ToastSlideTick(kToastHoldTimer, width, false, c.dpi).width) << c.dpi;
        // Moved onto a monitor of a lower scale while fully out, it still holds.
        EXPECT_EQ(kToastHoldTimer, ToastSlideTick(kToastSlideOutTimer, width + 40, false, c.dpi).startTimer);
    }
}

TEST(ToastGeometryTest, OtherTimersAreNotHandled) {
    for (int id : {0, 1, 2, 42, -3}) {
        const ToastTick tick = ToastSlideTick(id, 285, false);
        EXPECT_FALSE(tick.handled) << id;
        EXPECT_FALSE(tick.resize) << id;
        EXPECT_FALSE(tick.quit) << id;
        EXPECT_EQ(tick.startTimer, 0) << id;
    }
}

TEST(ToastStackTest, EmptiesWhenItsNewestToastEnds) {
    ToastStack stack;
    EXPECT_EQ(stack.Push(), 1);
    EXPECT_EQ(stack.Push(), 2);
    stack.Pop(1);  // an older toast ends: the newer one keeps its place
    EXPECT_EQ(stack.Count(), 2);
    EXPECT_EQ(stack.Push(), 3);
    stack.Pop(3);  // the newest ends while 2 is still up
    EXPECT_EQ(stack.Count(), 0);
    EXPECT_EQ(stack.Push(), 1);
}

TEST(ToastStackTest, ConcurrentPushesGetDistinctPlaces) {
    ToastStack stack;
    std::vector<int> places(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&stack, &places, i] { places[i] = stack.Push(); });
    }
    for (auto& thread : threads) thread.join();
    std::vector<bool> seen(9, false);
    for (int place : places) {
        ASSERT_GE(place, 1);
        ASSERT_LE(place, 8);
        EXPECT_FALSE(seen[place]) << place;
        seen[place] = true;
    }
    EXPECT_EQ(stack.Count(), 8);
}

}  // namespace
