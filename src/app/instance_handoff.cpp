#include "app/instance_handoff.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "base/scoped_win.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "config/service_addresses.h"

namespace {

constexpr int kLaunchPolls = 60;
constexpr DWORD kLaunchPollMillis = 250;

// The handle travels as a 32-bit value: window handles fit in 32 bits on
// every Windows, and 32-bit builds of the program can read it too.
constexpr DWORD kMappingSize = 4;

// WM_COPYDATA tag of a dropped file list handed over by another start.
constexpr ULONG_PTR kDropHandOffTag = 0x564C5444;  // "VLTD"
// Far above any command line (32,767 characters), far below anything harmful.
constexpr DWORD kMaxHandOffBytes = 256 * 1024;
constexpr UINT kHandOffTimeoutMillis = 10000;

bool IsOwnWindow(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId == GetCurrentProcessId();
}

// A well-formed list: our header, wide names, ending in an empty name.
bool IsValidDropList(const void* bytes, DWORD size) {
    if (!bytes || size > kMaxHandOffBytes) return false;
    if (size < sizeof(DROPFILES) + 2 * sizeof(wchar_t)) return false;
    if ((size - sizeof(DROPFILES)) % sizeof(wchar_t) != 0) return false;
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.pFiles != sizeof(DROPFILES) || !header.fWide) return false;
    const auto* names = reinterpret_cast<const wchar_t*>(static_cast<const char*>(bytes) + sizeof header);
    const size_t count = (size - sizeof header) / sizeof(wchar_t);
    return names[count - 1] == L'\0' && names[count - 2] == L'\0';
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

void ShowLaunchFailure() {
    std::string text =
        "We couldn't launch vantorel liftorn. If vantorel liftorn has actually launched properly "
        "please file a bug report saying what you were doing and as much information about your "
        "system. Bug reports can be filed at ";
    text += kProductSiteUrl;
    text += ".";
    AskUser(nullptr, Utf8ToWide(text).c_str(), kProductName, MB_OK);
}

}  // namespace

HANDLE PublishMainWindow(HWND window) {
    ScopedHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingSize,
                                            kInstanceMappingName));
    if (!mapping) return nullptr;
    void* view = MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kMappingSize);
    if (!view) return nullptr;
    const uint32_t value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    std::memcpy(view, &value, sizeof value);
    UnmapViewOfFile(view);
    return mapping.release();  // the caller keeps it open while the window lives
}

HWND FindRunningInstanceWindow() {
    ScopedHandle mapping(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kInstanceMappingName));
    if (!mapping) return nullptr;
    HWND window = nullptr;
    if (void* view = MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kMappingSize)) {
        uint32_t value = 0;
        std::memcpy(&value, view, sizeof value);
        // Sign-extend as the system does for handles passed between 32 and
        // 64-bit processes.
        window = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
        UnmapViewOfFile(view);
    }
    return window;
}

void ForwardCommand(HINSTANCE /*instance*/, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = FindRunningInstanceWindow();
    if (!window) {
        std::wstring program = ModulePath();
        wchar_t directory[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, directory);
        SHELLEXECUTEINFOW start{};
        start.cbSize = sizeof start;
        start.fMask = SEE_MASK_NOCLOSEPROCESS;
        start.lpFile = program.c_str();
        start.lpDirectory = directory;
        start.nShow = SW_SHOWNORMAL;
        ShellExecuteExW(&start);
        ScopedHandle started(start.hProcess);  // not waited for
        for (int attempt = 0; !window && attempt < kLaunchPolls; ++attempt) {
            window = FindRunningInstanceWindow();
            if (!window) Sleep(kLaunchPollMillis);
        }
    }
    if (!window) {
        ShowLaunchFailure();
        return;
    }
    const DWORD ownThread = GetCurrentThreadId();
    const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    const bool attached = windowThread && AttachThreadInput(ownThread, windowThread, TRUE);
    SetForegroundWindow(window);
    if (attached) AttachThreadInput(ownThread, windowThread, FALSE);
    PostMessageW(window, message, wParam, lParam);
}

std::vector<std::wstring> ProcessArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    if (wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count)) {
        arguments.assign(list, list + count);
        LocalFree(list);
    }
    return arguments;
}

HGLOBAL BuildDropBlock(const std::vector<std::wstring>& paths) {
    // The names are wide so that paths outside the system code page survive
    // the trip; the receiver reads them with DragQueryFileW either way.
    size_t characters = 1;  // the final empty name
    for (const auto& path : paths) characters += path.size() + 1;
    const size_t size = sizeof(DROPFILES) + characters * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
    if (!block) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    if (!drop) {
        GlobalFree(block);
        return nullptr;
    }
    drop->pFiles = sizeof(DROPFILES);
    drop->pt.x = 1;
    drop->pt.y = 1;
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const auto& path : paths) {
        std::wmemcpy(names, path.c_str(), path.size() + 1);
        names += path.size() + 1;
    }
    GlobalUnlock(block);
    return block;
}

void ForwardArgumentListAsDrop(HWND window, const std::vector<std::wstring>& arguments) {
    size_t first = 1;
    if (arguments.size() >= 3 && arguments[1] == L"/remove") {
        _wremove(arguments[2].c_str());
        first = 3;
    }
    if (arguments.size() <= first) return;
    HGLOBAL block = BuildDropBlock({arguments.begin() + first, arguments.end()});
    if (!block) return;
    if (IsOwnWindow(window)) {
        if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0)) GlobalFree(block);
        return;
    }
    COPYDATASTRUCT data{};
    data.dwData = kDropHandOffTag;
    data.cbData = static_cast<DWORD>(GlobalSize(block));
    data.lpData = GlobalLock(block);
    DWORD_PTR ignored = 0;
    if (data.lpData) {
        SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_ABORTIFHUNG, kHandOffTimeoutMillis, &ignored);
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

bool ReceiveDropHandOff(HWND window, const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kDropHandOffTag) return false;
    if (!IsValidDropList(data->lpData, data->cbData)) return true;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, data->cbData);
    if (!block) return true;
    if (void* copy = GlobalLock(block)) {
        std::memcpy(copy, data->lpData, data->cbData);
        GlobalUnlock(block);
        if (PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0)) return true;
    }
    GlobalFree(block);
    return true;
}

void ForwardArgumentsAsDrop(HWND window) { ForwardArgumentListAsDrop(window, ProcessArguments()); }
