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

int ScrollRange(int listHeight, int areaHeight) {
    const int range = listHeight - ViewHeight(areaHeight);
    return range > 0 ? range : 0;
}

int ClampOffset(int offset, int range) {
    if (offset < 0 || range <= 0) return 0;
    return offset > range ? range : offset;
}

int OffsetForPosition(int range, int percent) {
    if (range <= 0) return 0;
    return static_cast<int>(static_cast<long long>(range) * ClampPosition(percent) / 100);
}

int PositionForOffset(int offset, int range) {
    if (range <= 0) return 0;
    return static_cast<int>(static_cast<long long>(ClampOffset(offset, range)) * 100 / range);
}

int ThumbHeight(int listHeight, int areaHeight) {
    const int view = ViewHeight(areaHeight);
    if (listHeight <= 0) return kMinimumThumbHeight;
    const int height = static_cast<int>(static_cast<long long>(view) * view / listHeight);
    return height < kMinimumThumbHeight ? kMinimumThumbHeight : height;
}

int ThumbTop(int areaY, int areaHeight, int thumbHeight, int offset, int range) {
    if (range <= 0) return areaY + 3;
    const long long travel = areaHeight - thumbHeight - 2;
    return areaY + static_cast<int>(travel * ClampOffset(offset, range) / range) + 3;
}

int WheelStep(int itemHeight) {
    const int step = itemHeight / 3;
    return step < 1 ? 1 : step;
}

int DragOffset(int pointerY, int areaY, int areaHeight, int anchor, int thumbHeight, int range) {
    const int top = areaY + anchor + 3;
    const int bottom = areaY + areaHeight + anchor - thumbHeight;
    if (pointerY < top) return 0;
    if (pointerY > bottom) return ClampOffset(range, range);
    // A thumb that nearly fills its track leaves no room to divide.
    if (bottom <= top) return 0;
    return static_cast<int>(static_cast<long long>(pointerY - top) * ClampOffset(range, range) /
                            (bottom - top));
}

int ItemTop(int index, int itemHeight, int insertOffset, int scrollOffset, int removalOffset) {
    return itemHeight * index + insertOffset - scrollOffset - removalOffset;
}

bool ItemInView(int itemTop, int itemHeight, int areaHeight) {
    return -itemHeight < itemTop && itemTop < areaHeight;
}

int FirstVisibleIndex(int itemHeight, int insertOffset, int scrollOffset) {
    if (itemHeight <= 0) return 0;
    const int above = scrollOffset - insertOffset;
    return above > 0 ? above / itemHeight : 0;
}

int ViewPoolBound(int areaHeight, int itemHeight, int margin) {
    if (itemHeight <= 0 || areaHeight <= 0) return 0;
    return (areaHeight + itemHeight - 1) / itemHeight + 1 + 2 * (margin > 0 ? margin : 0);
}

}  // namespace scroll_geometry
