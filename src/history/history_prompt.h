// What the history tells the user goes through one message box, which tests
// replace to read and answer it.
#pragma once

#include <windows.h>

// MessageBoxW's arguments and result.
using HistoryPrompt = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// Null restores MessageBoxW. Returns the previous one.
HistoryPrompt SetHistoryPrompt(HistoryPrompt prompt);

// A message box captioned "vantorel liftorn".
int AskHistoryQuestion(HWND owner, const wchar_t* text, UINT type);
