#include "gui/argb_bitmap.h"

#include <algorithm>

HBITMAP CreateArgbBitmap(HDC compatible, int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: rows bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (compatible) return CreateDIBSection(compatible, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    ScopedWindowDC screen(nullptr);
    ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
    return CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

void ClearArgbRect(std::uint32_t* pixels, int width, int height, const RECT& rect) {
    const int left = std::max<int>(rect.left, 0), right = std::min<int>(rect.right, width);
    const int top = std::max<int>(rect.top, 0), bottom = std::min<int>(rect.bottom, height);
    if (left >= right) return;
    // Window row y is bitmap row height - 1 - y.
    for (int row = height - bottom; row <= height - top - 1; ++row) {
        std::fill(pixels + row * width + left, pixels + row * width + right, 0u);
    }
}
