// Calls that only newer systems have, looked up at run time so the program
// still starts on the oldest one it supports.
#pragma once

#include <windows.h>

// A DLL from the system folder only (never one beside the program or in the
// working directory), loaded once and kept for the process's life as a
// delay-loaded import would be; null when the system has none.
HMODULE SystemLibrary(const wchar_t* fileName);

// A function of `module`, or null (also for a null module).
template <typename Function>
Function LibraryFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// user32.dll, which every window program has loaded.
inline HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }
