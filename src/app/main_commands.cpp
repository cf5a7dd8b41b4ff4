#include "app/main_commands.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/capture_commands.h"
#include "app/clipboard_upload.h"
#include "app/configuration.h"
#include "app/history_list.h"
#include "app/history_search.h"
#include "app/instance_handoff.h"
#include "app/settings_page.h"
#include "app/tray_icon.h"
#include "base/product.h"
#include "base/scoped_win.h"
#include "base/user_prompt.h"
#include "base/windows_version.h"
#include "capture/capture.h"
#include "capture/capture_countdown.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_image.h"
#include "gui/gui_scroll_area.h"
#include "gui/progress_bar.h"
#include "gui/skinnable_window.h"
#include "resource_ids.h"
#include "upload/copy_url.h"
#include "upload/upload_queue.h"

namespace {

HWND MainHandle() {
    return App().mainWindow ? App().mainWindow->MainWindow() : nullptr;
}

int Ask(const wchar_t* text, UINT type) {
    return AskUser(MainHandle(), text, kProductName, type);
}

ITaskbarList3* Taskbar() { return App().mainWindow ? App().mainWindow->TaskbarList() : nullptr; }

void SetTaskbarState(TBPFLAG state) {
    if (ITaskbarList3* list = Taskbar()) list->SetProgressState(MainHandle(), state);
}

void SetTaskbarValue(int percent) {
    if (ITaskbarList3* list = Taskbar()) list->SetProgressValue(MainHandle(), percent, 100);
}

std::size_t QueuedJobs() { return App().uploadQueue ? App().uploadQueue->QueuedCount() : 0; }

void SetQueuePaused(bool paused) {
    if (App().uploadQueue) App().uploadQueue->SetPaused(paused);
}

void ShowWidget(GUIObject* widget, bool show) {
    if (widget) widget->Show(show ? SW_SHOW : SW_HIDE);
}

void ShowProgressImages(bool show) {
    ShowWidget(App().progressLeft, show);
    ShowWidget(App().progressCenter, show);
    ShowWidget(App().progressRight, show);
}

// A drop's paths, collected while the drop area hands them over, so that
// they are queued together.
bool collectingDrop = false;
std::vector<NewUpload> dropBatch;

// Hands `uploads` to the queue together (one journal transaction) and shows
// the upload; the fade starts on the next tick, with the jobs waiting. A
// full queue refuses them all, and the user is told.
void SubmitUploads(std::vector<NewUpload> uploads) {
    AppState& app = App();
    if (!app.uploadQueue || !app.dropArea || uploads.empty()) {
        for (NewUpload& upload : uploads) {
            if (upload.stream) std::fclose(upload.stream);
        }
        return;
    }
    const std::size_t count = uploads.size();
    if (!app.uploadQueue->Enqueue(std::move(uploads))) {
        const std::wstring text =
            L"vantorel liftorn keeps at most " + std::to_wstring(kMaxPendingJobs) +
            L" uploads waiting or failed, and cannot take " +
            (count == 1 ? std::wstring(L"this one") : L"these " + std::to_wstring(count)) +
            L" now.\nNothing was added. Wait for the uploads to finish, or remove failed ones, and try again.";
        Ask(text.c_str(), MB_ICONWARNING | MB_OK);
        return;
    }
    ShowUploadStarting();
}

// The owner comes to the foreground first, or the menu would not close when
// the user clicks elsewhere; the null message afterwards lets a menu opened
// from the tray close properly on the next click.
void TrackMenu(HMENU loaded, HWND owner) {
    ScopedMenu menu(loaded);
    if (!menu) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(owner);
    TrackPopupMenu(GetSubMenu(menu.get(), 0), 0, cursor.x, cursor.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
}

HINSTANCE WindowInstance(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

void ToggleVisible(HWND window) { ShowWindow(window, IsWindowVisible(window) ? SW_HIDE : SW_SHOW); }

constexpr const wchar_t* kScreenshotInstructions =
    L"Taking a screenshot:\n"
    L"\t\u2022 Select the area you want in the screenshot, then press Enter\n"
    L"\t   or click the white cross to upload it.\n"
    L"\t\u2022 For a fullscreen screenshot, hold down the Ctrl key while\n"
    L"\t   pressing Enter or clicking the white cross.\n"
    L"\t\u2022 To cancel the screenshot, press the Escape key.\n\n"
    L"This message will only appear this one time.";

bool BringCountdownForwardIfAny() {
    if (!CountdownRunning()) return false;
    BringCountdownForward();
    return true;
}

void ChooseFiles(HWND owner) {
    std::wstring buffer(8192, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = WindowInstance(owner);
    dialog.lpstrFilter = L"All Files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = &buffer[0];
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON |
                   OFN_ENABLESIZING | OFN_DONTADDTORECENT;
    if (GetOpenFileNameW(&dialog)) EnqueueChosenFiles(buffer.c_str(), dialog.nFileOffset);
}

void ChooseFolder(HWND owner) {
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = L"Select a folder to upload";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX |
                     BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
    if (!item) return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(item, path)) EnqueueDroppedFolder(path);
    CoTaskMemFree(item);
}

void RunCommand(HWND window, WORD id, LPARAM lParam) {
    switch (id) {
    case CMD_BRING_TO_FRONT:
        SetForegroundWindow(window);
        break;
    case CMD_SHOW_HIDE:
        ToggleVisible(window);
        break;
    case CMD_SETTINGS:
        OpenSettingsPage();
        ShowWindow(window, SW_SHOW);
        break;
    case CMD_EXIT:
        QuitWithConfirmation();
        break;
    case CMD_SCREENSHOT:
        // One capture at a time: another request shows the one running (or
        // the countdown to it).
        if (BringCaptureForward() || BringCountdownForwardIfAny()) break;
        ExplainScreenshotsOnce();
        StartCaptureCommand(true);
        break;
    case CMD_WINDOW_GRAB:
        if (BringCaptureForward() || BringCountdownForwardIfAny()) break;
        StartCaptureCommand(false);
        break;
    case CMD_SCREENSHOT_IN_3:
        StartDelayedScreenshot(3);
        break;
    case CMD_SCREENSHOT_IN_10:
        StartDelayedScreenshot(10);
        break;
    case CMD_SCREENSHOT_DELAYED:
        // Posted by a second start; anything else out of range is ignored.
        if (lParam >= kCountdownShortestSeconds && lParam <= kCountdownLongestSeconds) {
            StartDelayedScreenshot(static_cast<int>(lParam));
        }
        break;
    case CMD_UPLOAD_CLIPBOARD:
        UploadFromClipboard();
        break;
    case CMD_UPLOAD_FILE:
        ChooseFiles(window);
        break;
    case CMD_UPLOAD_FOLDER:
        ChooseFolder(window);
        break;
    default:
        break;
    }
}

void RunTrayEvent(HWND window, LPARAM event) {
    switch (event) {
    case WM_LBUTTONDOWN:
        if (IsWindowVisible(window)) SetForegroundWindow(window);
        else ShowWindow(window, SW_SHOW);
        break;
    case WM_LBUTTONDBLCLK:
        ToggleVisible(window);
        break;
    case WM_RBUTTONUP:
        TrackMenu(LoadTrayMenu(WindowInstance(window), IsWindowVisible(window) != FALSE), window);
        break;
    default:
        break;
    }
}

}  // namespace

void ExplainScreenshotsOnce() {
    if (Settings().GetBool(L"UnderstoodScreenshot")) return;
    Ask(kScreenshotInstructions, MB_ICONINFORMATION);
    Settings().SetBool(L"UnderstoodScreenshot", true);
}

bool OnMouseWheel(HWND, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    *result = 0;
    if (App().settingsShown || !App().historyList) return true;
    if (static_cast<short>(HIWORD(wParam)) < 0) App().historyList->ScrollDown();
    else App().historyList->ScrollUp();
    return true;
}

bool OnSize(HWND window, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    if (wParam == SIZE_MINIMIZED || IsIconic(window)) {
        *result = 0;
        return true;
    }
    AppState& app = App();
    RECT rect{};
    GetWindowRect(window, &rect);
    const int height = rect.bottom - rect.top;
    // The buttons keep their 96-DPI distance from the bottom edge, scaled.
    const SkinnableWindow& main = *app.mainWindow;
    if (app.logoButton) app.logoButton->Move(main.Scale(239), height - main.Scale(53));
    if (app.settingsButton) app.settingsButton->Move(main.Scale(120), height - main.Scale(72));
    if (app.screenshotButton) app.screenshotButton->Move(main.Scale(146), height - main.Scale(71));
    if (app.windowGrabButton) app.windowGrabButton->Move(main.Scale(176), height - main.Scale(71));
    if (app.settingsShown) return false;
    LayOutHistory(height);
    // At 96 DPI, so that the window opens as tall to the eye at any scale.
    Settings().SetInt(L"LiftornHeight", UnscaleLength(height, main.Dpi()));
    return false;
}

bool OnMove(HWND window, UINT, WPARAM, LPARAM lParam, LRESULT*) {
    if (!IsIconic(window)) {
        Settings().SetInt(L"PositionX", static_cast<short>(LOWORD(lParam)));
        Settings().SetInt(L"PositionY", static_cast<short>(HIWORD(lParam)));
    }
    return false;
}

bool OnKeyDown(HWND window, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    *result = 0;
    // The search has the keys first: Ctrl+F, and while it is open Escape
    // closes it and the arrows walk its results.
    HistorySearch* search = App().historySearch;
    if (search && !App().settingsShown && search->OnKey(wParam)) return false;
    if (wParam == VK_ESCAPE) HideOrQuit();
    // Ctrl+V (no other modifier) on the upload page: what the clipboard holds.
    const bool onlyCtrl = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (wParam == 'V' && onlyCtrl && !App().settingsShown) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(CMD_UPLOAD_CLIPBOARD, 0), 0);
    }
    return false;
}

void LayOutHistory(int height) {
    AppState& app = App();
    const int band = app.historySearch ? app.historySearch->BandHeight() : 0;
    if (!app.mainWindow) return;
    const SkinnableWindow& main = *app.mainWindow;
    if (app.historyList) {
        const int listHeight = height - main.Scale(233) - band;
        if (height > main.Scale(265) && listHeight >= main.Scale(kSmallestHistoryList)) {
            app.historyList->Move(main.Scale(52), main.Scale(143) + band);
            app.historyList->Show(SW_SHOW);
            app.historyList->Resize(main.Scale(216), listHeight);
        } else {
            app.historyList->Show(SW_HIDE);
        }
    }
    const bool headerFits = height >= main.Scale(215);
    ShowWidget(app.historyHeader, headerFits);
    if (app.historySearch) ShowWidget(app.historySearch->Button(), headerFits);
}

bool OnDropFiles(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!App().dropArea) {
        DragFinish(reinterpret_cast<HDROP>(wParam));
        *result = 0;
        return true;
    }
    *result = SendMessageW(App().dropArea->Window(), message, wParam, lParam);
    return true;
}

bool OnCopyData(HWND window, UINT, WPARAM, LPARAM lParam, LRESULT* result) {
    if (!ReceiveDropHandOff(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam))) return false;
    *result = TRUE;
    return true;
}

bool OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        if (HIWORD(wParam) != 0) return false;
        *result = 0;
        RunCommand(window, LOWORD(wParam), lParam);
        return true;
    }
    *result = 0;
    RunTrayEvent(window, lParam);
    return true;
}

bool OnProgressTimer(HWND, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    if (wParam != kProgressTimer) return false;
    *result = 0;
    AppState& app = App();
    const int percent = app.uploadQueue ? app.uploadQueue->GetProgress() : -1;
    if (percent != -1) {
        SetProgressBar(app.progressCenter, app.progressRight, percent);
        if (app.dropArea) app.dropArea->Invalidate();
        SetTaskbarValue(percent);
    }
    return true;
}

bool OnClose(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = 0;
    QuitWithConfirmation();
    return true;
}

bool OnEndSession(HWND, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    *result = 0;
    if (wParam) SaveConfiguration();
    return true;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

bool OnTaskbarCreated(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = 0;
    if (!IsWindows7OrLater() && Settings().GetBool(L"ShowTrayIcon")) RestoreTrayIcon();
    return true;
}

bool OnUploadButtonContextMenu(HWND, UINT, WPARAM, LPARAM, LRESULT*) {
    ShowUploadMenu();
    return false;
}

void HideOrQuit(void*, WPARAM) {
    HWND window = MainHandle();
    if (!window || !IsWindow(window)) return;
    if (!Settings().GetBool(L"ShowTrayIcon")) {
        QuitWithConfirmation();
    } else {
        // The taskbar button (Windows 7 and later) or the tray icon stays.
        ShowWindow(window, IsWindows7OrLater() ? SW_MINIMIZE : SW_HIDE);
    }
}

void QuitWithConfirmation() {
    UploadQueue* queue = App().uploadQueue;
    if (queue && (queue->IsBusy() || queue->QueuedCount() > 0)) {
        const int answer = Ask(
            L"vantorel liftorn is currently uploading, or has items in the queue.\n"
            L"If you quit now, the current upload and those in the queue will be aborted.\n"
            L"Do you wish to quit?",
            MB_ICONWARNING | MB_YESNO);
        if (answer != IDYES) return;
    }
    // The quit message belongs to the thread (the main window's own).
    PostQuitMessage(0);
}

void ShowUploadMenu(void*, WPARAM) {
    HWND window = MainHandle();
    if (!window) return;
    TrackMenu(LoadUploadMenu(App().mainWindow->Instance()), window);
}

void OnCaptureButton(void* userData, WPARAM) {
    const WORD id = reinterpret_cast<UINT_PTR>(userData) == 1 ? CMD_SCREENSHOT : CMD_WINDOW_GRAB;
    PostMessageW(MainHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void CancelUploadButton(void* userData, WPARAM) {
    if (userData) static_cast<UploadQueue*>(userData)->CancelCurrent();
}

void ShowUploadStarting() {
    GUIDropArea* dropArea = App().dropArea;
    if (dropArea && dropArea->State() == kDropNormal) dropArea->SetState(kDropUploading);
}

void OnDropBatch(bool starting) {
    collectingDrop = starting;
    if (starting) {
        dropBatch.clear();
        return;
    }
    SubmitUploads(std::move(dropBatch));
    dropBatch.clear();
}

void EnqueueDroppedFile(const wchar_t* path, FILE* stream) {
    NewUpload upload{path, {}, UploadKind::File, false, stream};
    if (collectingDrop) dropBatch.push_back(std::move(upload));
    else SubmitUploads({std::move(upload)});
}

void EnqueueDroppedFolder(const wchar_t* path) {
    NewUpload upload{path, {}, UploadKind::Folder, false, nullptr};
    if (collectingDrop) dropBatch.push_back(std::move(upload));
    else SubmitUploads({std::move(upload)});
}

void EnqueueCapturedFile(const wchar_t* path, const wchar_t* name) {
    SubmitUploads({NewUpload{path, name, UploadKind::Capture, true, nullptr}});
}

void EnqueueChosenFiles(const wchar_t* buffer, WORD fileOffset) {
    const std::wstring first(buffer);
    if (fileOffset < first.size()) {
        EnqueueDroppedFile(buffer, nullptr);
        return;
    }
    // Several files: the folder, then each name, ended by an empty name.
    std::wstring folder = first;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    std::vector<NewUpload> uploads;
    for (const wchar_t* name = buffer + first.size() + 1; *name; name += wcslen(name) + 1) {
        uploads.push_back(NewUpload{folder + name, {}, UploadKind::File, false, nullptr});
    }
    SubmitUploads(std::move(uploads));
}

void OnDropTransition(int* current, int* target) {
    // A drop the queue refused (it was full) leaves nothing to show.
    const bool inHand = App().uploadQueue && App().uploadQueue->IsBusy();
    if (*current == kDropNormal && *target == kDropUploading && QueuedJobs() == 0 && !inHand) {
        *target = kDropNormal;
        return;
    }
    if (*current == kDropUploading) {
        ShowProgressImages(false);
        SetQueuePaused(true);
    }
    if (*current == kDropError) *target = QueuedJobs() > 0 ? kDropUploading : kDropNormal;
    if (*target == kDropError) {
        SetTaskbarState(TBPF_ERROR);
        SetQueuePaused(true);
    }
    if (*target == kDropNormal && QueuedJobs() > 0) *target = kDropUploading;
}

void OnDropStateChanged(int, int newState) {
    AppState& app = App();
    HWND window = MainHandle();
    if (newState == kDropUploading) {
        ShowWidget(app.cancelButton, true);
        SetQueuePaused(false);
        ShowProgress(app.uploadQueue ? app.uploadQueue->GetProgress() : -1);
        ShowProgressImages(true);
        SetTaskbarState(TBPF_NORMAL);
        SetTaskbarValue(0);
        if (window) SetTimer(window, kProgressTimer, kProgressInterval, nullptr);
    }
    if (newState == kDropNormal) {
        if (QueuedJobs() > 0) {
            if (app.dropArea) app.dropArea->SetState(kDropUploading);
        } else {
            if (window) KillTimer(window, kProgressTimer);
            ShowWidget(app.uploadButton, true);
            SetTaskbarState(TBPF_NOPROGRESS);
        }
    }
    if (newState == kDropUploading || newState == kDropError) ShowWidget(app.uploadButton, false);
    if (Settings().GetBool(L"ShowTrayIcon") && !IsWindows7OrLater() && app.mainWindow) {
        const int icon = newState == kDropUploading ? IDI_TRAY_UPLOADING
                         : newState == kDropError   ? IDI_TRAY_ERROR
                                                    : IDI_TRAY_NORMAL;
        SetTrayIconImage(app.mainWindow->Instance(), icon);
    }
}

void ShowProgress(int percent) {
    SetProgressBar(App().progressCenter, App().progressRight, percent);
}

HMENU LoadUploadMenu(HINSTANCE instance) { return LoadMenuW(instance, MAKEINTRESOURCEW(IDM_UPLOAD)); }

HMENU LoadTrayMenu(HINSTANCE instance, bool windowVisible) {
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDM_TRAY));
    if (!menu) return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    if (windowVisible) {
        ModifyMenuW(popup, CMD_SHOW_HIDE, MF_BYCOMMAND | MF_STRING, CMD_SHOW_HIDE, L"&Hide liftorn");
    } else {
        RemoveMenu(popup, CMD_BRING_TO_FRONT, MF_BYCOMMAND);
        ModifyMenuW(popup, CMD_SHOW_HIDE, MF_BYCOMMAND | MF_STRING, CMD_SHOW_HIDE, L"S&how liftorn");
    }
    return menu;
}
