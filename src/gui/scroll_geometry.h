// The arithmetic of the scroll area: how far a list of equal-height items is
// scrolled, where the thumb sits, how far one wheel step goes, where a
// dragged thumb puts the list, which items show and how many item views the
// area ever needs. Free of Win32. The list's place is kept in pixels (the
// scroll offset, 0 to the range); percent of the range is only its outside
// view. Products are taken in 64 bits: lists of a hundred thousand items
// are millions of pixels long.
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

// How many pixels the list can move up: 0 when it fits.
int ScrollRange(int listHeight, int areaHeight);
int ClampOffset(int offset, int range);
// The offset at `percent` of the range, and the percent an offset is at
// (both truncated).
int OffsetForPosition(int range, int percent);
int PositionForOffset(int offset, int range);

// Height of the thumb; only meaningful when NeedsScrollBar.
int ThumbHeight(int listHeight, int areaHeight);
// Top of the thumb in window coordinates for an area whose top is `areaY`.
int ThumbTop(int areaY, int areaHeight, int thumbHeight, int offset, int range);

// Pixels that one wheel step moves: a third of an item, at least 1.
int WheelStep(int itemHeight);

// The offset for a thumb dragged to `pointerY` (window coordinates), when
// the drag started `anchor` pixels below the thumb's top.
int DragOffset(int pointerY, int areaY, int areaHeight, int anchor, int thumbHeight, int range);

// Top of item `index` relative to the area's top.
int ItemTop(int index, int itemHeight, int insertOffset, int scrollOffset, int removalOffset);
// Whether an item whose top is `itemTop` shows any row of the area.
bool ItemInView(int itemTop, int itemHeight, int areaHeight);
// The first index that can show (items collapsing above it only move later
// ones further up, never earlier ones down).
int FirstVisibleIndex(int itemHeight, int insertOffset, int scrollOffset);

// The most item views an area realises: the items that can show at once
// (one more than fit, for the one cut at each end) and `margin` items
// bound ahead on either side.
int ViewPoolBound(int areaHeight, int itemHeight, int margin);

}  // namespace scroll_geometry
