#include "shell/toast.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "app/app_state.h"
#include "gui/skinnable_window.h"
#include "shell/toast_window.h"

namespace {

void ForgetThisThread() {
    const DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> hold(App().toastThreadsLock);
    auto& threads = App().toastThreads;
    threads.erase(std::remove_if(threads.begin(), threads.end(),
                                 [self](HANDLE thread) { return GetThreadId(thread) == self; }),
                  threads.end());
}

DWORD WINAPI RunToast(void* parameter) {
    auto* request = static_cast<ToastRequest*>(parameter);
    if (BuildToast(request)) request->window->RunMessageLoop();
    TearDownToast(request);
    // A shutdown wait holds its own copy of the handle, so the entry may go
    // before the thread has really ended.
    ForgetThisThread();
    delete request;
    return 0;
}

}  // namespace

void ShowToast(bool success, const std::wstring& name, const wchar_t* url,
               ButtonClickFunction copyAction) {
    auto* request = new ToastRequest;
    request->success = success;
    request->name = new std::wstring(name);
    request->url = url ? new std::wstring(url) : nullptr;
    request->copyAction = copyAction;
    // Held while the thread starts, so it cannot remove its entry before the
    // entry exists. The handle stays open: a shutdown wait may hold a copy.
    std::lock_guard<std::mutex> hold(App().toastThreadsLock);
    HANDLE thread = CreateThread(nullptr, 0, RunToast, request, 0, nullptr);
    if (!thread) {
        delete request->name;
        delete request->url;
        delete request;
        return;
    }
    App().toastThreads.push_back(thread);
}

void WaitForToastThreads() {
    std::vector<HANDLE> threads;
    {
        std::lock_guard<std::mutex> hold(App().toastThreadsLock);
        threads = App().toastThreads;
    }
    for (HANDLE thread : threads) WaitForSingleObject(thread, INFINITE);
}
