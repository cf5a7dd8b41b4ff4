#include "updater/update_install.h"

#include <windows.h>

#include <optional>

#include "base/scoped_win.h"
#include "updater/shipped_files.h"

namespace {

constexpr const wchar_t* kVersionValue = L"DisplayVersion";
constexpr DWORD kVersionBytes = 128;

std::optional<std::wstring> ListedVersion(const std::wstring& key) {
    wchar_t text[kVersionBytes / sizeof(wchar_t)] = {};
    DWORD bytes = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), kVersionValue, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

bool SetListedVersion(const std::wstring& key, const std::wstring& version) {
    ScopedRegKey entry;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, entry.put()) != ERROR_SUCCESS) return false;
    const DWORD bytes = static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(entry.get(), kVersionValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                          bytes) == ERROR_SUCCESS;
}

}  // namespace

UpdateFailure InstallWithFallback(const InstallAttempt& attempt, ProgramBackup& backup) {
    if (attempt.commandLine.empty() || !backup.Save(attempt.programFolder, attempt.backupFolder)) {
        return UpdateFailure::InstallerNotRun;
    }
    const std::optional<std::wstring> listed =
        attempt.portable ? std::nullopt : ListedVersion(attempt.uninstallKey);
    DWORD exitCode = 1;
    const RunResult run = RunAndWait(attempt.commandLine, attempt.programFolder, attempt.millis, exitCode);
    if (run == RunResult::CouldNotStart) return UpdateFailure::InstallerNotRun;
    const auto installedNow = ProgramFileVersion(attempt.programFolder + kProgramFileName);
    if (run == RunResult::Finished && exitCode == 0 && installedNow && *installedNow == attempt.expected) {
        return UpdateFailure::None;
    }
    bool restored = backup.Restore();
    if (listed) restored = SetListedVersion(attempt.uninstallKey, *listed) && restored;
    return restored ? UpdateFailure::InstallerFailed : UpdateFailure::RestoreIncomplete;
}
