#include "shell/toast.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "base/scoped_win.h"
#include "base/thread_name.h"
#include "gui/skinnable_window.h"
#include "shell/toast_window.h"

namespace {

// The running toast threads. A thread removes (and so closes) its own entry
// as it ends; the shutdown wait works on duplicates of the handles, so an
// entry may go while the wait goes on.
struct ToastThread {
    DWORD id = 0;
    ScopedHandle handle;
};

struct ToastThreads {
    std::mutex lock;
    std::vector<ToastThread> running;
    bool accepting = true;  // false once shutdown waits
};

ToastThreads& Threads() {
    static ToastThreads threads;
    return threads;
}

void ForgetThisThread() {
    const DWORD self = GetCurrentThreadId();
    ToastThreads& threads = Threads();
    std::lock_guard<std::mutex> hold(threads.lock);
    auto& running = threads.running;
    running.erase(std::remove_if(running.begin(), running.end(),
                                 [self](const ToastThread& thread) { return thread.id == self; }),
                  running.end());
}

DWORD WINAPI RunToast(void* parameter) {
    std::unique_ptr<ToastRequest> request(static_cast<ToastRequest*>(parameter));
    NameThisThread("toast");
    if (BuildToast(request.get())) request->window->RunMessageLoop();
    TearDownToast(request.get());
    ForgetThisThread();
    return 0;
}

}  // namespace

void ShowToast(HINSTANCE instance, bool success, const std::wstring& name, const wchar_t* url,
               ButtonClickFunction copyAction) {
    auto request = std::make_unique<ToastRequest>();
    request->instance = instance;
    request->success = success;
    request->name = name;
    request->hasUrl = url != nullptr;
    if (url) request->url = url;
    request->copyAction = copyAction;
    ToastThreads& threads = Threads();
    // Held while the thread starts, so it cannot remove its entry before the
    // entry exists.
    std::lock_guard<std::mutex> hold(threads.lock);
    if (!threads.accepting) return;
    DWORD id = 0;
    ScopedHandle thread(CreateThread(nullptr, 0, RunToast, request.get(), 0, &id));
    if (!thread) return;
    request.release();  // the thread owns it now
    threads.running.push_back(ToastThread{id, std::move(thread)});
}

void RefuseNewToasts() {
    ToastThreads& threads = Threads();
    std::lock_guard<std::mutex> hold(threads.lock);
    threads.accepting = false;
}

void WaitForToastThreads() {
    std::vector<ScopedHandle> waits;
    {
        ToastThreads& threads = Threads();
        std::lock_guard<std::mutex> hold(threads.lock);
        threads.accepting = false;
        for (const ToastThread& thread : threads.running) {
            HANDLE copy = nullptr;
            if (DuplicateHandle(GetCurrentProcess(), thread.handle.get(), GetCurrentProcess(), &copy,
                                SYNCHRONIZE, FALSE, 0)) {
                waits.emplace_back(copy);
            }
        }
    }
    for (const ScopedHandle& wait : waits) WaitForSingleObject(wait.get(), INFINITE);
}

std::size_t RunningToastThreads() {
    ToastThreads& threads = Threads();
    std::lock_guard<std::mutex> hold(threads.lock);
    return threads.running.size();
}
