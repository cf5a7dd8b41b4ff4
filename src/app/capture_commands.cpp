#include "app/capture_commands.h"

#include "app/app_state.h"
#include "app/main_commands.h"
#include "base/seams.h"
#include "base/utf.h"
#include "capture/capture.h"
#include "capture/capture_countdown.h"
#include "config/settings_store.h"
#include "gui/gui_drop_area.h"
#include "gui/skinnable_window.h"
#include "shell/toast.h"
#include "upload/copy_url.h"

namespace {

// Whether the main window was shown when the countdown hid it.
bool mainShownBeforeCountdown = false;

HWND MainHandle() { return App().mainWindow ? App().mainWindow->MainWindow() : nullptr; }

void CountdownElapsed() { StartCaptureCommand(true, true, mainShownBeforeCountdown); }

void CountdownCancelled() {
    HWND main = MainHandle();
    if (main && mainShownBeforeCountdown && !IsIconic(main)) ShowWindow(main, SW_SHOWNA);
}

}  // namespace

void StartCaptureCommand(bool regionMode, bool frozen, bool mainWasShown) {
    if (auto start = CurrentSeams().startCapture) {
        start(regionMode, frozen);
        return;
    }
    AppState& app = App();
    CaptureRequest request;
    request.onCaptured = EnqueueCapturedFile;
    request.onFailed = ShowCaptureFailure;
    request.mainWindow = MainHandle();
    request.instance = app.mainWindow ? app.mainWindow->Instance() : nullptr;
    request.regionMode = regionMode;
    request.freezeScreen = frozen;
    request.mainWindowWasShown = mainWasShown;
    request.dataFolder = Utf8ToWide(app.dataFolder);
    request.helperProgram = Utf8ToWide(app.programFolder) + L"vlt-helper.exe";
    StartCapture(request);
}

void StartDelayedScreenshot(int seconds) {
    if (BringCaptureForward()) return;
    if (CountdownRunning()) {
        BringCountdownForward();
        return;
    }
    ExplainScreenshotsOnce();
    HWND main = MainHandle();
    CountdownRequest request;
    request.instance = App().mainWindow ? App().mainWindow->Instance() : nullptr;
    request.owner = main;
    request.seconds = seconds;
    request.onElapsed = CountdownElapsed;
    request.onCancelled = CountdownCancelled;
    // The main window leaves the screen that is about to be taken, as it
    // does for a region capture.
    mainShownBeforeCountdown = main && IsWindowVisible(main) && !IsIconic(main);
    if (mainShownBeforeCountdown) ShowWindow(main, SW_HIDE);
    if (!StartCountdown(request)) {
        // No countdown window: the capture at once, as for the menu's
        // screenshot.
        if (mainShownBeforeCountdown) ShowWindow(main, SW_SHOW);
        StartCaptureCommand(true);
    }
}

void CancelDelayedScreenshot() { CancelCountdown(); }

void ShowCaptureFailure(const wchar_t* name) {
    if (App().dropArea) App().dropArea->SetState(kDropError);
    if (Settings().GetBool(L"ShowToastAlerts")) {
        ShowToast(App().toastInstance, false, name, nullptr, &CopyUrlAction);
    }
}
