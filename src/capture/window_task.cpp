#include "capture/window_task.h"

#include <commctrl.h>

#include <memory>

namespace {

constexpr UINT_PTR kSubclassId = 0x564C5454;  // one receiver per window

UINT TaskMessage() {
    static const UINT message = RegisterWindowMessageW(L"vlt.WindowTask");
    return message;
}

LRESULT CALLBACK Receiver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    if (message == TaskMessage() && message != 0) {
        std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
        if (task && *task) (*task)();
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, Receiver, kSubclassId);
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

bool AcceptWindowTasks(HWND window) {
    // Installing the same subclass again only updates it.
    return SetWindowSubclass(window, Receiver, kSubclassId, 0) != FALSE;
}

bool PostToWindowThread(HWND window, std::function<void()> task) {
    if (!IsWindow(window) || !TaskMessage()) return false;
    auto* posted = new std::function<void()>(std::move(task));
    if (!PostMessageW(window, TaskMessage(), 0, reinterpret_cast<LPARAM>(posted))) {
        delete posted;
        return false;
    }
    return true;
}
