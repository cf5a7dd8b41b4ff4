// Every message box of the program goes through AskUser, so that tests can
// answer in place of the user.
#pragma once

#include <windows.h>

// Shows a message box (or asks the installed stand-in) and returns the
// button chosen (IDOK, IDYES, ...).
int AskUser(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Replaces the message box for tests; null restores MessageBoxW. Returns the
// previous one. Safe to call from any thread.
using UserPrompt = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
UserPrompt SetUserPrompt(UserPrompt prompt);
