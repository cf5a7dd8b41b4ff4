// Looks at installed programs from inside a Wine prefix, for the shell-driven
// installer and update tests:
//   probe version FILE          prints the ProductVersion of FILE's VERSIONINFO
//   probe shortcut LNK          prints target, arguments and working folder,
//                               one a line
//   probe wait-window           waits up to 30 s for the running instance's
//                               published window
//   probe quit                  asks the running instance to exit (command
//                               205) and waits for it (exit 0 when it ended)
//   probe answer IMAGE CAPTION BUTTON
//                               waits up to 60 s for a message box titled
//                               CAPTION of a process whose program file is
//                               named IMAGE, prints its text and presses
//                               BUTTON (yes, no or ok) on it
//   probe click CAPTION TEXT    waits up to 30 s for a window whose title
//                               begins with CAPTION and that holds an
//                               enabled control labelled TEXT (at any
//                               depth), and presses that control
//   probe close CAPTION         waits up to 30 s for a window titled CAPTION
//                               that is not a message box, and closes it as
//                               its close box would
//   probe run LINE              runs the command line LINE exactly as given
//                               (an installer's /D= must not be quoted),
//                               waits up to 120 s and exits with its code
//   probe wait-gone IMAGE       waits up to 60 s until no process whose
//                               program file is named IMAGE runs; a name
//                               ending in '*' matches by its beginning
// Text is printed as UTF-8.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/instance_handoff.h"
#include "base/scoped_win.h"
#include "support/process.h"

namespace {

constexpr DWORD kAnswerMillis = 60000;
constexpr DWORD kGoneMillis = 60000;

void PrintLine(const std::wstring& text) { std::printf("%s\n", ToUtf8(text).c_str()); }

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
}

bool NameMatches(const std::wstring& name, const std::wstring& pattern) {
    const std::wstring n = Lower(name), p = Lower(pattern);
    if (!p.empty() && p.back() == L'*') return n.compare(0, p.size() - 1, p, 0, p.size() - 1) == 0;
    return n == p;
}

// The file name of a process's program, or empty.
std::wstring ProcessImageName(DWORD processId) {
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &length)) return std::wstring();
    const std::wstring full(path, length);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

int PrintVersion(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return 1;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return 1;
    // The strings sit under the first language and code page the file lists.
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) return 1;
    const auto* translation = static_cast<const WORD*>(value);
    wchar_t key[64];
    std::swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation[0], translation[1]);
    if (!VerQueryValueW(block.data(), key, &value, &length) || !value) return 1;
    PrintLine(static_cast<const wchar_t*>(value));
    return 0;
}

int PrintShortcut(const std::wstring& file) {
    ScopedComInit com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()))) {
        return 1;
    }
    ComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())) ||
        FAILED(persist->Load(file.c_str(), STGM_READ))) {
        return 1;
    }
    wchar_t target[MAX_PATH] = {}, arguments[1024] = {}, folder[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 1024);
    link->GetWorkingDirectory(folder, MAX_PATH);
    PrintLine(target);
    PrintLine(arguments);
    PrintLine(folder);
    return 0;
}

int WaitForInstanceWindow() {
    for (int waited = 0; waited <= 30000; waited += 100) {
        if (HWND window = FindRunningInstanceWindow(); window && IsWindowVisible(window)) return 0;
        Sleep(100);
    }
    return 1;
}

int Quit() {
    HWND window = FindRunningInstanceWindow();
    if (!window) return 2;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return 3;
    PostMessageW(window, WM_COMMAND, 205, 0);
    for (int attempt = 0; attempt < 60; ++attempt) {
        if (WaitForSingleObject(process.get(), 500) == WAIT_OBJECT_0) return 0;
        ConfirmQuitQuestion(processId);
    }
    return 4;
}

int Answer(const std::wstring& image, const std::wstring& caption, const std::wstring& button) {
    const int id = button == L"yes" ? IDYES : button == L"no" ? IDNO : button == L"ok" ? IDOK : 0;
    if (id == 0) return 64;
    struct Search {
        const std::wstring* image;
        const std::wstring* caption;
        HWND found;
    } search{&image, &caption, nullptr};
    const ULONGLONG end = GetTickCount64() + kAnswerMillis;
    while (!search.found && GetTickCount64() < end) {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                wchar_t className[16] = {}, text[256] = {};
                GetClassNameW(window, className, 16);
                GetWindowTextW(window, text, 256);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (std::wstring(className) == L"#32770" && *s->caption == text && IsWindowVisible(window) &&
                    NameMatches(ProcessImageName(owner), *s->image)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(100);
    }
    if (!search.found) return 1;
    PrintLine(MessageBoxText(search.found));
    // The button itself is pressed, as a click would.
    HWND control = GetDlgItem(search.found, id);
    if (!control) return 2;
    SendMessageW(control, BM_CLICK, 0, 0);
    return 0;
}

// The enabled control labelled `text` below `parent`, at any depth.
HWND FindControl(HWND parent, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        HWND found;
    } search{&text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t label[256] = {};
            GetWindowTextW(child, label, 256);
            if (*s->text == label && IsWindowEnabled(child) && IsWindowVisible(child)) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The installer adds to its caption as it goes ("... Uninstall: Completed"),
// so the caption is matched by its beginning.
int Click(const std::wstring& caption, const std::wstring& text) {
    struct Search {
        const std::wstring* caption;
        const std::wstring* text;
        HWND control;
    } search{&caption, &text, nullptr};
    for (int waited = 0; waited <= 30000 && !search.control; waited += 100) {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                wchar_t title[256] = {};
                GetWindowTextW(window, title, 256);
                if (std::wstring(title).rfind(*s->caption, 0) != 0 || !IsWindowVisible(window)) return TRUE;
                s->control = FindControl(window, *s->text);
                return s->control ? FALSE : TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.control) Sleep(100);
    }
    if (!search.control) return 1;
    SendMessageW(search.control, BM_CLICK, 0, 0);
    return 0;
}

int Close(const std::wstring& caption) {
    for (int waited = 0; waited <= 30000; waited += 100) {
        HWND window = FindWindowW(nullptr, caption.c_str());
        wchar_t className[16] = {};
        if (window) GetClassNameW(window, className, 16);
        if (window && std::wstring(className) != L"#32770") {
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

int RunLine(std::wstring line) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return 125;
    }
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);
    DWORD code = 126;
    if (WaitForSingleObject(process.get(), 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

bool AnyProcessNamed(const std::wstring& pattern) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return true;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (NameMatches(entry.szExeFile, pattern)) return true;
    }
    return false;
}

int WaitUntilGone(const std::wstring& pattern) {
    const ULONGLONG end = GetTickCount64() + kGoneMillis;
    while (AnyProcessNamed(pattern)) {
        if (GetTickCount64() >= end) return 1;
        Sleep(100);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"version" && argc == 3) return PrintVersion(argv[2]);
    if (command == L"shortcut" && argc == 3) return PrintShortcut(argv[2]);
    if (command == L"wait-window") return WaitForInstanceWindow();
    if (command == L"quit") return Quit();
    if (command == L"answer" && argc == 5) return Answer(argv[2], argv[3], argv[4]);
    if (command == L"click" && argc == 4) return Click(argv[2], argv[3]);
    if (command == L"close" && argc == 3) return Close(argv[2]);
    if (command == L"run" && argc == 3) return RunLine(argv[2]);
    if (command == L"wait-gone" && argc == 3) return WaitUntilGone(argv[2]);
    std::fprintf(stderr, "usage: probe version FILE | shortcut LNK | wait-window | quit | "
                         "answer IMAGE CAPTION yes|no|ok | click CAPTION TEXT | close CAPTION | "
                         "run LINE | wait-gone IMAGE\n");
    return 64;
}
