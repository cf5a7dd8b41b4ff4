#include "updater/update_run.h"

#include <windows.h>

#include "base/scoped_win.h"
#include "updater/program_folder.h"
#include "updater/shipped_files.h"
#include "updater/signature_check.h"
#include "updater/update_addresses.h"
#include "updater/update_commands.h"
#include "updater/update_download.h"
#include "updater/update_install.h"
#include "updater/update_manifest.h"

namespace {

// Owns this run's work folder: the download and the backup go in it, and
// all of it goes when the run ends, whatever happened.
class WorkFolder {
public:
    WorkFolder() : path_(MakeWorkFolder()) {}
    ~WorkFolder() {
        if (path_.empty()) return;
        backup.Discard();
        DeleteFileW(Installer().c_str());
        RemoveDirectoryW(path_.c_str());
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    bool Made() const { return !path_.empty(); }
    // Our own name: nothing from the manifest reaches a local path.
    std::wstring Installer() const { return path_ + L"vantorel-liftorn-setup.exe"; }
    std::wstring Backup() const { return path_ + L"backup\\"; }

    ProgramBackup backup;

private:
    std::wstring path_;
};

UpdateOutcome Fail(UpdateFailure failure, const std::string& offered = std::string()) {
    return UpdateOutcome{failure, offered};
}

// Downloads into the work folder. The file is written through a handle
// nobody else may open, and closed before it is read back.
UpdateFailure Download(const std::string& address, const UpdateManifest& manifest, const std::wstring& path,
                       UpdateObserver& observer) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return UpdateFailure::NoWorkFolder;
    const DownloadResult result =
        DownloadInstaller(address, manifest.size, file.get(), [&observer](std::uint64_t received, std::uint64_t total) {
            return observer.DownloadProgress(received, total);
        });
    switch (result) {
        case DownloadResult::Complete: return UpdateFailure::None;
        case DownloadResult::Cancelled: return UpdateFailure::Cancelled;
        case DownloadResult::TooLong: return UpdateFailure::SizeMismatch;
        case DownloadResult::Failed: break;
    }
    return UpdateFailure::DownloadFailed;
}

// Opens the download so that nobody can change it until `file` closes (the
// installer may still read and run it), then checks its size and digest
// against the signed manifest.
UpdateFailure OpenVerified(const std::wstring& path, const UpdateManifest& manifest, ScopedHandle& file) {
    file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return UpdateFailure::DownloadFailed;
    std::uint64_t size = 0;
    std::array<unsigned char, 32> digest{};
    if (!HashWholeFile(file.get(), size, digest)) return UpdateFailure::SizeMismatch;
    if (size != manifest.size) return UpdateFailure::SizeMismatch;
    if (digest != manifest.sha256) return UpdateFailure::DigestMismatch;
    return UpdateFailure::None;
}

}  // namespace

std::wstring StageText(UpdateStage stage, const std::string& offeredVersion) {
    const std::wstring version(offeredVersion.begin(), offeredVersion.end());
    switch (stage) {
        case UpdateStage::Checking: return L"Looking for the new version\x2026";
        case UpdateStage::Downloading: return L"Downloading vantorel liftorn " + version + L"\x2026";
        case UpdateStage::Verifying: return L"Checking the download\x2026";
        case UpdateStage::WaitingForProgram: return L"Waiting for vantorel liftorn to close\x2026";
        case UpdateStage::Installing: return L"Installing vantorel liftorn " + version + L"\x2026";
    }
    return std::wstring();
}

UpdateOutcome RunUpdate(const UpdateRequest& request, UpdateObserver& observer) {
    observer.StageReached(UpdateStage::Checking, std::string());
    std::string text;
    if (request.manifestAddress.empty() || !FetchManifestText(request.manifestAddress, text)) {
        return Fail(UpdateFailure::ManifestUnavailable);
    }
    // Nothing in the manifest is believed before its signature is checked.
    UpdateManifest manifest;
    if (!ParseUpdateManifest(text, manifest)) return Fail(UpdateFailure::ManifestInvalid);
    if (!IsSignedBy(manifest, request.publicKey)) return Fail(UpdateFailure::SignatureInvalid);
    const std::string offered = FormatReleaseVersion(manifest.version);
    if (!IsLaterRelease(manifest.version, request.installed)) return Fail(UpdateFailure::NotNewer, offered);
    const std::string address = ResolveInstallerAddress(request.manifestAddress, manifest.installer);
    if (address.empty()) return Fail(UpdateFailure::AddressRefused, offered);

    WorkFolder work;
    if (!work.Made()) return Fail(UpdateFailure::NoWorkFolder, offered);
    observer.StageReached(UpdateStage::Downloading, offered);
    if (const UpdateFailure failure = Download(address, manifest, work.Installer(), observer);
        failure != UpdateFailure::None) {
        return Fail(failure, offered);
    }
    observer.StageReached(UpdateStage::Verifying, offered);
    ScopedHandle verified;
    if (const UpdateFailure failure = OpenVerified(work.Installer(), manifest, verified);
        failure != UpdateFailure::None) {
        return Fail(failure, offered);
    }

    observer.StageReached(UpdateStage::WaitingForProgram, offered);
    if (!WaitForProgramToEnd(kProgramEndMillis)) return Fail(UpdateFailure::ProgramStillRunning, offered);

    observer.StageReached(UpdateStage::Installing, offered);
    InstallAttempt attempt;
    attempt.portable = GetFileAttributesW((request.programFolder + kUninstallerFileName).c_str()) ==
                       INVALID_FILE_ATTRIBUTES;
    attempt.commandLine = InstallerCommandLine(work.Installer(), request.programFolder, attempt.portable);
    attempt.programFolder = request.programFolder;
    attempt.backupFolder = work.Backup();
    attempt.expected = manifest.version;
    if (const UpdateFailure failure = InstallWithFallback(attempt, work.backup); failure != UpdateFailure::None) {
        return Fail(failure, offered);
    }
    return UpdateOutcome{UpdateFailure::None, offered};
}
