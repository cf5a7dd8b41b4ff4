// Start-up switches, handled before the single-instance check.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The command id a whole-line upload switch asks the running instance for
// ("/screenshot" 302, "/windowgrab" 303, "/file" 304, "/folder" 305), or 0.
int UploadSwitchCommand(const std::wstring& commandLine);

// "/screenshot /delay N": a region screenshot in N seconds, 1 to 30, handed
// to the running instance (kDelay, with `seconds`). The same switch with
// anything else after it is refused with a message (kOutOfRange).
enum class DelaySwitch { kNone, kDelay, kOutOfRange };
DelaySwitch ParseDelaySwitch(const std::wstring& commandLine, int& seconds);

// The "URL" of an Internet-shortcut file, or "" when it has none.
std::string ReadShortcutUrl(const std::wstring& shortcutPath);

// Only "http://" and "https://" addresses are opened from shortcut files.
bool IsOpenableShortcutUrl(const std::string& url);

// True when this start is finished: the process ends with `exitCode`.
// `commandLine` is the whole line after the program name; `arguments` the
// parsed arguments, program name first.
bool HandleCommandLine(HINSTANCE instance, const std::wstring& commandLine,
                       const std::vector<std::wstring>& arguments, int& exitCode);

// The line after the program name, as the entry point receives it.
std::wstring CommandLineTail();
