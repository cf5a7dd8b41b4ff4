#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/instance_handoff.h"
#include "app/interim_main_window.h"
#include "app/utf.h"
#include "app/windows_version.h"
#include "config/settings_catalogue.h"
#include "config/settings_file.h"
#include "config/settings_store.h"

namespace {

// A second start: bring the running instance forward and hand it our files.
void HandOffToRunningInstance() {
    HWND window = FindRunningInstanceWindow();
    if (!window) {
        MessageBoxW(nullptr,
                    L"vantorel liftorn is already running, but we couldn't find the window.\n"
                    L"Please close the current running vantorel liftorn.",
                    L"vantorel liftorn", MB_ICONERROR);
        return;
    }
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
        PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    } else {
        ShowWindow(window, SW_SHOW);
    }
    SetForegroundWindow(window);
    SetActiveWindow(window);
    ForwardArgumentsAsDrop(window);
}

std::string FolderOfProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return WideToUtf8(folder);
}

// The per-user application-data folder; the shell's answer stands in when
// the environment has no APPDATA.
std::wstring ApplicationDataFolder() {
    if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData) return appData;
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return path;
    }
    return L"";
}

std::string ConfigPath() { return App().dataFolder + "vantorel.conf"; }

void MakeFolder(const std::string& utf8Path) { _wmkdir(Utf8ToWide(utf8Path).c_str()); }

void WaitForToastThreads() {
    // Copy under the lock: an ending toast thread takes it to remove itself.
    std::vector<HANDLE> threads;
    {
        std::lock_guard<std::mutex> hold(App().toastThreadsLock);
        threads = App().toastThreads;
    }
    for (HANDLE thread : threads) WaitForSingleObject(thread, INFINITE);
}

void RunMessageLoop(HWND window) {
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int RunLiftorn(HINSTANCE instance) {
    AppState& app = App();

    // 1. Common controls and COM.
    InitCommonControls();
    CoInitialize(nullptr);

    // 2. Switches: a start that only passes a request on ends here.
    int exitCode = 0;
    if (HandleCommandLine(instance, CommandLineTail(), ProcessArguments(), exitCode)) {
        return exitCode;
    }

    // 3. One instance: a second start hands over and leaves.
    HANDLE instanceMutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HandOffToRunningInstance();
        return 0;
    }

    // 4. Relative paths (skin, updater) resolve beside the executable.
    app.programFolder = FolderOfProgram();
    SetCurrentDirectoryW(Utf8ToWide(app.programFolder).c_str());

    // 5. The per-user data folder.
    const std::wstring appData = ApplicationDataFolder();
    if (appData.empty()) {
        MessageBoxW(nullptr, L"vantorel liftorn could not find your application data folder.",
                    L"vantorel liftorn", MB_ICONERROR);
        return 0;
    }
    app.dataFolder = WideToUtf8(appData) + "\\vantorel liftorn\\";
    MakeFolder(app.dataFolder);

    // 6. Settings: defaults, then the file.
    LoadDefaultSettings(Settings(), ConfigPath());

    // 7. The daily update check and 8. the shell registration come with
    //    their own features; both read the settings loaded above.

    // 9. Folders for thumbnails and, on Windows 7 and later, jump-list links.
    MakeFolder(app.dataFolder + "thumbs");
    if (IsWindows7OrLater()) MakeFolder(app.dataFolder + "urls");

    // 10-13. Skin, toast instance, fonts and the upload queue.
    app.toastInstance = instance;

    // 14-15. The main window and its pages. Published once it exists.
    HWND mainWindow = CreateInterimMainWindow(instance);
    if (!mainWindow) {
        MessageBoxW(nullptr,
                    L"Could not create the vantorel liftorn window. Please ensure the skin images "
                    L"exist.",
                    L"vantorel liftorn", MB_ICONERROR);
        return 0;
    }
    SetMainWindowHandle(mainWindow);
    app.instanceMapping = PublishMainWindow(mainWindow);

    // 16-17. Tray icon before Windows 7 and the saved account's check.

    // 18. Files named on our own command line are uploaded like a drop.
    ForwardArgumentsAsDrop(mainWindow);

    // 19. Run until the window asks to quit.
    RunMessageLoop(mainWindow);

    // Shutdown, in order.
    Shell_NotifyIconW(NIM_DELETE, &app.trayIcon);
    DestroyWindow(mainWindow);
    SetMainWindowHandle(nullptr);
    WaitForToastThreads();
    SaveSettingsFile(Settings(), ConfigPath());
    if (instanceMutex) CloseHandle(instanceMutex);
    if (app.instanceMapping) CloseHandle(app.instanceMapping);
    return 0;
}
