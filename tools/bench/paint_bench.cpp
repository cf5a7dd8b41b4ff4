// Paint speed of the skinned window: the whole 316 x 530 picture composed
// again (background tiles, window buttons and a page of widgets, uploading at
// 60 %), and the repaint of one progress-bar tick. Prints the median and the
// 90th percentile of each over many paints; not a test. With --dpi, the
// program's own main window drawn at that DPI instead (the display scaling's
// cost: its frame, buttons and upload page at 100 %, 150 % or 200 %).
//   paint_bench.exe [--skin DIR] [--dpi DPI] [PAINTS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/display_scale.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/argb_bitmap.h"
#include "gui/font_face.h"
#include "gui/gui_object.h"
#include "gui/skinnable_window.h"
#include "showcase/showcase_layout.h"

namespace {

double Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Milliseconds of each of `paints` runs of `step`.
template <typename Step>
std::vector<double> Time(int paints, Step step) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    times.reserve(paints);
    for (int i = 0; i < paints; ++i) {
        const double start = Ticks();
        step(i);
        times.push_back((Ticks() - start) * 1000.0 / static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times;
}

void Report(const char* what, const std::vector<double>& times, double goal) {
    const double median = times[times.size() / 2];
    const double p90 = times[times.size() * 9 / 10];
    std::printf("%-8s median %.3f ms, 90%% %.3f ms, best %.3f ms over %zu paints (goal < %.1f ms: %s)\n",
                what, median, p90, times.front(), times.size(), goal,
                median < goal ? "met" : "missed");
}

// What pushing one whole 316 x 530 picture to a layered window costs on its
// own (every paint pushes the whole window), to tell it from composing.
std::vector<double> TimeBarePush(int paints) {
    HWND layered = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 600,
                                   40, kShowcaseWidth, kShowcaseHeight, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateArgbBitmap(dc, kShowcaseWidth, kShowcaseHeight, &bits);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ShowWindow(layered, SW_SHOWNOACTIVATE);
    POINT origin{0, 0};
    SIZE size{kShowcaseWidth, kShowcaseHeight};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const std::vector<double> times = Time(paints, [&](int i) {
        static_cast<std::uint32_t*>(bits)[i % (kShowcaseWidth * kShowcaseHeight)] = 0x80404040;
        UpdateLayeredWindow(layered, nullptr, nullptr, &size, dc, &origin, 0, &blend, ULW_ALPHA);
    });
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyWindow(layered);
    return times;
}

// The main window at `dpi`, 530 pixels tall at 96 DPI: full recompositions.
int BenchMainWindow(int dpi, int paints) {
    DefineDefaultSettings(Settings());
    Settings().SetInt(L"LiftornHeight", 530);
    Settings().SetInt(L"PositionX", 40);
    Settings().SetInt(L"PositionY", 40);
    std::unique_ptr<SkinnableWindow> window;
    if (!CreateMainWindow(GetModuleHandleW(nullptr), window, dpi)) {
        std::fprintf(stderr, "paint_bench: the main window was not made\n");
        return 1;
    }
    CreateMainButtons(GetModuleHandleW(nullptr));
    CreateMainPage(GetModuleHandleW(nullptr));
    window->Show(SW_SHOWNOACTIVATE);
    Pump();
    window->PaintNow();
    HWND main = window->MainWindow();
    for (int i = 0; i < 20; ++i) {
        InvalidateRect(main, nullptr, FALSE);
        window->PaintNow();
    }
    const std::vector<double> full = Time(paints, [&](int) {
        InvalidateRect(main, nullptr, FALSE);
        window->PaintNow();
    });
    const SIZE size = window->BackBufferSize();
    std::printf("main window at %d %%: %ld x %ld, full median %.3f ms, 90%% %.3f ms over %zu paints\n",
                ScalePercent(dpi), size.cx, size.cy, full[full.size() / 2], full[full.size() * 9 / 10],
                full.size());
    // A move onto a monitor of another scale and back: laid out and drawn
    // again each way, pictures and fonts loaded for the DPI.
    const int other = dpi == kBaseDpi ? 144 : kBaseDpi;
    const std::vector<double> moves = Time(std::max(10, paints / 25), [&](int i) {
        const int to = i % 2 ? dpi : other;
        RECT suggested{40, 40, 40 + ScaleLength(316, to), 40 + ScaleLength(530, to)};
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    });
    std::printf("main window at %d %%: onto %d %% or back, median %.3f ms, 90%% %.3f ms over %zu moves\n",
                ScalePercent(dpi), ScalePercent(other), moves[moves.size() / 2], moves[moves.size() * 9 / 10],
                moves.size());
    App().mainWindow = nullptr;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring skin;
    int paints = 500;
    int dpi = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--skin") == 0 && i + 1 < argc) {
            skin = argv[++i];
        } else if (std::wcscmp(argv[i], L"--dpi") == 0 && i + 1 < argc) {
            dpi = UsableDpi(_wtoi(argv[++i]));
        } else {
            paints = std::max(10, _wtoi(argv[i]));
        }
    }
    if (!LoadShowcaseSkin(skin)) {
        std::fprintf(stderr, "paint_bench: the skin does not load\n");
        return 1;
    }
    SetDefaultFonts(StartupFontList());
    if (dpi) return BenchMainWindow(dpi, paints);
    std::unique_ptr<Showcase> showcase =
        BuildShowcase(GetModuleHandleW(nullptr), ShowcaseState::kUploading, 40, 40);
    if (!showcase) {
        std::fprintf(stderr, "paint_bench: the window was not made\n");
        return 1;
    }
    SkinnableWindow& window = *showcase->window;
    window.Show(SW_SHOWNOACTIVATE);
    window.Relayout(nullptr);
    Pump();  // first paint: back buffer, shape, outer picture, text renders
    window.PaintNow();

    HWND main = window.MainWindow();
    // Warm up both paths before measuring.
    for (int i = 0; i < 20; ++i) {
        InvalidateRect(main, nullptr, FALSE);
        window.PaintNow();
    }
    const std::vector<double> full = Time(paints, [&](int) {
        InvalidateRect(main, nullptr, FALSE);
        window.PaintNow();
    });
    const RECT bar = ShowcaseProgressRect();
    const std::vector<double> tick = Time(paints, [&](int i) {
        SetShowcaseProgress(*showcase, i % 101);
        InvalidateRect(main, &bar, FALSE);
        window.PaintNow();
    });
    Pump();

    const SIZE size = window.BackBufferSize();
    std::printf("window %ld x %ld, %zu painters\n", size.cx, size.cy, window.Painters().size());
    Report("full", full, 1.0);
    Report("partial", tick, 0.2);
    // The painters alone into a buffer of our own: composing without the
    // background tiles and without the push to the screen.
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateArgbBitmap(dc, kShowcaseWidth, kShowcaseHeight, &bits);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT whole{0, 0, kShowcaseWidth, kShowcaseHeight};
    const std::vector<double> widgetsFull = Time(paints, [&](int) {
        SelectClipRgn(dc, nullptr);
        for (GUIObject* painter : window.Painters()) painter->Paint(dc, whole);
    });
    HRGN barClip = CreateRectRgnIndirect(&bar);
    const std::vector<double> widgetsTick = Time(paints, [&](int i) {
        SetShowcaseProgress(*showcase, i % 101);
        SelectClipRgn(dc, barClip);
        for (GUIObject* painter : window.Painters()) painter->Paint(dc, bar);
    });
    DeleteObject(barClip);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    std::printf("widgets alone (no tiles, no push): full median %.3f ms, tick median %.3f ms\n",
                widgetsFull[widgetsFull.size() / 2], widgetsTick[widgetsTick.size() / 2]);
    const std::vector<double> push = TimeBarePush(paints);
    std::printf("a bare UpdateLayeredWindow of a whole 316 x 530 picture: median %.3f ms\n",
                push[push.size() / 2]);
    return 0;
}
