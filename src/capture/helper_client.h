// The program's side of the window-grab helper: starting "vlt-helper.exe",
// waiting a bounded time for its window, asking it to raise a window and to
// put it back.
#pragma once

#include <windows.h>

#include <string>

#include "base/scoped_win.h"

// How long the caller looks for the helper's window after starting it, and
// how often. When it has not appeared by then the helper counts as missing:
// the grab goes on without the raise (the window is copied where it is).
inline constexpr DWORD kHelperWaitLimit = 5000;  // ms
inline constexpr DWORD kHelperWaitStep = 50;     // ms between looks
// A raise that gets no reply within this time counts as not done.
inline constexpr UINT kHelperReplyLimit = 5000;  // ms

struct HelperMailbox;

struct HelperSession {
    HWND window = nullptr;  // the helper's window, null when it is missing
    ScopedHandle process;
    ScopedMappedView mailbox;  // the HelperMailbox this process shares with it
    bool raised = false;       // the raise needs undoing
};

// Starts `program` (show command 5) with the mailbox and this process's
// handle to inherit, and waits, at most `waitLimit` ms, for a "VLT_Helper"
// window of that very process. False (and no window) when it did not start
// or its window never appeared.
bool StartHelper(const std::wstring& program, HelperSession& session, DWORD waitLimit = kHelperWaitLimit);

// Asks the helper to make `target` topmost and waits for its reply (at most
// kHelperReplyLimit ms). Sets session.raised unless the reply was "nothing
// to undo" or none came; in those cases the helper is left to itself.
void RaiseWithHelper(HelperSession& session, HWND target);

// After the copy: posts the undo and the close, when the raise needs undoing.
void UndoWithHelper(HelperSession& session, HWND target);
