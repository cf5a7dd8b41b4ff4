// Searching the history list of the program's own main window, built the way
// start-up builds it over a data folder (see tools/bench-startup.sh): the
// time from a keystroke in the search box to the list painted with its
// answer, typing "a", "ab", "abc" and a date prefix, next to a wheel frame
// of the whole list for scale; the working set without and with the search
// open; and, for the choice of means, the same search done by folding every
// row again and by SQLite's LIKE over the database. Prints figures; not a
// test.
//   search_bench.exe DATA_FOLDER
#include <windows.h>
#include <psapi.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/history_search.h"
#include "base/utf.h"
#include "bench_window.h"
#include "gui/gui_edit.h"
#include "gui/gui_scroll_area.h"
#include "gui/skinnable_window.h"
#include "history/history_row.h"
#include "history/history_store.h"
#include "history/search_index.h"

namespace {

double WorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// Processor time used so far, in ms: by this (the window's) thread, and by
// the whole process. Load on the machine stretches the clock, not these.
double Used(const FILETIME& kernel, const FILETIME& user) {
    const auto value = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(value(kernel) + value(user)) / 10000.0;
}
double ThreadProcessorMs() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    return Used(kernel, user);
}
double ProcessProcessorMs() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    return Used(kernel, user);
}

void Print(const std::string& what, std::vector<double> times) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    std::printf("  %-22s %4zu times  median %7.2f ms  worst %7.2f ms\n", what.c_str(), times.size(),
                times[times.size() / 2], times.back());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: search_bench DATA_FOLDER\n");
        return 2;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    AppState& app = App();
    std::unique_ptr<SkinnableWindow> mainWindow;
    const std::unique_ptr<HistoryStore> store = OpenBenchWindow(instance, argv[1], mainWindow);
    if (!store) return 1;
    std::unique_ptr<HistorySearch> search = CreateHistorySearch(instance);
    SkinnableWindow& window = *app.mainWindow;
    GUIScrollArea& list = *app.historyList;
    window.Show(SW_SHOWNOACTIVATE);
    window.Relayout(nullptr);
    Pump();
    window.PaintNow();
    const std::size_t total = list.Items().size();
    std::printf("%zu entries\n", total);

    // For scale: a wheel frame of the whole list.
    std::vector<double> wheel;
    const double wheelBefore = ThreadProcessorMs();
    for (int i = 0; i < 60; ++i) {
        const double start = Milliseconds();
        SendMessageW(window.MainWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
        window.PaintNow();
        wheel.push_back(Milliseconds() - start);
    }
    const double wheelUsed = (ThreadProcessorMs() - wheelBefore) / 60;
    list.SetScrollOffset(0);
    window.PaintNow();
    Sleep(300);
    const double closedMb = WorkingSetMb();

    // Opening: the entries are taken on the window thread, the keys are
    // prepared on the search thread.
    double start = Milliseconds();
    const double openBefore = ThreadProcessorMs();
    search->Open();
    const double opened = Milliseconds() - start;
    const double openUsed = ThreadProcessorMs() - openBefore;
    while (search->IndexBuilds() == 0) Sleep(1);
    const double prepared = Milliseconds() - start;
    Pump();
    window.PaintNow();
    Sleep(300);
    const double openMb = WorkingSetMb();
    std::printf("open %.2f ms on the window thread (processor %.2f ms); keys prepared after %.0f ms, "
                "%.1f MB\n",
                opened, openUsed, prepared, static_cast<double>(search->IndexBytes()) / (1024.0 * 1024.0));
    std::printf("working set: %.1f MB with the search closed, %.1f MB open (+%.1f MB)\n", closedMb,
                openMb, openMb - closedMb);

    // Typing: each keystroke until the list is painted with its answer.
    HWND box = search->Box()->Window();
    const auto keystroke = [&](wchar_t character) {
        const double began = Milliseconds();
        SendMessageW(box, WM_CHAR, character, 0);
        Pump();  // the change is read from the queue, then asked for
        while (search->IsSearching()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            Pump();
        }
        window.PaintNow();
        return Milliseconds() - began;
    };
    const std::vector<std::wstring> typed = {L"abc", L"2026-11"};
    std::map<std::wstring, std::vector<double>> times;
    std::map<std::wstring, std::size_t> found;
    std::vector<double> clears;
    const double threadBefore = ThreadProcessorMs(), processBefore = ProcessProcessorMs();
    int keystrokes = 0;
    for (int round = 0; round < 15; ++round) {
        for (const std::wstring& text : typed) {
            for (std::size_t length = 1; length <= text.size(); ++length) {
                times[text.substr(0, length)].push_back(keystroke(text[length - 1]));
                ++keystrokes;
                found[text.substr(0, length)] = list.Items().size();
            }
            SendMessageW(box, WM_CHAR, 1, 0);  // select all, then erase: the whole list again
            clears.push_back(keystroke(8));
            keystrokes += 2;
        }
    }
    const double threadUsed = ThreadProcessorMs() - threadBefore;
    const double processUsed = ProcessProcessorMs() - processBefore;
    std::printf("keystroke to painted answer (%zu entries):\n", total);
    for (const std::wstring& text : typed) {
        for (std::size_t length = 1; length <= text.size(); ++length) {
            const std::wstring prefix = text.substr(0, length);
            Print("\"" + WideToUtf8(prefix) + "\" (" + std::to_string(found[prefix]) + " found)",
                  times[prefix]);
        }
    }
    Print("cleared (all again)", clears);
    Print("wheel frame, for scale", wheel);
    std::printf("  processor time per keystroke, on average: window thread %.2f ms, "
                "whole process %.2f ms (%d keystrokes); a wheel frame %.2f ms\n",
                threadUsed / keystrokes, processUsed / keystrokes, keystrokes, wheelUsed);
    search->Close();
    Pump();

    // The search thread's part alone: the prepared keys, then the pass over
    // them; and the other means, for the record: folding every row for each
    // search, and SQLite's LIKE (no accents, no days) over the database.
    const std::vector<HistoryRowPtr> rows = store->Rows();
    auto entries = std::make_shared<SearchEntries>(rows.rbegin(), rows.rend());
    start = Milliseconds();
    const auto index = SearchIndex::Build(entries, DescribeHistoryRow, nullptr);
    std::printf("keys prepared in %.1f ms on this thread\n", Milliseconds() - start);
    for (const char* text : {"a", "abc", "2026-11"}) {
        std::vector<double> passes;
        std::vector<std::size_t> places;
        for (int round = 0; round < 5; ++round) {
            places.clear();
            start = Milliseconds();
            index->Find(SearchWords(text), places, nullptr);
            passes.push_back(Milliseconds() - start);
        }
        std::printf("the pass over the keys, \"%s\":\n", text);
        Print("prepared keys (" + std::to_string(places.size()) + ")", passes);
    }
    for (const char* text : {"a", "abc", "2026-11"}) {
        std::vector<double> folding, like;
        std::size_t foldFound = 0, likeFound = 0;
        for (int round = 0; round < 5; ++round) {
            start = Milliseconds();
            const std::vector<std::string> words = SearchWords(text);
            foldFound = 0;
            for (const HistoryRowPtr& row : rows) {
                foldFound += Matches(BoundedFields(DescribeHistoryRow(row.get())), words);
            }
            folding.push_back(Milliseconds() - start);

            sqlite3* db = nullptr;
            sqlite3_open_v2((app.dataFolder + "history.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db,
                               "SELECT rowid FROM history WHERE filename LIKE ?1 ESCAPE '\\' "
                               "OR url LIKE ?1 ESCAPE '\\' ORDER BY rowid DESC",
                               -1, &statement, nullptr);
            const std::string pattern = std::string("%") + text + "%";
            start = Milliseconds();
            sqlite3_bind_text(statement, 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
            likeFound = 0;
            while (sqlite3_step(statement) == SQLITE_ROW) ++likeFound;
            like.push_back(Milliseconds() - start);
            sqlite3_finalize(statement);
            sqlite3_close(db);
        }
        std::printf("other means, \"%s\":\n", text);
        Print("folding every row (" + std::to_string(foldFound) + ")", folding);
        Print("SQLite LIKE (" + std::to_string(likeFound) + ")", like);
    }
    search.reset();
    return 0;
}
