// iupdater.exe: started by the program (as a copy in the temporary folder,
// with the program's own arguments and the program folder as working
// directory) once the user has accepted an update.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <thread>

#include "base/dpi_awareness.h"
#include "base/shell_open.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "config/service_addresses.h"
#include "config/settings_catalogue.h"
#include "config/settings_file.h"
#include "config/settings_store.h"
#include "updater/program_folder.h"
#include "updater/release_key.h"
#include "updater/shipped_files.h"
#include "updater/update_addresses.h"
#include "updater/update_commands.h"
#include "updater/update_messages.h"
#include "updater/update_run.h"
#include "updater/updater_window.h"

namespace {

std::wstring CurrentFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    return path;
}

// The program's data folder, found the way the program finds it.
std::string DataFolder() {
    std::wstring appData;
    if (const wchar_t* variable = _wgetenv(L"APPDATA"); variable && *variable) {
        appData = variable;
    } else {
        wchar_t path[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
        appData = path;
    }
    return WideToUtf8(appData) + "\\vantorel liftorn\\";
}

// Where the program asks for the latest version, from its own settings (the
// updater reads them, never writes them); the manifest lies beside it.
std::string LatestVersionAddress() {
    DefineDefaultSettings(Settings());
    const std::string folder = DataFolder();
    if (!folder.empty()) LoadSettingsFile(Settings(), folder + "vantorel.conf");
    std::string address = Settings().GetAdvancedNarrow(L"adv_latest_version_uri");
    if (address.empty()) address = std::string(kProductSiteUrl) + "/latest_version";
    return address;
}

// This copy runs from a folder of the temporary folder: DLLs that it loads
// from now on come from the system folder only, never from beside it or from
// the working directory. Looked up at run time: older systems lack it (there
// the working directory at least leaves the search).
void RestrictDllSearch() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto restrict = kernel ? reinterpret_cast<SetDirectories>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
    constexpr DWORD kSystemFolderOnly = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (!restrict || !restrict(kSystemFolderOnly)) SetDllDirectoryW(L"");
}

void Tell(const std::wstring& text) {
    AskUser(nullptr, text.c_str(), kUpdaterCaption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    EnableDpiAwareness(DpiAwareness::kPerMonitorVersion2);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    const std::wstring arguments = ArgumentsAfterProgram(GetCommandLineW());
    UpdateRequest request;
    request.programFolder = CurrentFolder();
    const std::wstring program = request.programFolder + kProgramFileName;
    const auto installed = request.programFolder.empty() ? std::nullopt : ProgramFileVersion(program);
    if (!installed) {
        Tell(FailureMessage(UpdateFailure::NotInProgramFolder, std::string(), std::string()));
        return 1;
    }
    request.installed = *installed;
    request.manifestAddress = ManifestAddressNextTo(LatestVersionAddress());
    request.publicKey = kReleasePublicKey;

    UpdaterWindow window;
    UpdateOutcome outcome;
    if (!window.Create(instance)) {
        outcome = RunUpdate(request, window);  // no window to show it in; the work is the same
    } else {
        std::thread worker([&] {
            outcome = RunUpdate(request, window);
            window.Finish();
        });
        window.RunMessageLoop();
        worker.join();
    }

    const std::wstring message =
        FailureMessage(outcome.failure, FormatReleaseVersion(request.installed), outcome.offeredVersion);
    if (!message.empty()) Tell(message);
    // The program comes back as the user started it: the new version, or
    // the old one untouched. Files only half put back are not started; the
    // message said to install again.
    if (outcome.failure != UpdateFailure::ProgramStillRunning &&
        outcome.failure != UpdateFailure::RestoreIncomplete && WaitForProgramToEnd(kProgramEndMillis)) {
        StartProgram(program, arguments, request.programFolder);
    }
    return outcome.failure == UpdateFailure::None ? 0 : 1;
}
