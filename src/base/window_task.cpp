#include "base/window_task.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/random_bytes.h"

namespace {

struct PendingTask {
    HWND window;
    WindowTask task;
};

// Posted tasks by key. Never destroyed: a thread may still post while the
// process ends.
struct TaskTable {
    std::mutex lock;
    std::unordered_map<std::uint64_t, PendingTask> tasks;
};

TaskTable& Table() {
    static TaskTable* table = new TaskTable;
    return *table;
}

// Beyond this many queued tasks, those of windows that are gone (destroyed
// without DiscardPostedTasks, their messages lost with them) are dropped.
constexpr std::size_t kSweepAbove = 256;

// The key travels split over both message parameters, so that it is whole
// whatever their width.
WPARAM KeyLow(std::uint64_t key) { return static_cast<WPARAM>(key & 0xFFFFFFFFu); }
LPARAM KeyHigh(std::uint64_t key) { return static_cast<LPARAM>(key >> 32); }
std::uint64_t KeyOf(WPARAM wParam, LPARAM lParam) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(lParam)) << 32) |
           static_cast<std::uint32_t>(wParam);
}

// Takes the task of `key` out of the table when it was posted to `window`.
// The task is returned, so that whatever it holds is released outside the
// lock (its destructor may post again).
WindowTask Take(HWND window, std::uint64_t key) {
    TaskTable& table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    const auto found = table.tasks.find(key);
    if (found == table.tasks.end() || found->second.window != window) return WindowTask();
    WindowTask task = std::move(found->second.task);
    table.tasks.erase(found);
    return task;
}

// Removes every task whose window `drop` answers true for; returns them
// for releasing outside the lock.
template <typename Predicate>
std::vector<WindowTask> TakeAll(std::unordered_map<std::uint64_t, PendingTask>& tasks, Predicate drop) {
    std::vector<WindowTask> taken;
    for (auto entry = tasks.begin(); entry != tasks.end();) {
        if (drop(entry->second.window)) {
            taken.push_back(std::move(entry->second.task));
            entry = tasks.erase(entry);
        } else {
            ++entry;
        }
    }
    return taken;
}

}  // namespace

UINT WindowTaskMessage() {
    static const UINT message = RegisterWindowMessageW(L"Korvane.WindowTask");
    return message;
}

bool PostToWindowThread(HWND window, WindowTask task) {
    if (!window || !task || !IsWindow(window)) return false;
    TaskTable& table = Table();
    std::uint64_t key = 0;
    std::vector<WindowTask> stale;
    {
        std::lock_guard<std::mutex> hold(table.lock);
        if (table.tasks.size() > kSweepAbove) {
            stale = TakeAll(table.tasks, [](HWND owner) { return !IsWindow(owner); });
        }
        do {
            key = RandomKey();
        } while (key != 0 && table.tasks.count(key) != 0);
        if (key == 0) return false;
        table.tasks.emplace(key, PendingTask{window, std::move(task)});
    }
    if (PostMessageW(window, WindowTaskMessage(), KeyLow(key), KeyHigh(key))) return true;
    Take(window, key);
    return false;
}

bool RunPostedTask(HWND window, WPARAM wParam, LPARAM lParam) {
    WindowTask task = Take(window, KeyOf(wParam, lParam));
    if (!task) return false;
    task();
    return true;
}

void DiscardPostedTask(HWND window, WPARAM wParam, LPARAM lParam) { Take(window, KeyOf(wParam, lParam)); }

void DiscardPostedTasks(HWND window) {
    // The messages first, then every task still named for the window (a
    // message may be on its way from another thread).
    MSG message;
    while (PeekMessageW(&message, window, WindowTaskMessage(), WindowTaskMessage(), PM_REMOVE)) {
    }
    TaskTable& table = Table();
    std::vector<WindowTask> dropped;
    {
        std::lock_guard<std::mutex> hold(table.lock);
        dropped = TakeAll(table.tasks, [window](HWND owner) { return owner == window; });
    }
}

std::size_t PendingWindowTasks() {
    TaskTable& table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    return table.tasks.size();
}
