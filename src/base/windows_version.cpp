#include "base/windows_version.h"

#include <windows.h>

double WindowsVersion() {
    static const double version = [] {
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = sizeof info;
        // Deprecated, but it answers what the compatibility settings say,
        // which is what the program's behaviour should follow.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
#pragma GCC diagnostic pop
        return info.dwMajorVersion + info.dwMinorVersion / 10.0;
    }();
    return version;
}
