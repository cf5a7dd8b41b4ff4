// Every message box of the program goes through here, so that tests can
// answer them (see base/seams.h).
#pragma once

#include <windows.h>

// MessageBoxW's arguments and result.
int AskUser(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
