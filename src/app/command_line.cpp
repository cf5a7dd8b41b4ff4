#include "app/command_line.h"

#include <shellapi.h>

#include "app/instance_handoff.h"
#include "base/file_io.h"
#include "base/product.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "capture/capture_countdown.h"
#include "resource_ids.h"
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

DelaySwitch ParseDelaySwitch(const std::wstring& commandLine, int& seconds) {
    static const std::wstring kSwitch = L"/screenshot /delay ";
    seconds = 0;
    if (commandLine.compare(0, kSwitch.size(), kSwitch) != 0) return DelaySwitch::kNone;
    const std::wstring number = commandLine.substr(kSwitch.size());
    if (number.empty() || number.size() > 2 || number.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return DelaySwitch::kOutOfRange;
    }
    const int value = std::stoi(number);
    if (value < kCountdownShortestSeconds || value > kCountdownLongestSeconds) return DelaySwitch::kOutOfRange;
    seconds = value;
    return DelaySwitch::kDelay;
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
    int seconds = 0;
    switch (ParseDelaySwitch(commandLine, seconds)) {
    case DelaySwitch::kDelay:
        ForwardCommand(instance, WM_COMMAND, CMD_SCREENSHOT_DELAYED, seconds);
        return true;
    case DelaySwitch::kOutOfRange:
        AskUser(nullptr, L"The delay of a screenshot is a number of seconds from 1 to 30, for example:\n"
                         L"liftorn.exe /screenshot /delay 5",
                kProductName, MB_ICONERROR);
        exitCode = 1;
        return true;
    case DelaySwitch::kNone:
        break;
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
