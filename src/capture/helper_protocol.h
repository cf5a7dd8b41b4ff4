// What the program and its window-grab helper ("vlt-helper.exe") say to each
// other. The helper raises a window that this process may not bring to the
// top itself, and puts it back afterwards.
#pragma once

#include <windows.h>

// The helper's window class and the registered message it answers.
inline constexpr wchar_t kHelperClass[] = L"VLT_Helper";
inline constexpr wchar_t kHelperMessageName[] = L"VLT_HelperMessage";

// LPARAM of the message; WPARAM is the target window.
inline constexpr long kHelperRaise = 1;  // sent: make it topmost and on top, then reply
inline constexpr long kHelperUndo = 2;   // posted: make it non-topmost again

// Reply to a raise when there is nothing to undo later; the helper then
// closes by itself.
inline constexpr long kHelperNothingToUndo = 4;
inline constexpr long kHelperRaised = 1;

// A window message names no sender, and any process on the desktop can send
// one. So the starter also writes each request into a mailbox that only it
// and the helper hold (an unnamed file mapping whose handle the helper
// inherits), and the helper obeys a message only while the mailbox holds the
// same request, taking it out as it obeys. Whatever else arrives is ignored.
struct HelperRequest {
    volatile LONG64 target;  // the window, as a number (0 for a close)
    volatile LONG pending;   // 1 while the request waits
};
struct HelperMailbox {
    HelperRequest raise;
    HelperRequest undo;
    HelperRequest close;  // the close message (WM_CLOSE)
};

// The helper's command line: "/mailbox <handle> /starter <handle>", both
// handles inherited, in decimal. The starter's handle is its own process,
// with the right to wait for it: the helper puts back what it raised and
// ends when its starter ends. Started any other way, it ends at once.
inline constexpr wchar_t kHelperMailboxSwitch[] = L"/mailbox";
inline constexpr wchar_t kHelperStarterSwitch[] = L"/starter";
