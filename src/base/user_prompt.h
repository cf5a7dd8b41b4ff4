// Every message box of the program goes through here, so that tests can
// answer them (see base/seams.h).
#pragma once

#include <windows.h>

// MessageBoxW's arguments and result.
int AskUser(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// The same with the OK and Cancel buttons (type MB_OKCANCEL) named by the
// caller, as in "Open folder" and "Close". Answers IDOK or IDCANCEL.
int AskUserWithButtons(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type, const wchar_t* okText,
                       const wchar_t* cancelText);
