// Capture figures on the display it runs on (sized by the caller): one
// pointer move during a region selection (the redraw of the overlay's picture
// plus its push to the screen), pushed as a dirty rectangle and as the whole
// picture; and the machine's part of Enter to a file on disk for the whole
// screen saved as PNG (screen copy, raw block, save), whose pixels it also
// leaves as raw RGB for `convert` to compare. Not a test.
//   capture_bench.exe MOVES OUT_RGB OUT_PNG
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "base/utf.h"
#include "capture/capture_save.h"
#include "capture/capture_state.h"
#include "capture/raw_image.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/argb_bitmap.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"

namespace {

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.2f ms, 95%% %7.2f ms (%zu moves)\n", what, times[times.size() / 2],
                times[times.size() * 95 / 100], times.size());
}

// Drags the selection's corner to and fro; milliseconds of each move's
// redraw and push (or, with `pictureOnly`, of the redraw of the pixels).
std::vector<double> Moves(CaptureState& state, int moves, bool pictureOnly = false) {
    const int w = state.Width(), h = state.Height();
    OverlayCanvas canvas = state.Canvas();
    if (PressOnOverlay(canvas, state.selection, CapturePoint{w / 4, h / 4}, state.widgets.get(),
                       &state.dirty)) {
        RedrawSelection(state);
    }
    std::vector<double> times;
    for (int i = 0; i < moves; ++i) {
        // A hand's speed: a few pixels per move, back and forth over half
        // the screen.
        const int step = i % 200 < 100 ? i % 100 : 100 - i % 100;
        const CapturePoint to{w / 4 + 40 + step * (w / 2) / 100, h / 4 + 30 + step * (h / 2) / 100};
        Pump();
        const double start = Now();
        if (PointerMovedTo(state.selection, to, w, h)) {
            if (pictureOnly) {
                RedrawRegion(canvas, state.selection, state.border, state.widgets.get());
            } else {
                RedrawSelection(state);
            }
        }
        times.push_back(Now() - start);
    }
    Release(state.selection);
    return times;
}

// A busy desktop to capture: a full-screen window of smooth gradients with
// fine detail, so the PNG encoders have something to compress.
LRESULT CALLBACK BusyDesktop(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client.right) * client.bottom);
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const std::uint32_t r = (x * 255 / client.right) ^ ((x / 7 + y / 5) & 15);
            const std::uint32_t g = (y * 255 / client.bottom) ^ ((x * y / 97) & 7);
            const std::uint32_t b = ((x + y) / 9) & 0xFF;
            pixels[static_cast<std::size_t>(y) * client.right + x] = r << 16 | g << 8 | b;
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, pixels.data(), &info,
                      DIB_RGB_COLORS);
    EndPaint(window, &paint);
    return 0;
}

HWND ShowBusyDesktop(int w, int h) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BusyDesktop;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BusyDesktop";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"BusyDesktop", L"", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < 30; ++i) {
        Pump();
        Sleep(20);
    }
    return window;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: capture_bench.exe MOVES OUT_RGB OUT_PNG\n");
        return 2;
    }
    const int moves = std::max(20, _wtoi(argv[1]));
    wchar_t module[MAX_PATH] = {};
    std::wstring folder(module, GetModuleFileNameW(nullptr, module, MAX_PATH));
    folder.erase(folder.find_last_of(L'\\') + 1);
    DefineDefaultSettings(Settings());
    if (!LoadSkinCatalogue(WideToUtf8(folder))) return 1;
    InitImageLibrary();

    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    std::printf("virtual screen %d x %d\n", w, h);
    HWND desktop = ShowBusyDesktop(w, h);
    {
        CaptureState state;
        state.request.regionMode = true;
        if (!OpenOverlay(state)) return 1;
        Pump();
        Report("pointer move, picture only (no push):", Moves(state, moves, true));
        state.selection = RegionSelection{};
        OverlayCanvas fresh = state.Canvas();
        RenderOverlay(fresh, CaptureRect{}, state.border, state.widgets.get());
        Report("pointer move, dirty rectangle pushed:", Moves(state, moves));
        state.selection = RegionSelection{};
        OverlayCanvas canvas = state.Canvas();
        RenderOverlay(canvas, CaptureRect{}, state.border, state.widgets.get());
        state.pushWholePicture = true;
        Report("pointer move, whole picture pushed:", Moves(state, moves));
        CloseOverlay(state);
    }
    Pump();

    // Enter to file: what CaptureSelection does once the name is known
    // (the pause that lets uncovered windows repaint is not counted).
    ScopedWindowDC screen(nullptr);
    ScopedMemoryDC memory(CreateCompatibleDC(screen.get()));
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateArgbBitmap(screen.get(), w, h, &bits));
    if (!bitmap || !bits) return 1;
    const double start = Now();
    {
        ScopedSelect selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, w, h, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT);
        GdiFlush();
    }
    const double copied = Now();
    const std::vector<std::uint8_t> raw = BuildRawImage(static_cast<std::uint8_t*>(bits), w, h);
    const double built = Now();
    LockImageLibrary();
    const bool saved = SaveCaptureImage(raw, false, argv[3]);
    UnlockImageLibrary();
    const double done = Now();
    std::printf("enter to PNG on disk (%d x %d): %.1f ms = copy %.1f + raw block %.1f + save %.1f%s\n", w, h,
                done - start, copied - start, built - copied, done - built, saved ? "" : " (FAILED)");

    DestroyWindow(desktop);
    // The same pixels, top row first, for convert.
    if (FILE* out = _wfopen(argv[2], L"wb")) {
        for (int y = h - 1; y >= 0; --y) {
            const std::uint8_t* row = raw.data() + kRawHeaderSize + static_cast<std::size_t>(y) * w * 4;
            std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * 3);
            for (int x = 0; x < w; ++x) std::copy_n(row + 4 * x, 3, &rgb[3 * x]);
            std::fwrite(rgb.data(), 1, rgb.size(), out);
        }
        std::fclose(out);
    }
    return saved ? 0 : 1;
}
