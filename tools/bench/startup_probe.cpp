// Starts the program with a given data folder and measures its start-up from
// outside: the time until the published main window is visible and its
// picture has reached the screen, the process's memory once it is up, and how
// many windows it created. Then asks it to quit. Not a test: it prints one
// line of figures for tools/bench-startup.sh.
//   startup_probe.exe PROGRAM APPDATA [LIMIT_MB]
// LIMIT_MB (default 8000) stops the program when its working set grows past
// it before the window shows, so a huge history cannot exhaust the machine.
// Output: "ok visible_ms painted_ms working_set_kb private_kb top_windows
//          child_windows user_objects gdi_objects exit_ms" or "fail REASON ...".
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/instance_handoff.h"
#include "resource_ids.h"

namespace {

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// The screen's pixels inside `rect` (32-bit, top-down rows).
std::vector<DWORD> GrabScreen(const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            const DWORD* p = static_cast<const DWORD*>(bits);
            pixels.assign(p, p + static_cast<size_t>(width) * height);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Working set and private bytes in KB. Wine leaves PrivateUsage empty; the
// commit charge (PagefileUsage) is the same figure on Windows.
void ReadMemory(HANDLE process, unsigned long long* workingKb, unsigned long long* privateKb) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    *workingKb = memory.WorkingSetSize / 1024;
    *privateKb = (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / 1024;
}

struct WindowCount {
    DWORD process;
    int top;
    int children;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
    ++reinterpret_cast<WindowCount*>(data)->children;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM data) {
    auto* count = reinterpret_cast<WindowCount*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != count->process) return TRUE;
    ++count->top;
    EnumChildWindows(window, CountChild, data);  // walks all descendants
    return TRUE;
}

// GDI objects of `process`: GetGuiResources where the system counts them;
// Wine answers 0 there, so then the live entries of the process's GDI handle
// table, which the PEB points to on both (x64 layout: 24-byte entries, the
// type byte at offset 14, the owner's process id at offset 8; Wine's table
// is the process's own, Windows shares one table between processes).
long CountGdiObjects(HANDLE process, DWORD processId) {
    const DWORD counted = GetGuiResources(process, GR_GDIOBJECTS);
    if (counted > 0) return static_cast<long>(counted);
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
        return -1;
    }
    constexpr SIZE_T kTableOffset = 0xF8;  // PEB.GdiSharedHandleTable
    ULONG_PTR table = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kTableOffset,
                           &table, sizeof table, nullptr) ||
        !table) {
        return -1;
    }
    constexpr SIZE_T kEntries = 0x10000, kEntrySize = 24;
    std::vector<BYTE> entries(kEntries * kEntrySize);
    SIZE_T read = 0;
    ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(),
                      &read);
    if (read < kEntrySize) return -1;
    long live = 0;
    for (SIZE_T at = 0; at + kEntrySize <= read; at += kEntrySize) {
        const USHORT owner = *reinterpret_cast<const USHORT*>(&entries[at + 8]);
        const BYTE type = entries[at + 14];
        if (type != 0 && (owner == 0 || owner == static_cast<USHORT>(processId))) ++live;
    }
    return live;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("fail usage: startup_probe PROGRAM APPDATA\n");
        return 2;
    }
    // A child inherits this block, so the program sees our data folder even
    // though Wine sets APPDATA for the first process it starts.
    SetEnvironmentVariableW(L"APPDATA", argv[2]);
    const unsigned long long limitKb =
        1024ULL * static_cast<unsigned long long>(argc > 3 ? _wtoi(argv[3]) : 8000);
    if (FindRunningInstanceWindow()) {
        std::printf("fail another instance is already running\n");
        return 1;
    }
    // The whole screen before the start, to tell when the window's picture lands.
    RECT screenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const std::vector<DWORD> before = GrabScreen(screenRect);

    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(argv[1], &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("fail could not start the program (error %lu)\n", GetLastError());
        return 1;
    }
    const double timeout = 600000.0;

    // 1. The window is published and visible.
    HWND window = nullptr;
    double visibleMs = -1;
    unsigned long long workingKb = 0, privateKb = 0;
    while (MillisecondsSince(start) < timeout) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        ReadMemory(process.hProcess, &workingKb, &privateKb);
        if (workingKb > limitKb) {
            WindowCount count{process.dwProcessId, 0, 0};
            EnumWindows(CountTop, reinterpret_cast<LPARAM>(&count));
            TerminateProcess(process.hProcess, 1);
            std::printf("fail working set over the limit after %.0f ms: working %llu KB, private "
                        "%llu KB, %d top-level and %d child windows so far\n",
                        MillisecondsSince(start), workingKb, privateKb, count.top, count.children);
            return 1;
        }
        window = FindRunningInstanceWindow();
        if (window && IsWindowVisible(window)) {
            visibleMs = MillisecondsSince(start);
            break;
        }
        Sleep(5);
    }
    if (visibleMs < 0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        std::printf("fail no visible window (process %s, exit code %lu, after %.0f ms)\n",
                    code == STILL_ACTIVE ? "running" : "ended", code, MillisecondsSince(start));
        if (code == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
        return 1;
    }

    // 2. Some pixel inside the window's rectangle differs from the screen
    //    before the start: the layered picture has been pushed and shown.
    RECT rect{};
    GetWindowRect(window, &rect);
    IntersectRect(&rect, &rect, &screenRect);
    double paintedMs = -1;
    while (MillisecondsSince(start) < timeout && !before.empty()) {
        const std::vector<DWORD> now = GrabScreen(rect);
        const int width = rect.right - rect.left;
        bool changed = false;
        for (size_t i = 0; i < now.size() && !changed; ++i) {
            const int x = rect.left + static_cast<int>(i % width);
            const int y = rect.top + static_cast<int>(i / width);
            changed = (now[i] & 0xFFFFFF) !=
                      (before[static_cast<size_t>(y) * screenRect.right + x] & 0xFFFFFF);
        }
        if (changed) {
            paintedMs = MillisecondsSince(start);
            break;
        }
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) break;
    }

    // 3. Let the start-up finish its queued work, then take the figures.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 60000, &ignored);
    WaitForInputIdle(process.hProcess, 10000);
    ReadMemory(process.hProcess, &workingKb, &privateKb);
    WindowCount count{process.dwProcessId, 0, 0};
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&count));
    const DWORD userObjects = GetGuiResources(process.hProcess, GR_USEROBJECTS);
    const long gdiObjects = CountGdiObjects(process.hProcess, process.dwProcessId);

    // 4. Quit through the program's own command.
    LARGE_INTEGER quitStart;
    QueryPerformanceCounter(&quitStart);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0);
    double exitMs = -1;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
        exitMs = MillisecondsSince(quitStart);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    std::printf("ok %.0f %.0f %llu %llu %d %d %lu %ld %.0f\n", visibleMs, paintedMs, workingKb,
                privateKb, count.top, count.children, userObjects, gdiObjects, exitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
