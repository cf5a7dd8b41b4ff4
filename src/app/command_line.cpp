#include "app/command_line.h"

#include <shellapi.h>

#include "app/instance_handoff.h"
#include "base/file_io.h"
#include "base/utf.h"
#include "shell/register_types.h"
#include "upload/internet_shortcut.h"

int UploadSwitchCommand(const std::wstring& commandLine) {
    // The switch must be the whole line, spelled exactly.
    if (commandLine == L"/screenshot") return 302;
    if (commandLine == L"/windowgrab") return 303;
    if (commandLine == L"/file") return 304;
    if (commandLine == L"/folder") return 305;
    return 0;
}

std::string ReadShortcutUrl(const std::wstring& shortcutPath) {
    std::string bytes;
    if (!ReadWholeFile(WideToUtf8(shortcutPath), bytes, kShortcutFileLimitBytes)) return "";
    return ShortcutFileUrl(bytes);
}

bool IsOpenableShortcutUrl(const std::string& url) {
    return url.compare(0, 7, "http://") == 0 || url.compare(0, 8, "https://") == 0;
}

bool HandleCommandLine(HINSTANCE instance, const std::wstring& commandLine,
                       const std::vector<std::wstring>& arguments, int& exitCode) {
    exitCode = 0;
    if (commandLine == L"/registertypes") {
        exitCode = RegisterTypes();
        return true;
    }
    if (arguments.size() == 3 && arguments[1] == L"/uri") {
        const std::string url = ReadShortcutUrl(arguments[2]);
        if (IsOpenableShortcutUrl(url)) {
            ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        }
        return true;
    }
    if (const int command = UploadSwitchCommand(commandLine)) {
        ForwardCommand(instance, WM_COMMAND, command, 0);
        return true;
    }
    return false;
}

std::wstring CommandLineTail() {
    // Skip the program name as the C runtime does: quoted or up to the first
    // blank, then the blanks that follow.
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}
