// The arithmetic of the scroll area: how far a list of equal-height items is
// scrolled, where the thumb sits, how far one wheel step goes and where a
// dragged thumb puts the position. Free of Win32. Positions are percent of
// the scrollable range (0 to 100); all arithmetic is on integers.
#pragma once

namespace scroll_geometry {

// The thumb is never drawn shorter than its two 7-pixel caps.
constexpr int kMinimumThumbHeight = 14;

int ClampPosition(int percent);

// Height of `count` items of `itemHeight` pixels.
int ListHeight(int count, int itemHeight);
// Pixels of an area `areaHeight` high that show the list (a pixel of frame
// above and below).
int ViewHeight(int areaHeight);
bool NeedsScrollBar(int listHeight, int areaHeight);

// How many pixels the list is moved up at `position` percent.
int ScrollOffset(int listHeight, int areaHeight, int position);

// Height of the thumb; only meaningful when NeedsScrollBar.
int ThumbHeight(int listHeight, int areaHeight);
// Top of the thumb in window coordinates for an area whose top is `areaY`.
int ThumbTop(int areaY, int areaHeight, int thumbHeight, int position);

// Percent that one wheel step moves: a third of an item, at least 1, and 0
// when the list cannot scroll at all.
int WheelStep(int itemHeight, int listHeight, int areaHeight);

// The position for a thumb dragged to `pointerY` (window coordinates), when
// the drag started `anchor` pixels below the thumb's top.
int DragPosition(int pointerY, int areaY, int areaHeight, int anchor, int thumbHeight);

// Top of item `index` relative to the area's top.
int ItemTop(int index, int itemHeight, int insertOffset, int scrollOffset, int removalOffset);
// Whether an item whose top is `itemTop` shows any row of the area.
bool ItemInView(int itemTop, int itemHeight, int areaHeight);

}  // namespace scroll_geometry
