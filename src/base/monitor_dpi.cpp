#include "base/monitor_dpi.h"

#include "base/display_scale.h"
#include "base/scoped_win.h"
#include "base/seams.h"
#include "base/system_library.h"

namespace {

using DpiForSystemFunction = UINT(WINAPI*)();
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
// GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y)
using DpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;

DpiForMonitorFunction DpiForMonitor() {
    return LibraryFunction<DpiForMonitorFunction>(SystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
}

int DeviceDpi() {
    ScopedWindowDC screen(nullptr);
    return screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : kBaseDpi;
}

}  // namespace

int SystemDpi() {
    static const auto forSystem = LibraryFunction<DpiForSystemFunction>(User32(), "GetDpiForSystem");
    return UsableDpi(forSystem ? int(forSystem()) : DeviceDpi());
}

int DpiOfMonitor(HMONITOR monitor) {
    UINT x = 0, y = 0;
    const DpiForMonitorFunction forMonitor = DpiForMonitor();
    if (monitor && forMonitor && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y))) return UsableDpi(int(x));
    return SystemDpi();
}

int DpiOfArea(const RECT& screenArea) {
    if (CurrentSeams().monitorDpi) return UsableDpi(CurrentSeams().monitorDpi(screenArea));
    return DpiOfMonitor(MonitorFromRect(&screenArea, MONITOR_DEFAULTTONEAREST));
}

int DpiOfPoint(POINT screenPoint) {
    return DpiOfArea(RECT{screenPoint.x, screenPoint.y, screenPoint.x + 1, screenPoint.y + 1});
}

int DpiOfWindow(HWND window) {
    RECT area{};
    if (CurrentSeams().monitorDpi && GetWindowRect(window, &area)) return DpiOfArea(area);
    static const auto forWindow = LibraryFunction<DpiForWindowFunction>(User32(), "GetDpiForWindow");
    const int dpi = forWindow ? int(forWindow(window)) : 0;
    if (dpi > 0) return UsableDpi(dpi);
    return DpiOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

bool SuggestedRectOf(LPARAM lParam, RECT* rect) {
    RECT copy{};
    SIZE_T read = 0;
    // ReadProcessMemory fails where a plain read would fault.
    if (!lParam || !ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &copy,
                                      sizeof copy, &read) ||
        read != sizeof copy) {
        return false;
    }
    const long long width = static_cast<long long>(copy.right) - copy.left;
    const long long height = static_cast<long long>(copy.bottom) - copy.top;
    if (width <= 0 || height <= 0 || width > 0x8000 || height > 0x8000) return false;
    *rect = copy;
    return true;
}
