#include "gui/scroll_geometry.h"

namespace scroll_geometry {

int ClampPosition(int percent) {
    if (percent < 0) return 0;
    if (percent > 100) return 100;
    return percent;
}

int ListHeight(int count, int itemHeight) { return count * itemHeight; }

int ViewHeight(int areaHeight) { return areaHeight - 2; }

bool NeedsScrollBar(int listHeight, int areaHeight) { return listHeight > ViewHeight(areaHeight); }

int ScrollOffset(int listHeight, int areaHeight, int position) {
    const int view = ViewHeight(areaHeight);
    if (listHeight < view) return 0;
    return (listHeight - view) * position / 100;
}

int ThumbHeight(int listHeight, int areaHeight) {
    const int view = ViewHeight(areaHeight);
    if (listHeight <= 0) return kMinimumThumbHeight;
    const int height = view * view / listHeight;
    return height < kMinimumThumbHeight ? kMinimumThumbHeight : height;
}

int ThumbTop(int areaY, int areaHeight, int thumbHeight, int position) {
    return areaY + (areaHeight - thumbHeight - 2) * position / 100 + 3;
}

int WheelStep(int itemHeight, int listHeight, int areaHeight) {
    const int range = listHeight - ViewHeight(areaHeight);
    // Nothing to scroll (and no range to divide by).
    if (range <= 0) return 0;
    const int step = itemHeight * 100 / 3 / range;
    if (step < 0) return 0;
    return step == 0 ? 1 : step;
}

int DragPosition(int pointerY, int areaY, int areaHeight, int anchor, int thumbHeight) {
    const int top = areaY + anchor + 3;
    const int bottom = areaY + areaHeight + anchor - thumbHeight;
    if (pointerY < top) return 0;
    if (pointerY > bottom) return 100;
    // A thumb that nearly fills its track leaves no room to divide.
    if (bottom <= top) return 0;
    return (pointerY - top) * 100 / (bottom - top);
}

int ItemTop(int index, int itemHeight, int insertOffset, int scrollOffset, int removalOffset) {
    return itemHeight * index + insertOffset - scrollOffset - removalOffset;
}

bool ItemInView(int itemTop, int itemHeight, int areaHeight) {
    return -itemHeight < itemTop && itemTop < areaHeight;
}

}  // namespace scroll_geometry
