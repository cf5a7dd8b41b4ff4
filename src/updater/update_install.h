// The install step of an update: save the package's files, run the silent
// installer, confirm the new version; when that does not work, put the
// saved files and the version shown in the list of installed programs back,
// and say whether all of it went back.
#pragma once

#include <string>

#include "updater/program_folder.h"
#include "updater/release_version.h"
#include "updater/update_messages.h"

// The installed copy's entry in the list of installed programs (HKCU).
inline constexpr const wchar_t* kUninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vantorel liftorn";

// How long the installer may take before it is ended.
inline constexpr unsigned long kInstallerMillis = 10 * 60 * 1000;

struct InstallAttempt {
    std::wstring commandLine;    // the installer's; empty when none could be made
    std::wstring programFolder;  // ends in a backslash
    std::wstring backupFolder;   // made here for the saved files
    ReleaseVersion expected{};   // what the program file must say afterwards
    bool portable = false;       // a portable copy has no uninstall entry
    std::wstring uninstallKey = kUninstallKey;
    unsigned long millis = kInstallerMillis;
};

// None when the new version is in place. InstallerNotRun when the installer
// never ran (nothing changed), InstallerFailed when it failed and everything
// was put back, RestoreIncomplete when something could not be.
UpdateFailure InstallWithFallback(const InstallAttempt& attempt, ProgramBackup& backup);
