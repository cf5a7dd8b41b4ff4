// What the updater tells the user when an update does not happen. Free of
// Win32.
#pragma once

#include <string>

enum class UpdateFailure {
    None,
    NotInProgramFolder,   // no liftorn.exe in the working directory
    ManifestUnavailable,  // the manifest could not be fetched
    ManifestInvalid,      // it is not a manifest
    SignatureInvalid,     // not signed with the release key
    NotNewer,             // the offered version is not above the installed one
    AddressRefused,       // the installer's address is not one we download from
    NoWorkFolder,         // nowhere to put the download
    DownloadFailed,       // transfer error, cut short or too long
    SizeMismatch,
    DigestMismatch,
    Cancelled,            // the user closed the window while downloading
    ProgramStillRunning,
    InstallerNotRun,      // the installer could not be run; nothing was changed
    InstallerFailed,      // the installer failed; the old files were put back
    RestoreIncomplete,    // the installer failed and not every old file could be put back
};

// The message box text for `failure` (empty for None and Cancelled, which
// say nothing). Versions are "1.2.5"; `offered` may be empty when the
// manifest was never read.
std::wstring FailureMessage(UpdateFailure failure, const std::string& installed, const std::string& offered);

// The caption of the updater's window and messages.
inline constexpr const wchar_t* kUpdaterCaption = L"vantorel liftorn update";
