// The installed program as the updater sees it: its folder, its version, its
// running instance, and a copy of its files to fall back on.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "updater/release_version.h"

// The version in the VERSIONINFO resource of `program`, or nothing.
std::optional<ReleaseVersion> ProgramFileVersion(const std::wstring& program);

// Waits until no instance of the program runs (its instance mutex is gone),
// at most `millis`. True when none runs.
bool WaitForProgramToEnd(DWORD millis);

enum class RunResult { Finished, CouldNotStart, TimedOut };
// Runs `commandLine` (its program first, quoted) in `folder` and waits for
// it at most `millis`; a program that takes longer is ended.
RunResult RunAndWait(const std::wstring& commandLine, const std::wstring& folder, DWORD millis, DWORD& exitCode);

// A copy of the package's files in the program folder (see shipped_files.h),
// taken before an installer runs and put back if it fails.
class ProgramBackup {
public:
    // Copies into `backupFolder` (created here). False when any copy failed.
    bool Save(const std::wstring& programFolder, const std::wstring& backupFolder);
    // Puts every saved file back over what the installer left.
    bool Restore() const;
    // Deletes the copies and the folders made for them.
    void Discard();

private:
    std::wstring programFolder_;
    std::wstring backupFolder_;
    std::vector<std::wstring> files_;    // relative paths saved
    std::vector<std::wstring> folders_;  // relative folders made, parents first
};

// Creates a folder for this update's files below the temporary folder:
// "%TEMP%\vantorel-liftorn-update-<16 hex digits>\". Empty when none could
// be made.
std::wstring MakeWorkFolder();
