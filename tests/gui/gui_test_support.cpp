#include "gui_test_support.h"

#include "base/utf.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"

HINSTANCE TestInstance() { return GetModuleHandleW(nullptr); }

std::string TestProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    folder.erase(folder.find_last_of(L'\\') + 1);
    return WideToUtf8(folder);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void FillArgb(HDC target, const RECT& rect, std::uint32_t argb) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC source = CreateCompatibleDC(target);
    HBITMAP pixel = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *static_cast<std::uint32_t*>(bits) = argb;
    HGDIOBJ old = SelectObject(source, pixel);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source,
               0, 0, 1, 1, blend);
    SelectObject(source, old);
    DeleteObject(pixel);
    DeleteDC(source);
}

bool HasVisibleStyle(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

ProbeWidget::ProbeWidget(HWND parent, int x, int y, int width, int height, std::uint32_t argb,
                         bool inputWindow)
    : GUIObject(TestInstance(), parent), colour(argb) {
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    if (inputWindow) window_ = CreateInputWindow(x, y, width, height, true);
}

LRESULT ProbeWidget::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    messages.push_back(message);
    return GUIObject::WindowProc(window, message, wParam, lParam);
}

void ProbeWidget::Paint(HDC target, const RECT& dirty) {
    paints.push_back(dirty);
    if (paintLog) paintLog->push_back(this);
    if (visible_) FillArgb(target, RECT{x_, y_, x_ + width_, y_ + height_}, colour);
}

PictureMatch MatchPicture(const SkinnableWindow& window, const char* name, int dpi, POINT at) {
    PictureMatch match;
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    if (!LoadImageBitmap(SkinPath(name), &bitmap, &bits, &match.size, dpi)) return match;
    ScopedBitmap owner(bitmap);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    match.opaque = 0;
    for (int y = 0; y < match.size.cy; ++y) {
        for (int x = 0; x < match.size.cx; ++x) {
            const std::uint32_t picture = pixels[(match.size.cy - 1 - y) * match.size.cx + x];
            if ((picture >> 24) != 0xFF) continue;
            // Only what the window's shape shows is drawn.
            HRGN shape = window.ShapeRegion();
            if (shape && !PtInRegion(shape, at.x + x, at.y + y)) continue;
            ++match.opaque;
            if (window.BackBufferPixel(at.x + x, at.y + y) == picture) ++match.same;
        }
    }
    return match;
}
