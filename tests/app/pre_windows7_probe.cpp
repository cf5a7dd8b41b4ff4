// Looks at the running instance from outside, for the shell-driven test of
// the old-system branches:
//   probe version       prints the system version the prefix reports
//   probe wait-window   waits up to 30 s for the instance's published window
//   probe tray [ID]     exit 0 when the instance's notification-area icon
//                       ID (default 1) exists within 5 s, 1 when not (the
//                       shell only accepts a change to an icon it knows)
//   probe click X Y     a real left click at the client point (X, Y) of the
//                       instance's window
//   probe restart-shell removes the instance's icon and sends it
//                       "TaskbarCreated", as a restarting Explorer does
//   probe quit          asks the instance to exit (Exit, command 205),
//                       confirms the "still uploading" question if shown,
//                       prints and returns the instance's exit code
// and, for the test at another display scaling (it reads physical pixels):
//   probe size          prints the instance window's width and height
//   probe drag X1 Y1 X2 Y2
//                       a real left-button drag between screen points
//   probe press X Y     a real left click at the screen point (X, Y)
//   probe wait-title TITLE [tool]
//                       waits up to 10 s for a visible window TITLE (a tool
//                       window with "tool")
//   probe toast         prints the height of the first toast within 10 s
//   probe match FOLDER NAME X Y
//                       compares the skin picture NAME (of the skin in the
//                       program folder FOLDER, for the system's DPI) with
//                       the screen at the client point (X, Y) of the
//                       instance's window; prints how many of its opaque
//                       pixels there are and how many the screen shows as
//                       they are, exit 0 when all
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/instance_handoff.h"
#include "base/dpi_awareness.h"
#include "base/monitor_dpi.h"
#include "base/scoped_win.h"
#include "gui/argb_bitmap.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "support/process.h"
#include "support/real_input.h"

namespace {

int PrintVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return 1;
#pragma GCC diagnostic pop
    std::printf("%lu.%lu\n", info.dwMajorVersion, info.dwMinorVersion);
    return 0;
}

HWND WaitForWindow(int millis) {
    for (int waited = 0; waited <= millis; waited += 100) {
        if (HWND window = FindRunningInstanceWindow()) return window;
        Sleep(100);
    }
    return nullptr;
}

// The window is published before the rest of start-up has run, so the icon
// is looked for over a few seconds before it counts as absent.
int HasTrayIcon(UINT id) {
    HWND window = FindRunningInstanceWindow();
    if (!window) return 2;
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = id;
    icon.uFlags = 0;  // change nothing: only ask whether the icon is known
    for (int waited = 0; waited <= 5000; waited += 100) {
        if (Shell_NotifyIconW(NIM_MODIFY, &icon)) return 0;
        Sleep(100);
    }
    return 1;
}

// Pointer moves wait until the window under the pointer has seen them
// (support/real_input.h), which a fixed pause cannot promise under load.
int Press(int x, int y) {
    ClickAt(x, y);
    // Long enough for a page fade, and the next click is no double-click.
    Sleep(GetDoubleClickTime() + 100);
    return 0;
}

int Click(int x, int y) {
    HWND window = FindRunningInstanceWindow();
    if (!window) return 2;
    POINT point{x, y};
    ClientToScreen(window, &point);
    return Press(point.x, point.y);
}

int DragBetween(int x1, int y1, int x2, int y2) {
    Drag(POINT{x1, y1}, POINT{x2, y2}, 4);
    return 0;
}

// A shown top-level window titled `title` (a tool window only with `tool`),
// not a click-through one, waited for up to 10 s; null when none comes.
HWND WaitForShownWindow(const char* title, bool tool) {
    struct Wanted {
        std::wstring title;
        bool tool;
        HWND found;
    } wanted{std::wstring(title, title + std::strlen(title)), tool, nullptr};
    for (int waited = 0; waited <= 10000; waited += 100) {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* wanted = reinterpret_cast<Wanted*>(data);
                wchar_t text[64] = {};
                GetWindowTextW(window, text, 64);
                const LONG_PTR extended = GetWindowLongPtrW(window, GWL_EXSTYLE);
                if (text != wanted->title || !IsWindowVisible(window) || (extended & WS_EX_TRANSPARENT) ||
                    (wanted->tool && !(extended & WS_EX_TOOLWINDOW))) {
                    return TRUE;
                }
                wanted->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&wanted));
        if (wanted.found) return wanted.found;
        Sleep(100);
    }
    return nullptr;
}

int WaitForTitle(const char* title, bool tool) {
    if (!WaitForShownWindow(title, tool)) return 1;
    Sleep(300);  // drawn
    return 0;
}

// What Explorer's restart does to the instance: its icon is gone, then the
// shell announces the new taskbar.
int RestartShell() {
    HWND window = FindRunningInstanceWindow();
    if (!window) return 2;
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    if (!Shell_NotifyIconW(NIM_DELETE, &icon)) return 3;
    SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    return 0;
}

int Quit() {
    HWND window = FindRunningInstanceWindow();
    if (!window) return 2;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return 3;
    PostMessageW(window, WM_COMMAND, 205, 0);
    DWORD code = STILL_ACTIVE;
    for (int attempt = 0; attempt < 60; ++attempt) {
        if (WaitForSingleObject(process, 500) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process, &code);
            break;
        }
        ConfirmQuitQuestion(processId);
    }
    CloseHandle(process);
    if (code == STILL_ACTIVE) return 4;
    std::printf("%lu\n", code);
    return code == 0 ? 0 : 5;
}

int PrintSize() {
    HWND window = FindRunningInstanceWindow();
    RECT rect{};
    if (!window || !GetWindowRect(window, &rect)) return 2;
    std::printf("%ld %ld\n", rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

int PrintToastHeight() {
    HWND toast = WaitForShownWindow("toast", false);
    RECT rect{};
    if (!toast || !GetWindowRect(toast, &rect)) return 1;
    std::printf("%ld\n", rect.bottom - rect.top);
    return 0;
}

int MatchPicture(const char* folder, const char* name, int x, int y) {
    HWND window = FindRunningInstanceWindow();
    if (!window) return 2;
    InitImageLibrary();
    if (!LoadSkinCatalogue(folder)) return 3;
    HBITMAP picture = nullptr;
    void* pictureBits = nullptr;
    SIZE size{};
    if (!LoadImageBitmap(SkinPath(name), &picture, &pictureBits, &size, SystemDpi())) return 3;
    ScopedBitmap pictureOwner(picture);
    POINT at{x, y};
    ClientToScreen(window, &at);
    ScopedWindowDC screen(nullptr);
    ScopedMemoryDC copyDc(CreateCompatibleDC(screen.get()));
    void* copyBits = nullptr;
    ScopedBitmap copy(CreateArgbBitmap(copyDc.get(), size.cx, size.cy, &copyBits));
    if (!copy) return 3;
    {
        ScopedSelect selected(copyDc.get(), copy.get());
        BitBlt(copyDc.get(), 0, 0, size.cx, size.cy, screen.get(), at.x, at.y, SRCCOPY);
        GdiFlush();
    }
    const auto* wanted = static_cast<const std::uint32_t*>(pictureBits);
    const auto* shown = static_cast<const std::uint32_t*>(copyBits);
    int opaque = 0, same = 0;
    for (int i = 0; i < size.cx * size.cy; ++i) {
        if ((wanted[i] >> 24) != 0xFF) continue;
        ++opaque;
        if ((wanted[i] & 0xFFFFFF) == (shown[i] & 0xFFFFFF)) ++same;
    }
    std::printf("%d %d\n", opaque, same);
    return opaque > 0 && same == opaque ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Physical pixels, as the program sees them.
    EnableDpiAwareness(DpiAwareness::kPerMonitorVersion2);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "size") return PrintSize();
    if (command == "drag" && argc > 5) {
        return DragBetween(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    }
    if (command == "press" && argc > 3) return Press(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "wait-title" && argc > 2) return WaitForTitle(argv[2], argc > 3 && std::string(argv[3]) == "tool");
    if (command == "toast") return PrintToastHeight();
    if (command == "match" && argc > 5) return MatchPicture(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
    if (command == "version") return PrintVersion();
    if (command == "wait-window") return WaitForWindow(30000) ? 0 : 1;
    if (command == "tray") return HasTrayIcon(argc > 2 ? std::atoi(argv[2]) : 1);
    if (command == "click" && argc > 3) return Click(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "quit") return Quit();
    if (command == "restart-shell") return RestartShell();
    std::fprintf(stderr, "usage: probe version|wait-window|tray [ID]|click X Y|restart-shell|quit|size|toast|"
                         "match FOLDER NAME X Y|drag X1 Y1 X2 Y2|press X Y|wait-title TITLE [tool]\n");
    return 64;
}
