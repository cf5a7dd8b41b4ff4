// What the program and its window-grab helper ("vlt-helper.exe") say to each
// other. The helper raises a window that this process may not bring to the
// top itself, and puts it back afterwards.
#pragma once

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
