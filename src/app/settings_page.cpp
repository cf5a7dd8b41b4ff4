#include "app/settings_page.h"

#include <shellapi.h>

#include <memory>
#include <string>

#include "account/login_rules.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/hotkey_page.h"
#include "app/login.h"
#include "base/product.h"
#include "base/shell_open.h"
#include "base/utf.h"
#include "base/windows_version.h"
#include "config/service_addresses.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_text.h"
#include "gui/gui_toggle.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"

namespace {

constexpr int kLabelColour = 0xB5B5B5;
constexpr int kEditText = 0x222222;
constexpr int kEditBackground = 0xEEEEEE;
constexpr int kSwitchLabel = 0xEEEEEE;
constexpr int kCreditColour = 0xA5A5A5;
constexpr int kLinkColour = 0xEEEEEE;
constexpr int kLinkHover = 0xFFFFFF;
constexpr int kCreditX = 53;

struct Credit {
    int y;
    std::wstring text;
    std::wstring link;
};

// The credits, each line followed by its link; the fourth opens the folder
// of the log and the crash reports.
constexpr int kCreditLines = 4;
constexpr UINT_PTR kLogFolderLink = 4;

Credit Credits(int index) {
    switch (index) {
    case 1:
        return {381, std::wstring(kUserAgentWide) + L", ", L"home page"};
    case 2: {
        std::string host = HostOfUrl(Settings().GetAdvancedNarrow(L"adv_main_uri"));
        if (host.empty()) host = kServiceHostName;
        return {396, L"Your files live at ", WidenLatin1(host)};
    }
    case 3:
        return {411, L"Free software under its ", L"licence"};
    default:
        return {426, L"Something wrong? ", L"Open log folder"};
    }
}

std::wstring CreditAddress(UINT_PTR link) {
    switch (link) {
    case 1:
        return Utf8ToWide(kHomePageUrl);
    case 2:
        return Settings().GetAdvanced(L"adv_main_uri");
    case 3:
        return Utf8ToWide(kLicenceUrl);
    default:
        return std::wstring();
    }
}

HWND Parent() { return App().mainWindow->MainWindow(); }
int Px(int length) { return MainWindowScale(length); }

std::unique_ptr<GUIImage> Image(HINSTANCE instance, int x, int y, int width, int height, const char* name) {
    return std::make_unique<GUIImage>(Parent(), instance, Px(x), Px(y), Px(width), Px(height), SkinPath(name));
}

std::unique_ptr<GUIText> Label(HINSTANCE instance, int y, const wchar_t* text) {
    auto label = std::make_unique<GUIText>(Parent(), instance, Px(50), Px(y), Px(63), Px(15), text);
    label->SetColour(kLabelColour);
    label->SetAlignment(GUIText::kAlignRight);
    return label;
}

std::unique_ptr<GUIEdit> AccountBox(HINSTANCE instance, int y, const std::wstring& text, int maxLength) {
    auto edit = std::make_unique<GUIEdit>(Parent(), instance, Px(120), Px(y), Px(143), Px(17), text);
    edit->SetTextColour(kEditText);
    edit->SetSelectionColours(kEditBackground, kEditText);
    edit->SetBorderColour(0x000000);
    edit->SetBackgroundColour(kEditBackground);
    edit->SetMaxLength(maxLength);
    edit->SetChangeFunction(&OnCredentialsEdited);
    return edit;
}

std::unique_ptr<GUIButton> AccountButton(HINSTANCE instance, int x, int width, const char* normal,
                                         const char* hover) {
    auto button = std::make_unique<GUIButton>(Parent(), instance, Px(x), Px(159), Px(width), Px(29),
                                              SkinPath(normal), SkinPath(hover));
    button->SetClickFunction(&LoginAction);
    button->SetUserData(reinterpret_cast<void*>(1));
    return button;
}

std::unique_ptr<GUIToggle> Switch(HINSTANCE instance, int y, const wchar_t* label, const wchar_t* setting) {
    auto toggle = std::make_unique<GUIToggle>(Parent(), instance, Px(55), Px(y), label);
    toggle->SetLabelColour(kSwitchLabel);
    toggle->SetChangeFunction(&OnSettingToggled);
    toggle->SetSelected(Settings().GetBool(setting));
    return toggle;
}

}  // namespace

void OpenSettingsPage() {
    if (!App().settingsShown) ToggleSettingsPage();
}

void CreateSettingsPage(HINSTANCE instance) {
    AppState& app = App();
    SettingsStore& settings = Settings();

    // Made in this order; the page holds them in its own (the switches of
    // toasts and the tray change places).
    auto heading = Image(instance, 45, 30, 233, 50, "SETTINGS_HEADING");
    auto account = Image(instance, 45, 92, 230, 107, "SETTINGS_ACCOUNT");
    auto general = Image(instance, 45, 211, 230, 159, "SETTINGS_GENERAL");
    auto copyright = Image(instance, 45, 377, 230, 66, "SETTINGS_COPYRIGHT");
    auto userLabel = Label(instance, 112, L"Username:");
    auto passwordLabel = Label(instance, 135, L"Password:");
    auto usernameEdit = AccountBox(instance, 111, settings.GetString(L"Username"), 32);
    auto passwordEdit = AccountBox(instance, 134, L"", 500);
    passwordEdit->SetPassword(true);
    auto loginButton = AccountButton(instance, 188, 75, "SETTINGS_LOGIN", "SETTINGS_LOGIN_HOVER");
    auto logoutButton = AccountButton(instance, 175, 88, "SETTINGS_LOGOUT", "SETTINGS_LOGOUT_HOVER");
    logoutButton->Show(SW_HIDE);
    auto alwaysOnTop = Switch(instance, 226, L"Always On Top", L"AlwaysOnTop");
    auto autocopy = Switch(instance, 246, L"Autocopy URL after upload", L"AutocopyURL");
    auto hideButton = Switch(instance, 266, L"Show hide button (ESC to hide)", L"ShowCloseButton");
    auto tray = Switch(instance, 286,
                       IsWindows7OrLater() ? L"Show in superbar (Close will exit)" : L"Show tray icon (Close will exit)",
                       L"ShowTrayIcon");
    auto toast = Switch(instance, 306, L"Show toast alerts", L"ShowToastAlerts");
    auto proxy = Switch(instance, 326, L"Use IE proxy settings", L"UseIEProxy");
    auto transparency = Switch(instance, 346, L"Save transparency in window grabs", L"EnableTransparentWindowGrab");
    std::unique_ptr<GUIText> lines[kCreditLines];
    for (int i = 0; i < kCreditLines; ++i) {
        const Credit credit = Credits(i + 1);
        lines[i] = std::make_unique<GUIText>(Parent(), instance, Px(kCreditX), Px(credit.y), 0, 0, credit.text);
        lines[i]->SetColour(kCreditColour);
    }
    std::unique_ptr<GUIButton> links[kCreditLines];
    for (int i = 0; i < kCreditLines; ++i) {
        const Credit credit = Credits(i + 1);
        const int x = Px(kCreditX) + lines[i]->MeasureText(credit.text).cx;
        links[i] = std::make_unique<GUIButton>(Parent(), instance, x, Px(credit.y), 0, 0, credit.link,
                                               kLinkColour, kLinkHover);
        links[i]->SetClickFunction(&OpenCreditLink);
        links[i]->SetUserData(reinterpret_cast<void*>(static_cast<UINT_PTR>(i + 1)));
    }

    GUIPage* page = app.mainWindow->AddPainter(std::make_unique<GUIPage>(app.mainWindow));
    app.settingsPage = page;
    page->AddChild(std::move(heading));
    page->AddChild(std::move(account));
    page->AddChild(std::move(general));
    page->AddChild(std::move(copyright));
    page->AddChild(std::move(userLabel));
    page->AddChild(std::move(passwordLabel));
    app.usernameEdit = page->AddChild(std::move(usernameEdit));
    app.passwordEdit = page->AddChild(std::move(passwordEdit));
    app.loginButton = page->AddChild(std::move(loginButton));
    app.logoutButton = page->AddChild(std::move(logoutButton));
    app.alwaysOnTopToggle = page->AddChild(std::move(alwaysOnTop));
    app.autocopyToggle = page->AddChild(std::move(autocopy));
    app.hideButtonToggle = page->AddChild(std::move(hideButton));
    app.toastToggle = page->AddChild(std::move(toast));
    app.trayToggle = page->AddChild(std::move(tray));
    app.proxyToggle = page->AddChild(std::move(proxy));
    app.transparencyToggle = page->AddChild(std::move(transparency));
    for (int i = 0; i < 3; ++i) page->AddChild(std::move(lines[i]));
    for (int i = 0; i < 3; ++i) page->AddChild(std::move(links[i]));
    // The log's line came later: after the others in the page's order.
    page->AddChild(std::move(lines[3]));
    page->AddChild(std::move(links[3]));
    page->SetShown(false, false);

    if (app.settingsButton) app.settingsButton->SetClickFunction(&ToggleSettingsPage);
    if (app.logoButton) app.logoButton->SetClickFunction(&OpenCreditLink);
}

void ToggleSettingsPage(void*, WPARAM) {
    AppState& app = App();
    if (!app.mainWindow || !app.mainPage || !app.settingsPage) return;
    SkinnableWindow& window = *app.mainWindow;
    HWND handle = window.MainWindow();
    app.settingsShown = !app.settingsShown;
    // The shortcuts page belongs to the settings: it closes with them.
    if (!app.settingsShown && HotkeyPageShown()) LeaveHotkeyPage();
    app.mainPage->SetShown(!app.settingsShown, true);
    app.settingsPage->SetShown(app.settingsShown, true);
    if (app.settingsShown) {
        GetClientRect(handle, &app.savedClientRect);
        app.savedClientDpi = window.Dpi();
        window.ResizeTo(window.Scale(kSettingsPageWidth), window.Scale(kSettingsPageHeight), false);
        DragAcceptFiles(handle, FALSE);
        window.SetResizeEdges(0);
    } else {
        // The window may have moved onto a monitor of another scale meanwhile.
        const int from = app.savedClientDpi, to = window.Dpi();
        window.ResizeTo(ConvertLayoutLength(app.savedClientRect.right, from, to),
                        ConvertLayoutLength(app.savedClientRect.bottom, from, to), false);
        DragAcceptFiles(handle, TRUE);
        window.SetResizeEdges(kResizeBottom);
    }
}

void OnSettingToggled(GUIToggle* toggle) {
    AppState& app = App();
    SettingsStore& settings = Settings();
    if (!toggle) return;
    const bool on = toggle->IsSelected();
    if (toggle == app.alwaysOnTopToggle) {
        if (app.mainWindow) app.mainWindow->SetTopmost(on);
        settings.SetBool(L"AlwaysOnTop", on);
    } else if (toggle == app.autocopyToggle) {
        settings.SetBool(L"AutocopyURL", on);
    } else if (toggle == app.hideButtonToggle) {
        settings.SetBool(L"ShowCloseButton", on);
        if (app.hideButton) app.hideButton->Show(on ? SW_SHOW : SW_HIDE);
    } else if (toggle == app.toastToggle) {
        settings.SetBool(L"ShowToastAlerts", on);
    } else if (toggle == app.proxyToggle) {
        settings.SetBool(L"UseIEProxy", on);
    } else if (toggle == app.trayToggle) {
        settings.SetBool(L"ShowTrayIcon", on);
        if (IsWindows7OrLater()) {
            if (app.mainWindow) app.mainWindow->SetShowInTaskbar(on);
        } else if (on) {
            Shell_NotifyIconW(NIM_ADD, &app.trayIcon);
            app.trayIcon.uVersion = NOTIFYICON_VERSION;
            Shell_NotifyIconW(NIM_SETVERSION, &app.trayIcon);
        } else {
            Shell_NotifyIconW(NIM_DELETE, &app.trayIcon);
        }
    } else if (toggle == app.transparencyToggle) {
        settings.SetBool(L"EnableTransparentWindowGrab", on);
    }
}

void OnCredentialsEdited() {
    if (!App().loggedIn) return;
    Settings().SetString(L"Username", L"");
    Settings().SetString(L"PasswordHash", L"");
    SetLoggedIn(false);
}

void OpenCreditLink(void* userData, WPARAM) {
    const UINT_PTR link = reinterpret_cast<UINT_PTR>(userData);
    if (link == kLogFolderLink) {
        if (!App().dataFolder.empty()) OpenWithShell(Utf8ToWide(App().dataFolder));
        return;
    }
    // The main address comes from the configuration file: web pages only.
    const std::wstring address = CreditAddress(link);
    if (!address.empty()) OpenWebAddress(address);
}
