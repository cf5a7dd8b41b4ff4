#pragma once

#include <string>

// The Windows version as major + minor / 10 (6.1 for Windows 7), read once.
double WindowsVersion();

// Every "Windows 7 or later" branch of the program asks this.
inline bool IsWindows7OrLater() {
    return WindowsVersion() >= 6.1;
}

// The version the system really has, whatever compatibility settings
// answer, for the log and crash reports: "6.1 build 7601 Service Pack 1".
std::string WindowsVersionText();
