#include "updater/update_messages.h"

#include "config/service_addresses.h"

namespace {

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

std::wstring FailureMessage(UpdateFailure failure, const std::string& installed, const std::string& offered) {
    const std::wstring offeredText = offered.empty() ? L"" : L" " + Widen(offered);
    std::wstring what;
    switch (failure) {
        case UpdateFailure::None:
        case UpdateFailure::Cancelled:
            return std::wstring();
        case UpdateFailure::NotInProgramFolder:
            return L"The updater was not started from the vantorel liftorn folder, so it cannot tell what "
                   L"to update. Nothing was changed.";
        case UpdateFailure::ManifestUnavailable:
            what = L"The update information could not be fetched from the vantorel web site.";
            break;
        case UpdateFailure::ManifestInvalid:
            what = L"The update information from the vantorel web site is damaged.";
            break;
        case UpdateFailure::SignatureInvalid:
            what = L"The update information is not signed by vantorel, so it was not trusted.";
            break;
        case UpdateFailure::NotNewer:
            what = L"The version offered" + offeredText + L" is not newer than the installed version " +
                   Widen(installed) + L".";
            break;
        case UpdateFailure::AddressRefused:
            what = L"The update information names a download address that is not allowed.";
            break;
        case UpdateFailure::NoWorkFolder:
            what = L"There is no room for the download in the temporary folder.";
            break;
        case UpdateFailure::DownloadFailed:
            what = L"The download of version" + offeredText + L" failed or was cut short.";
            break;
        case UpdateFailure::SizeMismatch:
            what = L"The downloaded installer of version" + offeredText +
                   L" does not have the size vantorel published. It was deleted.";
            break;
        case UpdateFailure::DigestMismatch:
            what = L"The downloaded installer of version" + offeredText +
                   L" is not the one vantorel published (its SHA-256 differs). It was deleted.";
            break;
        case UpdateFailure::ProgramStillRunning:
            what = L"vantorel liftorn is still running, so the update could not be installed.";
            break;
        case UpdateFailure::InstallerNotRun:
            what = L"The installer of version" + offeredText + L" could not be run.";
            break;
        case UpdateFailure::InstallerFailed:
            return L"The installer of version" + offeredText + L" failed. The files of version " + Widen(installed) +
                   L" were put back.";
        case UpdateFailure::RestoreIncomplete:
            return L"The installer of version" + offeredText + L" failed, and some files of version " +
                   Widen(installed) + L" could not be put back, so vantorel liftorn may not work. Please download " +
                   L"it and install it again from " + Widen(kHomePageUrl) + L".";
    }
    return what + L"\n\nThe update was not installed; vantorel liftorn " + Widen(installed) + L" is unchanged.";
}
