#include "base/display_scale.h"

#include <climits>
#include <cstdint>

namespace {

constexpr int kLowestDpi = kBaseDpi / 2;
constexpr int kHighestDpi = kBaseDpi * 16;

// length × to / from, nearest, halves away from zero, within int's range.
int MultiplyDivide(int length, int to, int from) {
    const std::int64_t product = std::int64_t(length) * to;
    const std::int64_t magnitude = ((product < 0 ? -product : product) + from / 2) / from;
    const std::int64_t result = product < 0 ? -magnitude : magnitude;
    if (result > INT_MAX) return INT_MAX;
    if (result < INT_MIN) return INT_MIN;
    return int(result);
}

}  // namespace

int UsableDpi(int dpi) {
    return dpi >= kLowestDpi && dpi <= kHighestDpi ? dpi : kBaseDpi;
}

int ScaleLength(int length, int dpi) {
    return MultiplyDivide(length, UsableDpi(dpi), kBaseDpi);
}

int UnscaleLength(int length, int dpi) {
    return MultiplyDivide(length, kBaseDpi, UsableDpi(dpi));
}

int ConvertLength(int length, int fromDpi, int toDpi) {
    return MultiplyDivide(length, UsableDpi(toDpi), UsableDpi(fromDpi));
}

LayoutBox ScaleBox(const LayoutBox& box, int dpi) {
    return LayoutBox{ScaleLength(box.x, dpi), ScaleLength(box.y, dpi), ScaleLength(box.width, dpi),
                     ScaleLength(box.height, dpi)};
}

int ConvertLayoutLength(int length, int fromDpi, int toDpi) {
    if (UsableDpi(fromDpi) < kBaseDpi) return ConvertLength(length, fromDpi, toDpi);
    return ScaleLength(UnscaleLength(length, fromDpi), toDpi);
}

LayoutBox ConvertBox(const LayoutBox& box, int fromDpi, int toDpi) {
    return LayoutBox{ConvertLayoutLength(box.x, fromDpi, toDpi), ConvertLayoutLength(box.y, fromDpi, toDpi),
                     ConvertLayoutLength(box.width, fromDpi, toDpi),
                     ConvertLayoutLength(box.height, fromDpi, toDpi)};
}

int ScalePercent(int dpi) {
    return MultiplyDivide(100, UsableDpi(dpi), kBaseDpi);
}
