// Registration of the program's ProgID so that Internet-shortcut files of
// past uploads open with it. Writing under the classes root needs elevation.
#pragma once

#include <windows.h>

#include <string>

#include "base/product.h"

bool IsProcessElevated();

// The command the ProgID's Open verb runs: the program's full path followed
// by " /uri \"%1\"".
std::wstring ShortcutOpenCommand();

// 0 on success, 1 on failure. Not elevated: silent answers 1; otherwise the
// user is asked whether to start an elevated copy with "/registertypes".
int RegisterTypes(HINSTANCE instance, bool silent);
