#include "base/windows_version.h"

#include <windows.h>

#include <cstdio>

#include "base/utf.h"

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

std::string WindowsVersionText() {
    using VersionReader = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto read = ntdll ? reinterpret_cast<VersionReader>(
                            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                      : nullptr;
    if (!read || read(&info) != 0) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu build %lu", info.dwMajorVersion, info.dwMinorVersion,
                  info.dwBuildNumber);
    std::string description = text;
    if (info.szCSDVersion[0]) description += " " + WideToUtf8(info.szCSDVersion);
    return description;
}
