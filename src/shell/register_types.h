// Registration of the program's ProgID so that Internet-shortcut files of
// past uploads open with it, and the process's application identity. Writing
// under the classes root needs elevation.
#pragma once

#include <windows.h>

#include <string>

#include "base/product.h"

bool IsProcessElevated();

// The command the ProgID's Open verb runs: the program's full path followed
// by " /uri \"%1\"".
std::wstring ShortcutOpenCommand();

// 0 on success, 1 on failure. Elevated: writes the registration. Not
// elevated: silent answers 1; otherwise the user is asked whether to start
// an elevated copy with "/registertypes" (its exit code is the answer) or
// to switch jump lists off (answer 0).
int RegisterTypes(HINSTANCE instance, bool silent);

// At start-up on Windows 7 and later with jump lists on: sets the
// application ID and registers again when the stored command is missing or
// names another program file. A failed registration switches jump lists off
// and says so.
void RegisterShellIntegration(HINSTANCE instance);

// Starts `program` elevated ("runas") and waits for it without a time limit:
// its exit code, or 1 when it could not be started (the user refused).
int RunElevated(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory);
