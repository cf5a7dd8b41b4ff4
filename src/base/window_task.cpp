#include "base/window_task.h"

#include <memory>

UINT WindowTaskMessage() {
    static const UINT message = RegisterWindowMessageW(L"Korvane.WindowTask");
    return message;
}

bool PostToWindowThread(HWND window, WindowTask task) {
    if (!window || !task || !IsWindow(window)) return false;
    auto owned = std::make_unique<WindowTask>(std::move(task));
    if (!PostMessageW(window, WindowTaskMessage(), 0, reinterpret_cast<LPARAM>(owned.get()))) return false;
    owned.release();  // the receiving window procedure frees it
    return true;
}

void RunPostedTask(LPARAM lParam) {
    std::unique_ptr<WindowTask> task(reinterpret_cast<WindowTask*>(lParam));
    if (task && *task) (*task)();
}

void DiscardPostedTask(LPARAM lParam) {
    delete reinterpret_cast<WindowTask*>(lParam);
}

void DiscardPostedTasks(HWND window) {
    MSG message;
    while (PeekMessageW(&message, window, WindowTaskMessage(), WindowTaskMessage(), PM_REMOVE)) {
        delete reinterpret_cast<WindowTask*>(message.lParam);
    }
}
