// Registration of the program's ProgID so that Internet-shortcut files of
// past uploads open with it, and the process's application identity. The
// ProgID goes into the user's own classes (HKCU\Software\Classes), as the
// installer writes it, so no elevation is ever needed: a machine-wide entry
// would send every user of the computer to a program file that this user
// can replace.
#pragma once

#include <windows.h>

#include <string>

#include "base/product.h"

// The command the ProgID's Open verb runs: the program's full path in
// quotes, followed by " /uri \"%1\"". The installer writes the same text.
std::wstring ShortcutOpenCommand();

// Writes the registration under the user's classes: 0 on success, 1 on
// failure. What "/registertypes" runs.
int RegisterTypes();

// At start-up on Windows 7 and later with jump lists on: sets the
// application ID and registers again when the stored command is missing or
// differs (another program file, say). A failed registration switches jump
// lists off and says so.
void RegisterShellIntegration();
