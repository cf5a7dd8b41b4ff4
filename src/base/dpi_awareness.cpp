#include "base/dpi_awareness.h"

#include <windows.h>

#include "base/system_library.h"

namespace {

// The system's DPI_AWARENESS_CONTEXT values (handles with fixed numbers).
using AwarenessContext = HANDLE;
const AwarenessContext kPerMonitorContext = reinterpret_cast<AwarenessContext>(-3);
const AwarenessContext kPerMonitorVersion2Context = reinterpret_cast<AwarenessContext>(-4);
constexpr int kProcessPerMonitorAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE

using SetContextFunction = BOOL(WINAPI*)(AwarenessContext);
using ThreadContextFunction = AwarenessContext(WINAPI*)();
using ContextsEqualFunction = BOOL(WINAPI*)(AwarenessContext, AwarenessContext);
using AwarenessOfContextFunction = int(WINAPI*)(AwarenessContext);
using SetProcessAwarenessFunction = HRESULT(WINAPI*)(int);
using ProcessAwarenessFunction = HRESULT(WINAPI*)(HANDLE, int*);
using SetAwareFunction = BOOL(WINAPI*)();
using IsAwareFunction = BOOL(WINAPI*)();

}  // namespace

DpiAwareness EnableDpiAwareness(DpiAwareness wanted) {
    if (wanted == DpiAwareness::kUnaware) return CurrentDpiAwareness();
    if (wanted == DpiAwareness::kSystem) {
        const auto setAware = LibraryFunction<SetAwareFunction>(User32(), "SetProcessDPIAware");
        if (setAware) setAware();
        return CurrentDpiAwareness();
    }
    const auto setContext = LibraryFunction<SetContextFunction>(User32(), "SetProcessDpiAwarenessContext");
    const bool version2 = wanted == DpiAwareness::kPerMonitorVersion2;
    if (setContext && ((version2 && setContext(kPerMonitorVersion2Context)) || setContext(kPerMonitorContext))) {
        return CurrentDpiAwareness();
    }
    const auto setProcess = LibraryFunction<SetProcessAwarenessFunction>(SystemLibrary(L"shcore.dll"), "SetProcessDpiAwareness");
    if (setProcess && SUCCEEDED(setProcess(kProcessPerMonitorAware))) return CurrentDpiAwareness();
    const auto setAware = LibraryFunction<SetAwareFunction>(User32(), "SetProcessDPIAware");
    if (setAware) setAware();
    return CurrentDpiAwareness();
}

DpiAwareness CurrentDpiAwareness() {
    const auto threadContext = LibraryFunction<ThreadContextFunction>(User32(), "GetThreadDpiAwarenessContext");
    const auto equal = LibraryFunction<ContextsEqualFunction>(User32(), "AreDpiAwarenessContextsEqual");
    const auto awarenessOf = LibraryFunction<AwarenessOfContextFunction>(User32(), "GetAwarenessFromDpiAwarenessContext");
    if (threadContext && equal && awarenessOf) {
        const AwarenessContext context = threadContext();
        if (equal(context, kPerMonitorVersion2Context)) return DpiAwareness::kPerMonitorVersion2;
        switch (awarenessOf(context)) {
        case 2: return DpiAwareness::kPerMonitor;
        case 1: return DpiAwareness::kSystem;
        default: return DpiAwareness::kUnaware;
        }
    }
    int processAwareness = 0;
    const auto process = LibraryFunction<ProcessAwarenessFunction>(SystemLibrary(L"shcore.dll"), "GetProcessDpiAwareness");
    if (process && SUCCEEDED(process(nullptr, &processAwareness))) {
        return processAwareness >= kProcessPerMonitorAware ? DpiAwareness::kPerMonitor
               : processAwareness == 1                     ? DpiAwareness::kSystem
                                                           : DpiAwareness::kUnaware;
    }
    const auto isAware = LibraryFunction<IsAwareFunction>(User32(), "IsProcessDPIAware");
    return isAware && isAware() ? DpiAwareness::kSystem : DpiAwareness::kUnaware;
}
