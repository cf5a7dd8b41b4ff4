// Scrolling the history list of the program's own main window, built the
// way start-up builds it over a data folder (see tools/bench-startup.sh),
// from the newest entry to the oldest: by the wheel (every notch one
// frame), by dragging the scroll-bar thumb (a pixel per frame), and by
// jumping between the two ends. A frame is the input message and the paint
// it causes, pushed to the layered window. Prints the median and the worst
// frame of each; not a test.
//   scroll_bench.exe DATA_FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bench_window.h"
#include "gui/gui_scroll_area.h"
#include "gui/skinnable_window.h"
#include "history/history_store.h"
#include "history/history_views.h"
#include "history/gui_history_item.h"
#include "history/thumbnail_loader.h"

namespace {

const HistoryViews* views = nullptr;

void Print(const char* what, std::vector<double> times) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    const auto slow = times.end() - std::upper_bound(times.begin(), times.end(), 16.0);
    std::printf("%-14s %6zu frames  median %7.3f ms  90%% %7.3f ms  worst %7.3f ms  over 16 ms: %td\n",
                what, times.size(), times[times.size() / 2], times[times.size() * 9 / 10],
                times.back(), slow);
}

// Frame times, kept apart for frames that bound a view to another entry.
struct Frames {
    std::vector<double> times;
    std::vector<double> binding;
    void Take(const std::function<void()>& input, SkinnableWindow& window) {
        const std::size_t binds = views ? views->Binds() : 0;
        const double start = Milliseconds();
        input();
        window.PaintNow();
        const double took = Milliseconds() - start;
        times.push_back(took);
        if (views && views->Binds() != binds) binding.push_back(took);
    }
    void Report(const std::string& what) {
        Print(what.c_str(), times);
        Print((what + " binding").c_str(), binding);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scroll_bench DATA_FOLDER\n");
        return 2;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    AppState& app = App();
    std::unique_ptr<SkinnableWindow> mainWindow;
    const double loadStart = Milliseconds();
    const std::unique_ptr<HistoryStore> store = OpenBenchWindow(instance, argv[1], mainWindow);
    const double loaded = Milliseconds() - loadStart;
    if (!store) return 1;
    SkinnableWindow& window = *app.mainWindow;
    views = dynamic_cast<const HistoryViews*>(app.historyList->ViewSource());
    HWND main = window.MainWindow();
    GUIScrollArea& list = *app.historyList;
    window.Show(SW_SHOWNOACTIVATE);
    window.Relayout(nullptr);
    Pump();
    window.PaintNow();
    std::printf("%zu rows read and listed in %.0f ms; list %ld pixels high\n", list.Items().size(),
                loaded, list.Size().cy);

    // The same paint with nothing moved: what a frame costs before any of
    // the list's own work.
    Frames still;
    for (int i = 0; i < 300; ++i) still.Take([&] { list.Invalidate(); }, window);
    Frames wheel;
    while (list.ScrollOffset() < list.ScrollRange()) {
        wheel.Take([&] { SendMessageW(main, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0); },
                   window);
    }
    Frames drag;
    list.SetScrollPosition(0);
    window.PaintNow();
    const HWND thumb = list.ThumbWindow();
    SendMessageW(thumb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    // The pointer goes down the track a pixel per frame; the thumb follows
    // it, so each move is given in the thumb's coordinates of the moment.
    const int top = list.Position().y;
    for (int y = top; y <= top + list.Size().cy; ++y) {
        drag.Take(
            [&] {
                POINT at{0, 0};
                MapWindowPoints(thumb, main, &at, 1);
                SendMessageW(thumb, WM_MOUSEMOVE, MK_LBUTTON,
                             MAKELPARAM(5, static_cast<short>(y - at.y)));
            },
            window);
    }
    SendMessageW(thumb, WM_LBUTTONUP, 0, 0);
    Frames jump;
    for (int i = 0; i < 100; ++i) {
        jump.Take([&] { list.SetScrollPosition(i % 2 ? 0 : 100); }, window);
    }

    // What one thumbnail costs from its file, and one text render.
    std::vector<double> decodes;
    const std::vector<HistoryRowPtr> rows = app.historyDatabase->Rows();
    for (std::size_t i = 0; i < rows.size() && i < 200; ++i) {
        const double start = Milliseconds();
        LoadPreparedThumbnail(HistoryThumbPath(app.dataFolder, *rows[i]));
        decodes.push_back(Milliseconds() - start);
    }
    Print("decode alone", decodes);
    // Binding one view to another row whose thumbnail is cached.
    std::vector<double> binds;
    if (GUIObject* view = list.ViewAt(0)) {
        auto* source = list.ViewSource();
        for (std::size_t i = 0; i < 200; ++i) {
            const ScrollEntry& entry = list.Items()[i % 2];
            const double start = Milliseconds();
            source->BindView(*view, entry);
            binds.push_back(Milliseconds() - start);
        }
    }
    Print("bind alone", binds);
    still.Report("repaint");
    wheel.Report("wheel");
    drag.Report("drag");
    jump.Report("jump");
    std::printf("views %zu (bound %zu), thumbnails decoded %zu, cached %zu\n", list.ViewCount(),
                list.ViewBound(), views ? views->Decodes() : 0, views ? views->CachedThumbnails() : 0);
    return 0;
}
