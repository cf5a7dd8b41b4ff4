#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/complete_upload.h"
#include "app/history_list.h"
#include "app/instance_handoff.h"
#include "app/main_window.h"
#include "app/tray_icon.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/scoped_win.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "base/windows_version.h"
#include "config/settings_catalogue.h"
#include "config/settings_file.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/gui_drop_area.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "history/history_store.h"
#include "shell/toast.h"
#include "upload/copy_url.h"
#include "upload/upload_queue.h"

namespace {

// A second start: bring the running instance forward and hand it our files.
void HandOffToRunningInstance() {
    HWND window = FindRunningInstanceWindow();
    if (!window) {
        AskUser(nullptr,
                L"vantorel liftorn is already running, but we couldn't find the window.\n"
                L"Please close the current running vantorel liftorn.",
                kProductName, MB_ICONERROR);
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

// What the upload worker sends while the saved account is verified.
std::string UploadAccount() {
    if (!App().loggedIn) return std::string();
    return Settings().GetStringNarrow(L"Username") + ":" + Settings().GetStringNarrow(L"PasswordHash");
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

    // 3. One instance: a second start hands over and leaves. The named mutex
    // marks the running instance for other processes.
    ScopedHandle instanceMutex(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
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
        AskUser(nullptr, L"vantorel liftorn could not find your application data folder.", kProductName,
                MB_ICONERROR);
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

    // 10. The skin: a missing file has been reported; end quietly.
    if (!LoadSkinCatalogue(app.programFolder)) return 0;

    // 11. Toasts create their windows with this instance.
    app.toastInstance = instance;

    // 12. The interface font (falls back to the system's own).
    SetDefaultFonts(StartupFontList());

    // 13. The upload queue, paused until an upload is shown.
    auto uploadQueue = std::make_unique<UploadQueue>();
    app.uploadQueue = uploadQueue.get();
    uploadQueue->SetPaused(true);
    uploadQueue->SetArchiveFolder(Utf8ToWide(app.dataFolder));
    uploadQueue->SetAccountSource(UploadAccount);
    uploadQueue->SetCompletionHandler(CompleteUpload);

    // 14. The main window, published for later starts.
    std::unique_ptr<SkinnableWindow> mainWindow;
    const bool windowMade = CreateMainWindow(instance, mainWindow);
    ScopedHandle instanceMapping(app.instanceMapping);  // published until we end
    if (!windowMade) {
        AskUser(nullptr,
                L"Could not create the vantorel liftorn window. Please ensure the skin images exist.",
                kProductName, MB_ICONERROR);
        return 0;
    }

    // 15. Buttons, the upload page and the history list. The settings page
    //     comes with its own feature.
    CreateMainButtons(instance);
    CreateMainPage(instance);
    std::unique_ptr<HistoryStore> history = LoadHistoryList(instance, CopyUrlAction);

    // 16. The tray icon before Windows 7. 17. The saved account's check comes
    //     with the login feature.
    if (!IsWindows7OrLater()) CreateTrayIcon(instance);

    // 18. Files named on our own command line are uploaded like a drop.
    ForwardArgumentsAsDrop(app.dropArea ? app.dropArea->Window() : MainWindowHandle());

    // 19. Run until the window asks to quit.
    app.mainWindow->RunMessageLoop();

    // Shutdown, in order.
    Shell_NotifyIconW(NIM_DELETE, &app.trayIcon);
    SetMainWindowHandle(nullptr);
    app.mainWindow = nullptr;
    mainWindow.reset();
    WaitForToastThreads();
    SaveSettingsFile(Settings(), ConfigPath());
    app.instanceMapping = nullptr;  // closed with its owner, like the mutex
    return 0;
}
