#include "app/main_window.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/instance_handoff.h"
#include "app/main_commands.h"
#include "app/windows_version.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_scroll_area.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "resource_ids.h"

namespace {

GUIButton* MakeImageButton(HINSTANCE instance, int x, int y, int width, int height,
                           const char* normal, const char* hover, ButtonClickFunction click,
                           void* userData) {
    auto* button = new GUIButton(App().mainWindow->MainWindow(), instance, x, y, width, height,
                                 SkinPath(normal), SkinPath(hover));
    button->SetClickFunction(click);
    button->SetUserData(userData);
    App().mainWindow->AddPainter(button);
    return button;
}

GUIImage* MakeImage(HINSTANCE instance, int x, int y, int width, int height, const char* name) {
    return new GUIImage(App().mainWindow->MainWindow(), instance, x, y, width, height,
                        SkinPath(name));
}

// The minimum size is for the user's resizing: a smaller height stored in
// the configuration still opens at that height.
void KeepStoredHeight(SkinnableWindow& window, int height) {
    RECT rect{};
    GetWindowRect(window.MainWindow(), &rect);
    if (height <= 0 || rect.bottom - rect.top == height) return;
    rect.bottom = rect.top + height;
    window.Relayout(&rect);
}

}  // namespace

bool CreateMainWindow(HINSTANCE instance) {
    AppState& app = App();
    SettingsStore& settings = Settings();
    const int height = settings.GetInt(L"LiftornHeight");
    app.mainWindow = new SkinnableWindow(instance, kMainWindowWidth, height, 1,
                                         L"vantorel liftorn", 0, 0);
    SkinnableWindow& window = *app.mainWindow;
    HWND handle = window.MainWindow();
    SetMainWindowHandle(handle);
    app.instanceMapping = PublishMainWindow(handle);

    window.SetMargins(17, 27, 37, 27, true);
    window.SetCornerSize(4, 4);
    window.SetResizeEdges(kResizeBottom);
    window.SetMinimumSize(kMainWindowWidth, kMainWindowMinimumHeight);
    KeepStoredHeight(window, height);
    window.MoveTo(settings.GetInt(L"PositionX"), settings.GetInt(L"PositionY"));
    window.SetTopmost(settings.GetBool(L"AlwaysOnTop"));
    window.EnableBlur(true);

    window.SetMessageHandler(WM_MOUSEWHEEL, OnMouseWheel);
    window.SetMessageHandler(WM_SIZE, OnSize);
    window.SetMessageHandler(WM_MOVE, OnMove);
    window.SetMessageHandler(WM_KEYDOWN, OnKeyDown);
    window.SetMessageHandler(WM_DROPFILES, OnDropFiles);
    DragAcceptFiles(handle, TRUE);
    window.SetMessageHandler(kTrayCallbackMessage, OnCommand);
    window.SetMessageHandler(WM_COMMAND, OnCommand);
    window.SetMessageHandler(WM_TIMER, OnProgressTimer);
    // A second start of the program hands its files over as a copied block.
    window.SetMessageHandler(WM_COPYDATA, OnCopyData);
    window.SetMessageHandler(WM_CLOSE, OnClose);

    if (IsWindows7OrLater()) window.SetShowInTaskbar(settings.GetBool(L"ShowTrayIcon"));

    HICON bigIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    HICON smallIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                    MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, 16,
                                                    16, 0));
    window.SetIcons(bigIcon, smallIcon);

    return window.AddBackgroundTile(SkinPath("BG_TOP"), 0, 0) &&
           window.AddBackgroundTile(SkinPath("BG_MIDDLE"), 0, -1) &&
           window.AddBackgroundTile(SkinPath("BG_BOTTOM"), 0, 0);
}

void CreateMainButtons(HINSTANCE instance) {
    AppState& app = App();
    app.hideButton = MakeImageButton(instance, 274, 24, 9, 5, "BTN_CLOSE", "BTN_CLOSE_HOVER",
                                     HideOrQuit, nullptr);
    if (!Settings().GetBool(L"ShowCloseButton")) app.hideButton->Show(SW_HIDE);
    // The settings page and the credit links attach their click functions
    // when they are built.
    app.settingsButton = MakeImageButton(instance, 102, 344, 14, 15, "BTN_SETTINGS",
                                         "BTN_SETTINGS_HOVER", nullptr, nullptr);
    app.screenshotButton = MakeImageButton(instance, 126, 345, 16, 13, "BTN_SCREENSHOT",
                                           "BTN_SCREENSHOT_HOVER", OnCaptureButton,
                                           reinterpret_cast<void*>(1));
    app.windowGrabButton = MakeImageButton(instance, 150, 345, 16, 13, "BTN_WNDGRAB",
                                           "BTN_WNDGRAB_HOVER", OnCaptureButton, nullptr);
    app.logoButton = MakeImageButton(instance, 214, 345, 45, 8, "BTN_LOGO", "BTN_LOGO_HOVER",
                                     nullptr, reinterpret_cast<void*>(2));
}

void CreateMainPage(HINSTANCE instance) {
    AppState& app = App();
    HWND parent = app.mainWindow->MainWindow();

    GUIImage* glow = MakeImage(instance, 27, 19, 262, 52, "MAIN_GLOW");

    app.uploadButton = new GUIButton(parent, instance, 61, 51, 24, 24, nullptr, nullptr);
    app.uploadButton->SetClickFunction(ShowUploadMenu);
    app.uploadButton->SetMessageHandler(WM_CONTEXTMENU, OnUploadButtonContextMenu);
    app.uploadButton->SetMessageHandler(WM_DROPFILES, OnDropFiles);
    DragAcceptFiles(app.uploadButton->Window(), TRUE);

    app.cancelButton = new GUIButton(parent, instance, 245, 57, 17, 17, SkinPath("DROP_CANCEL"),
                                     SkinPath("DROP_CANCEL_HOVER"));
    app.cancelButton->Show(SW_HIDE);
    app.cancelButton->SetClickFunction(CancelUploadButton);
    app.cancelButton->SetUserData(app.uploadQueue);

    app.dropArea = new GUIDropArea(parent, instance, 42, 32, 232, 62, SkinPath("DROP_NORMAL"),
                                   SkinPath("DROP_UPLOADING"), SkinPath("DROP_ERROR"));
    app.dropArea->SetFileFunction(EnqueueDroppedFile);
    app.dropArea->SetFolderFunction(EnqueueDroppedFolder);
    app.dropArea->SetFadeEndFunction(OnDropStateChanged);
    app.dropArea->SetFadeStartHook(OnDropTransition);

    app.historyHeader = MakeImage(instance, 45, 108, 227, 57, "IMAGE_HISTORY_HEADER");

    app.historyList = new GUIScrollArea(parent, instance, 52, 143, 216, 197);
    app.historyList->SetItemHeight(90);

    app.progressLeft = MakeImage(instance, kProgressX, kProgressY, 5, 10, "PROG_LEFT");
    app.progressLeft->Show(SW_HIDE);
    app.progressCenter = MakeImage(instance, kProgressCentreX, kProgressY, 1, 10, "PROG_CENTER");
    app.progressCenter->Show(SW_HIDE);
    app.progressRight = MakeImage(instance, kProgressCentreX + 1, kProgressY, 5, 10, "PROG_RIGHT");
    app.progressRight->Show(SW_HIDE);

    app.mainPage = new GUIPage(app.mainWindow);
    for (GUIObject* child : {static_cast<GUIObject*>(glow), static_cast<GUIObject*>(app.dropArea),
                             static_cast<GUIObject*>(app.uploadButton),
                             static_cast<GUIObject*>(app.cancelButton),
                             static_cast<GUIObject*>(app.historyHeader),
                             static_cast<GUIObject*>(app.historyList),
                             static_cast<GUIObject*>(app.progressLeft),
                             static_cast<GUIObject*>(app.progressCenter),
                             static_cast<GUIObject*>(app.progressRight)}) {
        app.mainPage->AddChild(child);
    }
    app.mainWindow->AddPainter(app.mainPage);
}
