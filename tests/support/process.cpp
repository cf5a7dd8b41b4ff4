#include "support/process.h"

#include <functional>

#include <shellapi.h>

#include "app/instance_handoff.h"
#include "base/utf.h"

std::string ToUtf8(const std::wstring& text) { return WideToUtf8(text); }
std::wstring ToWide(const std::string& text) { return Utf8ToWide(text); }

std::wstring LiftornPath() {
    for (const auto& argument : ProcessArguments()) {
        if (argument.rfind(L"--liftorn=", 0) != 0) continue;
        std::wstring path = argument.substr(10);
        if (!path.empty() && path[0] == L'/') {
            for (auto& c : path) {
                if (c == L'/') c = L'\\';
            }
            path = L"Z:" + path;
        }
        return path;
    }
    return L"";
}

std::wstring BesideLiftorn(const std::wstring& name) {
    const std::wstring path = LiftornPath();
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') quoted.append(backslashes * 2 + 1, L'\\');
        else quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

namespace {

std::wstring BuildEnvironment(const std::map<std::wstring, std::wstring>& overrides) {
    std::map<std::wstring, std::wstring> variables;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            std::wstring text = entry;
            const size_t equals = text.find(L'=', 1);
            if (equals != std::wstring::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : overrides) variables[name] = value;
    std::wstring result;
    for (const auto& [name, value] : variables) result += name + L"=" + value + L'\0';
    return result + L'\0';
}

}  // namespace

Child StartProcess(const std::wstring& program, const std::vector<std::wstring>& arguments,
                   const std::map<std::wstring, std::wstring>& environment) {
    std::wstring commandLine = QuoteArgument(program);
    for (const auto& argument : arguments) commandLine += L" " + QuoteArgument(argument);
    std::wstring block = BuildEnvironment(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Child child;
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        child.process = info.hProcess;
        child.id = info.dwProcessId;
    }
    return child;
}

long WaitForExit(HANDLE process, DWORD millis) {
    if (WaitForSingleObject(process, millis) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<long>(code);
}

long FromAnotherProcess(bool send, HWND window, const std::wstring& message,
                        const std::vector<std::pair<WPARAM, LPARAM>>& parameters) {
    std::vector<std::wstring> arguments = {send ? L"send" : L"post",
                                           std::to_wstring(reinterpret_cast<UINT_PTR>(window)), message};
    for (const auto& [wParam, lParam] : parameters) {
        arguments.push_back(std::to_wstring(wParam));
        arguments.push_back(std::to_wstring(static_cast<long long>(lParam)));
    }
    const Child sender = StartProcess(BesideLiftorn(L"foreign_sender.exe"), arguments);
    if (!sender.process) return -2;
    // A sent message is answered by this thread's loop.
    PumpUntil([&] { return WaitForSingleObject(sender.process, 0) == WAIT_OBJECT_0; }, 10000);
    const long code = WaitForExit(sender.process, 0);
    CloseHandle(sender.process);
    return code;
}

bool PumpUntil(const std::function<bool()>& done, DWORD millis) {
    const ULONGLONG end = GetTickCount64() + millis;
    while (!done()) {
        if (GetTickCount64() >= end) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

HWND WaitForDialog(DWORD processId, const std::wstring& caption, DWORD millis) {
    struct Search {
        DWORD processId;
        const std::wstring* caption;
        HWND found;
    } search{processId, &caption, nullptr};
    const ULONGLONG end = GetTickCount64() + millis;
    while (!search.found && GetTickCount64() < end) {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t text[256] = {};
                GetWindowTextW(window, text, 256);
                if (owner == s->processId && *s->caption == text) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    return search.found;
}

std::wstring MessageBoxText(HWND dialog) {
    // The message text is the static control with id 0xFFFF.
    wchar_t text[2048] = {};
    GetDlgItemTextW(dialog, 0xFFFF, text, 2048);
    return text;
}

void ConfirmQuitQuestion(DWORD processId) {
    EnumWindows(
        [](HWND window, LPARAM id) -> BOOL {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (owner == static_cast<DWORD>(id) && std::wstring(className) == L"#32770" &&
                MessageBoxText(window).find(L"currently uploading") != std::wstring::npos) {
                PostMessageW(window, WM_COMMAND, IDYES, 0);
            }
            return TRUE;
        },
        static_cast<LPARAM>(processId));
}

std::wstring ReadClipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return L"<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

long QuitInstance(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return -3;
    PostMessageW(window, WM_COMMAND, 205, 0);
    long code = -1;
    for (int attempt = 0; attempt < 60 && code == -1; ++attempt) {
        code = WaitForExit(process, 500);
        if (code == -1) ConfirmQuitQuestion(processId);
    }
    CloseHandle(process);
    return code;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    struct Walk {
        DWORD processId;
        std::vector<HWND> windows;
    } walk{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == w->processId && IsWindowVisible(window)) w->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.windows;
}

namespace {

std::wstring TitleOf(HWND window) {
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    return title;
}

}  // namespace

bool ShowsWindowTitled(DWORD processId, const std::wstring& title) {
    for (HWND window : VisibleWindowsOf(processId)) {
        if (TitleOf(window) == title) return true;
    }
    return false;
}

std::string DescribeWindows(DWORD processId) {
    std::string text;
    for (HWND window : VisibleWindowsOf(processId)) {
        text += ToUtf8(TitleOf(window)) + ": " + ToUtf8(MessageBoxText(window)) + "\n";
    }
    return text;
}
