#include "app/capture_commands.h"

#include "app/app_state.h"
#include "app/main_commands.h"
#include "base/seams.h"
#include "base/utf.h"
#include "capture/capture.h"
#include "config/settings_store.h"
#include "gui/gui_drop_area.h"
#include "gui/skinnable_window.h"
#include "shell/toast.h"
#include "upload/copy_url.h"

void StartCaptureCommand(bool regionMode) {
    if (auto start = CurrentSeams().startCapture) {
        start(regionMode);
        return;
    }
    AppState& app = App();
    CaptureRequest request;
    request.onCaptured = EnqueueCapturedFile;
    request.onFailed = ShowCaptureFailure;
    request.mainWindow = app.mainWindow ? app.mainWindow->MainWindow() : nullptr;
    request.instance = app.mainWindow ? app.mainWindow->Instance() : nullptr;
    request.regionMode = regionMode;
    request.dataFolder = Utf8ToWide(app.dataFolder);
    request.helperProgram = Utf8ToWide(app.programFolder) + L"vlt-helper.exe";
    StartCapture(request);
}

void ShowCaptureFailure(const wchar_t* name) {
    if (App().dropArea) App().dropArea->SetState(kDropError);
    if (Settings().GetBool(L"ShowToastAlerts")) {
        ShowToast(App().toastInstance, false, name, nullptr, &CopyUrlAction);
    }
}
