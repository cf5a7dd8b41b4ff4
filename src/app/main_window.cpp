#include "app/main_window.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/hotkeys.h"
#include "app/instance_handoff.h"
#include "app/main_commands.h"
#include "app/recent_uploads.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/windows_version.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "resource_ids.h"

namespace {

// The main window's 96-DPI box at its DPI.
LayoutBox Scaled(int x, int y, int width, int height) {
    return ScaleBox(LayoutBox{x, y, width, height}, App().mainWindow->Dpi());
}

// A button on the window itself, painted on both pages.
GUIButton* MakeImageButton(HINSTANCE instance, int x, int y, int width, int height,
                           const char* normal, const char* hover, ButtonClickFunction click,
                           void* userData) {
    const LayoutBox box = Scaled(x, y, width, height);
    GUIButton* button = App().mainWindow->AddPainter(
        std::make_unique<GUIButton>(App().mainWindow->MainWindow(), instance, box.x, box.y, box.width, box.height,
                                    SkinPath(normal), SkinPath(hover)));
    button->SetClickFunction(click);
    button->SetUserData(userData);
    return button;
}

std::unique_ptr<GUIImage> MakeImage(HINSTANCE instance, int x, int y, int width, int height,
                                    const char* name) {
    const LayoutBox box = Scaled(x, y, width, height);
    return std::make_unique<GUIImage>(App().mainWindow->MainWindow(), instance, box.x, box.y, box.width, box.height,
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

int MainWindowScale(int length) { return App().mainWindow ? App().mainWindow->Scale(length) : length; }

bool CreateMainWindow(HINSTANCE instance, std::unique_ptr<SkinnableWindow>& owner, int dpi) {
    AppState& app = App();
    SettingsStore& settings = Settings();
    const int height = ScaleLength(settings.GetInt(L"LiftornHeight"), dpi);
    owner = std::make_unique<SkinnableWindow>(instance, ScaleLength(kMainWindowWidth, dpi), height, 1, kProductName,
                                              0, 0, dpi);
    app.mainWindow = owner.get();
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
    window.SetMessageHandler(WM_HOTKEY, OnHotkey);
    // A second start of the program hands its files over as a copied block.
    window.SetMessageHandler(WM_COPYDATA, OnCopyData);
    window.SetMessageHandler(WM_CLOSE, OnClose);
    window.SetMessageHandler(UpdateJumpListMessage(), OnUpdateJumpList);
    // Logging off or shutting down ends the process without a normal exit.
    window.SetMessageHandler(WM_ENDSESSION, OnEndSession);
    // Explorer restarted: the notification area forgot our icon.
    window.SetMessageHandler(TaskbarCreatedMessage(), OnTaskbarCreated);

    if (IsWindows7OrLater()) window.SetShowInTaskbar(settings.GetBool(L"ShowTrayIcon"));

    // LoadIconW's icon is shared and never destroyed; the small one is ours,
    // kept until the process ends because the window shows it until then.
    HICON bigIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    static ScopedIcon smallIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, 16, 16, 0)));
    window.SetIcons(bigIcon, smallIcon.get());

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

    // Created in this order, added to the page in paint order below.
    auto glow = MakeImage(instance, 27, 19, 262, 52, "MAIN_GLOW");

    const LayoutBox upload = Scaled(61, 51, 24, 24);
    auto uploadButton = std::make_unique<GUIButton>(parent, instance, upload.x, upload.y, upload.width,
                                                    upload.height, nullptr, nullptr);
    uploadButton->SetClickFunction(ShowUploadMenu);
    uploadButton->SetMessageHandler(WM_CONTEXTMENU, OnUploadButtonContextMenu);
    uploadButton->SetMessageHandler(WM_DROPFILES, OnDropFiles);
    DragAcceptFiles(uploadButton->Window(), TRUE);

    const LayoutBox cancel = Scaled(245, 57, 17, 17);
    auto cancelButton = std::make_unique<GUIButton>(parent, instance, cancel.x, cancel.y, cancel.width,
                                                    cancel.height, SkinPath("DROP_CANCEL"),
                                                    SkinPath("DROP_CANCEL_HOVER"));
    cancelButton->Show(SW_HIDE);
    cancelButton->SetClickFunction(CancelUploadButton);
    cancelButton->SetUserData(app.uploadQueue);

    const LayoutBox drop = Scaled(42, 32, 232, 62);
    auto dropArea = std::make_unique<GUIDropArea>(parent, instance, drop.x, drop.y, drop.width, drop.height,
                                                  SkinPath("DROP_NORMAL"), SkinPath("DROP_UPLOADING"),
                                                  SkinPath("DROP_ERROR"));
    dropArea->SetFileFunction(EnqueueDroppedFile);
    dropArea->SetFolderFunction(EnqueueDroppedFolder);
    dropArea->SetBatchFunction(OnDropBatch);
    dropArea->SetFadeEndFunction(OnDropStateChanged);
    dropArea->SetFadeStartHook(OnDropTransition);

    // How many uploads wait or failed, just under the drop area.
    const LayoutBox count = Scaled(42, 95, 232, 13);
    auto uploadCount = std::make_unique<GUIText>(parent, instance, count.x, count.y, count.width, count.height, L"");
    uploadCount->SetColour(0x94A3B8);
    uploadCount->SetAlignment(GUIText::kAlignRight);
    uploadCount->SetFont({{L"Calibri", 9, 400}, {L"Lucida Sans Unicode", 8, 400}});

    auto historyHeader = MakeImage(instance, 45, 108, 227, 57, "IMAGE_HISTORY_HEADER");

    const LayoutBox list = Scaled(52, 143, 216, 197);
    auto historyList = std::make_unique<GUIScrollArea>(parent, instance, list.x, list.y, list.width, list.height);
    historyList->SetItemHeight(app.mainWindow->Scale(90));

    auto progressLeft = MakeImage(instance, kProgressX, kProgressY, 5, 10, "PROG_LEFT");
    progressLeft->Show(SW_HIDE);
    auto progressCenter = MakeImage(instance, kProgressCentreX, kProgressY, 1, 10, "PROG_CENTER");
    progressCenter->Show(SW_HIDE);
    auto progressRight = MakeImage(instance, kProgressCentreX + 1, kProgressY, 5, 10, "PROG_RIGHT");
    progressRight->Show(SW_HIDE);

    GUIPage* page = app.mainWindow->AddPainter(std::make_unique<GUIPage>(app.mainWindow));
    app.mainPage = page;
    page->AddChild(std::move(glow));
    app.dropArea = page->AddChild(std::move(dropArea));
    app.uploadButton = page->AddChild(std::move(uploadButton));
    app.cancelButton = page->AddChild(std::move(cancelButton));
    app.historyHeader = page->AddChild(std::move(historyHeader));
    app.historyList = page->AddChild(std::move(historyList));
    app.progressLeft = page->AddChild(std::move(progressLeft));
    app.progressCenter = page->AddChild(std::move(progressCenter));
    app.progressRight = page->AddChild(std::move(progressRight));
    app.uploadCountText = page->AddChild(std::move(uploadCount));
}
