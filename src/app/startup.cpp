#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <cwchar>

#include "app/app_state.h"
#include "app/capture_commands.h"
#include "app/command_line.h"
#include "app/complete_upload.h"
#include "app/configuration.h"
#include "app/crash_notice.h"
#include "app/failed_uploads.h"
#include "app/history_list.h"
#include "app/history_search.h"
#include "app/hotkey_page.h"
#include "app/hotkeys.h"
#include "app/instance_handoff.h"
#include "app/login.h"
#include "app/main_window.h"
#include "app/pending_uploads.h"
#include "app/recent_uploads.h"
#include "app/settings_page.h"
#include "app/tray_icon.h"
#include "app/update_check.h"
#include "app/update_gate.h"
#include "base/clock.h"
#include "base/crash_reports.h"
#include "base/dpi_awareness.h"
#include "base/event_log.h"
#include "base/main_window_handle.h"
#include "base/monitor_dpi.h"
#include "base/product.h"
#include "base/scoped_win.h"
#include "base/thread_name.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "base/windows_version.h"
#include "capture/capture.h"
#include "config/settings_catalogue.h"
#include "config/settings_file.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/gui_drop_area.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "history/history_store.h"
#include "shell/register_types.h"
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

// How long shutdown waits for the upload worker once its transfer has been
// cancelled. A transfer notices the cancel within a fraction of a second;
// the bound only matters for a worker stuck in a request that ignores it.
constexpr DWORD kWorkerStopMillis = 3000;
// A capture ends within this unless it waits on a window that does not
// answer (each such wait has its own bound).
constexpr DWORD kCaptureStopMillis = 5000;

void MakeFolder(const std::string& utf8Path) { _wmkdir(Utf8ToWide(utf8Path).c_str()); }

// What the upload worker sends while the saved account is verified.
std::string UploadAccount() {
    if (!App().loggedIn) return std::string();
    return Settings().GetStringNarrow(L"Username") + ":" + Settings().GetStringNarrow(L"PasswordHash");
}

}  // namespace

int RunLiftorn(HINSTANCE instance) {
    AppState& app = App();

    // 1. Each monitor's scale, before any window exists (the manifest
    //    normally has asked already); common controls and COM.
    EnableDpiAwareness(DpiAwareness::kPerMonitorVersion2);
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

    // 5a. From here a crash on any thread leaves a report, and the log says
    //     what happened.
    InstallCrashReports(Utf8ToWide(app.dataFolder) + L"crashes\\");
    OpenEventLog(Utf8ToWide(app.dataFolder));
    NameThisThread("main");
    LogEvent("start", {{"version", kProductVersion}, {"windows", WindowsVersionText()}});

    // 6. Settings: defaults, then the file.
    LoadDefaultSettings(Settings(), ConfigurationPath());

    // 7. At most once a day: a newer version? A started updater ends this
    //    run. The new check time is kept even when the check fails.
    const int64_t now = UnixTimeNow();
    if (UpdateCheckDue(Settings().GetInt(L"LastUpdateCheck"), now)) {
        Settings().SetInt(L"LastUpdateCheck", static_cast<int32_t>(now));
        if (!CheckForUpdate(CommandLineTail())) {
            SaveConfiguration();
            LogEvent("exit", {{"reason", "the updater takes over"}});
            return 0;
        }
    }

    // 8. The application identity and the shortcut type, Windows 7 and later.
    if (Settings().GetBool(L"EnableJumpLists") && IsWindows7OrLater()) RegisterShellIntegration();

    // 9. Folders for thumbnails and, on Windows 7 and later, jump-list links;
    //    updater copies that an earlier run left behind go (its archives go
    //    at 15a, once the waiting jobs say which are still theirs).
    MakeFolder(app.dataFolder + "thumbs");
    RemoveOldUpdaterCopies();
    if (IsWindows7OrLater()) MakeFolder(app.dataFolder + "urls");

    // 10. The skin: a missing file has been reported; end quietly.
    if (!LoadSkinCatalogue(app.programFolder)) {
        LogEvent("error", {{"what", "the skin"}, {"reason", "a skin file is missing"}});
        return 0;
    }

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
    uploadQueue->SetFailureListener(OnUploadFailedForGood);
    uploadQueue->SetChangeListener(OnUploadQueueChanged);

    // 14. The main window, published for later starts.
    std::unique_ptr<SkinnableWindow> mainWindow;
    // Drawn at the scale of the monitor where it last stood; a move onto
    // another monitor lays it out again (WM_DPICHANGED).
    const POINT place{Settings().GetInt(L"PositionX"), Settings().GetInt(L"PositionY")};
    const bool windowMade = CreateMainWindow(instance, mainWindow, DpiOfPoint(place));
    ScopedHandle instanceMapping(app.instanceMapping);  // published until we end
    if (!windowMade) {
        LogEvent("error", {{"what", "the main window"}, {"reason", "it could not be created"}});
        AskUser(nullptr,
                L"Could not create the vantorel liftorn window. Please ensure the skin images exist.",
                kProductName, MB_ICONERROR);
        return 0;
    }

    // 15. Buttons, the upload page, the settings page and the history list.
    CreateMainButtons(instance);
    CreateMainPage(instance);
    CreateSettingsPage(instance);
    CreateHotkeyPage(instance);
    std::unique_ptr<HistoryStore> history = LoadHistoryList(instance, CopyUrlAction);
    std::unique_ptr<HistorySearch> historySearch = CreateHistorySearch(instance);
    RebuildJumpListFromHistory();

    // 15a. Uploads an earlier run left waiting or failed are taken up again
    //      (the journal lives in history.db); archives that no waiting job
    //      names go.
    PendingStore pendingStore(*history);
    std::unique_ptr<PendingJournal> journal;
    const RestoredUploads restored = RestorePendingUploads(*uploadQueue, pendingStore, journal);
    RemoveStaleArchives(Utf8ToWide(app.dataFolder), restored.archives);
    RefreshUploadCounts();

    // 16. The tray icon before Windows 7.
    if (!IsWindows7OrLater()) CreateTrayIcon(instance);

    // The keys that work in every program; what could not be had is said
    // once, now.
    RegisterHotkeys(app.mainWindow->MainWindow());
    AnnounceHotkeyProblems(app.mainWindow->MainWindow());

    // 17. Is the saved account still good?
    LoginAction(nullptr);

    // 18. Files named on our own command line are uploaded like a drop.
    ForwardArgumentsAsDrop(app.dropArea ? app.dropArea->Window() : MainWindowHandle());

    // A crash last time is told once the window shows.
    PostToWindowThread(MainWindowHandle(), [] { TellAboutLastCrash(); });

    // 19. Run until the window asks to quit.
    app.mainWindow->RunMessageLoop();

    // Shutdown, in order. A running capture ends first, as if cancelled
    // (its prompt, its post-capture command), leaving no file behind; then
    // the uploads are aborted (the user agreed to that), so nothing either
    // does can reach what is torn down below.
    UnregisterHotkeys();
    CancelDelayedScreenshot();
    const bool captureEnded = StopCapture(kCaptureStopMillis);
    Shell_NotifyIconW(NIM_DELETE, &app.trayIcon);
    RemoveTrayBalloon();
    RefuseNewToasts();
    // The worker ends before its handler goes: a transfer cut off now stays
    // waiting in the journal, and none is crossed out without its row.
    const bool workerEnded = uploadQueue->Stop(kWorkerStopMillis);
    uploadQueue->SetCompletionHandler(nullptr);
    uploadQueue->SetFailureListener(nullptr);
    uploadQueue->SetChangeListener(nullptr);
    historySearch.reset();  // its thread stops before the list it searches goes
    SetMainWindowHandle(nullptr);
    app.mainWindow = nullptr;
    mainWindow.reset();
    WaitForToastThreads();
    SaveConfiguration();
    app.instanceMapping = nullptr;  // closed with its owner, like the mutex
    LogEvent("exit", {{"version", kProductVersion},
                      {"worker", workerEnded ? "ended" : "did not stop"},
                      {"capture", captureEnded ? "ended" : "did not stop"}});
    CloseEventLog();
    if (!workerEnded || !captureEnded) {
        // A worker or capture that would not stop must not outlive what it
        // uses: end the process now, the configuration being saved.
        ExitProcess(0);
    }
    return 0;
}

std::string FolderOfProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return WideToUtf8(folder);
}
