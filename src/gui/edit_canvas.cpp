#include "gui/edit_canvas.h"

std::uint32_t* PixelCanvas::At(int x, int y) const {
    if (!pixels || x < 0 || y < 0 || x >= width || y >= height) return nullptr;
    return pixels + static_cast<long>(height - 1 - y) * width + x;  // bottom-up rows
}

void PixelCanvas::Set(int x, int y, std::uint32_t argb) const {
    if (std::uint32_t* pixel = At(x, y)) *pixel = argb;
}

void PixelCanvas::Fill(int left, int top, int right, int bottom, std::uint32_t argb) const {
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > width) right = width;
    if (bottom > height) bottom = height;
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = At(0, y);
        for (int x = left; x < right; ++x) row[x] = argb;
    }
}

std::uint32_t OpaquePixel(int rgb) {
    return 0xFF000000u | (static_cast<std::uint32_t>(rgb) & 0xFFFFFFu);
}

namespace {

// Each channel of the two colours averaged, truncating.
std::uint32_t Average(int first, int second) {
    std::uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t a = (static_cast<std::uint32_t>(first) >> shift) & 0xFF;
        const std::uint32_t b = (static_cast<std::uint32_t>(second) >> shift) & 0xFF;
        mixed |= ((a + b) / 2) << shift;
    }
    return mixed;
}

}  // namespace

void DrawEditFrame(const PixelCanvas& canvas, int borderRgb, int backgroundRgb) {
    const int w = canvas.width;
    const int h = canvas.height;
    if (w <= 0 || h <= 0) return;
    const std::uint32_t border = OpaquePixel(borderRgb);
    const std::uint32_t background = OpaquePixel(backgroundRgb);

    // The band inside the border keeps text and caret off the frame.
    canvas.Fill(1, 0, 2, h, background);
    canvas.Fill(w - 2, 0, w - 1, h, background);
    canvas.Fill(0, 0, w, 1, border);
    canvas.Fill(0, h - 1, w, h, border);
    canvas.Fill(0, 1, 1, h - 1, border);
    canvas.Fill(w - 1, 1, w, h - 1, border);

    // Rounded look: the corners vanish (only their alpha is cleared) and the
    // pixels diagonally inside them blend border and background.
    const int cornersX[] = {0, w - 1, 0, w - 1};
    const int cornersY[] = {0, 0, h - 1, h - 1};
    for (int i = 0; i < 4; ++i) {
        if (std::uint32_t* corner = canvas.At(cornersX[i], cornersY[i])) *corner &= 0x00FFFFFFu;
    }
    const std::uint32_t soft = OpaquePixel(static_cast<int>(Average(borderRgb, backgroundRgb)));
    canvas.Set(1, 1, soft);
    canvas.Set(w - 2, 1, soft);
    canvas.Set(1, h - 2, soft);
    canvas.Set(w - 2, h - 2, soft);
}
