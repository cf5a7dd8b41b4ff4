// Starting and watching real processes from tests under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <map>
#include <string>
#include <vector>

// The program under test, from the test's --liftorn=PATH argument (a Linux
// path is mapped to Wine's Z: drive).
std::wstring LiftornPath();

// The path of `name` in the folder of the program under test, where the
// build puts every executable.
std::wstring BesideLiftorn(const std::wstring& name);

// Quotes one argument the way CommandLineToArgvW splits it back.
std::wstring QuoteArgument(const std::wstring& argument);

struct Child {
    HANDLE process = nullptr;
    DWORD id = 0;
};

// Starts `program` with `arguments`; `environment` entries replace or add
// variables of this process's environment. A null process on failure.
Child StartProcess(const std::wstring& program, const std::vector<std::wstring>& arguments,
                   const std::map<std::wstring, std::wstring>& environment = {});

// The exit code, or -1 when the process is still running after `millis`.
long WaitForExit(HANDLE process, DWORD millis);

// Has another process (foreign_sender.exe) post, or send and wait for the
// reply, `message` (a number or a registered message's name) to `window`,
// once for each pair of parameters, while this thread's messages run. Its
// exit code (0 when all were delivered), or -1 when it did not end in 10 s.
long FromAnotherProcess(bool send, HWND window, const std::wstring& message,
                        const std::vector<std::pair<WPARAM, LPARAM>>& parameters);

// Runs this thread's messages until `done` answers true or `millis` pass.
bool PumpUntil(const std::function<bool()>& done, DWORD millis);

// A top-level dialog of process `processId` with the given caption, or null
// when none appears within `millis`.
HWND WaitForDialog(DWORD processId, const std::wstring& caption, DWORD millis);

// The message text of a message box.
std::wstring MessageBoxText(HWND dialog);

// Answers Yes to the program's "currently uploading" question when process
// `processId` shows it (a quit while the worker is still busy asks first).
void ConfirmQuitQuestion(DWORD processId);

// Asks the running instance whose main window is `window` to exit (Exit,
// command 205), confirming the "currently uploading" question if it comes,
// and waits up to 30 s. Its exit code, or -1 when it still runs (-3 when it
// cannot be watched).
long QuitInstance(HWND window);

// The visible top-level windows of process `processId`, in z-order.
std::vector<HWND> VisibleWindowsOf(DWORD processId);

// Whether process `processId` shows a visible top-level window titled `title`.
bool ShowsWindowTitled(DWORD processId, const std::wstring& title);

// The visible top-level windows of process `processId`, as "title: text"
// lines, for failure messages.
std::string DescribeWindows(DWORD processId);

// The clipboard's text, or "<clipboard busy>" when it cannot be opened.
std::wstring ReadClipboardText(HWND owner = nullptr);

// Converts between this process's wide paths and UTF-8.
std::string ToUtf8(const std::wstring& text);
std::wstring ToWide(const std::string& text);
