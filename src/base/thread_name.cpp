#include "base/thread_name.h"

#include <atomic>

namespace {

// A plain pointer: read from a crash handler, where nothing may allocate.
thread_local const char* threadName = nullptr;
std::atomic<ThreadNamedHook> namedHook{nullptr};

}  // namespace

void NameThisThread(const char* name) {
    threadName = name;
    if (const ThreadNamedHook hook = namedHook.load()) hook(name);
}

const char* ThisThreadName() { return threadName ? threadName : "unnamed"; }

void SetThreadNamedHook(ThreadNamedHook hook) { namedHook = hook; }
