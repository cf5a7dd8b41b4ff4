// Registering the toolkit's window classes, once per instance.
#pragma once

#include <windows.h>

// Registers `name` for `instance` unless it is registered already: the
// system application icon, background brush COLOR_BTNFACE + 1, no menu and
// no extra bytes; `cursor` is a system cursor id (IDC_ARROW, IDC_CROSS...).
// True when the class exists afterwards.
bool RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, UINT style,
                             const wchar_t* cursor = IDC_ARROW);
