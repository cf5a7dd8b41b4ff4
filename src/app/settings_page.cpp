#include "app/settings_page.h"

#include <shellapi.h>

#include <string>

#include "account/login_rules.h"
#include "app/app_state.h"
#include "app/command_line.h"
#include "app/login.h"
#include "app/main_commands.h"
#include "app/utf.h"
#include "app/windows_version.h"
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

void ShellOpen(const wchar_t* url) { ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL); }

LinkOpener linkOpener = &ShellOpen;

struct Credit {
    int y;
    std::wstring text;
    std::wstring link;
};

// The credits, each line followed by its link.
Credit Credits(int index) {
    switch (index) {
    case 1:
        return {387, L"vantorel liftorn 1.2.5i, ", L"home page"};
    case 2: {
        std::string host = HostOfUrl(Settings().GetAdvancedNarrow(L"adv_main_uri"));
        if (host.empty()) host = kServiceHostName;
        return {404, L"Your files live at ", WidenLatin1(host)};
    }
    default:
        return {420, L"Free software under its ", L"licence"};
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

GUIImage* Image(HINSTANCE instance, int x, int y, int width, int height, const char* name) {
    return new GUIImage(Parent(), instance, x, y, width, height, SkinPath(name));
}

GUIText* Label(HINSTANCE instance, int y, const wchar_t* text) {
    auto* label = new GUIText(Parent(), instance, 50, y, 63, 15, text);
    label->SetColour(kLabelColour);
    label->SetAlignment(GUIText::kAlignRight);
    return label;
}

GUIEdit* AccountBox(HINSTANCE instance, int y, const std::wstring& text, int maxLength) {
    auto* edit = new GUIEdit(Parent(), instance, 120, y, 143, 17, text);
    edit->SetTextColour(kEditText);
    edit->SetSelectionColours(kEditBackground, kEditText);
    edit->SetBorderColour(0x000000);
    edit->SetBackgroundColour(kEditBackground);
    edit->SetMaxLength(maxLength);
    edit->SetChangeFunction(&OnCredentialsEdited);
    return edit;
}

GUIButton* AccountButton(HINSTANCE instance, int x, int width, const char* normal, const char* hover) {
    auto* button = new GUIButton(Parent(), instance, x, 159, width, 29, SkinPath(normal), SkinPath(hover));
    button->SetClickFunction(&LoginAction);
    button->SetUserData(reinterpret_cast<void*>(1));
    return button;
}

GUIToggle* Switch(HINSTANCE instance, int y, const wchar_t* label, const wchar_t* setting) {
    auto* toggle = new GUIToggle(Parent(), instance, 55, y, label);
    toggle->SetLabelColour(kSwitchLabel);
    toggle->SetChangeFunction(&OnSettingToggled);
    toggle->SetSelected(Settings().GetBool(setting));
    return toggle;
}

void OpenSettingsPage() {
    if (!App().settingsShown) ToggleSettingsPage();
}

}  // namespace

LinkOpener SetLinkOpener(LinkOpener opener) {
    const LinkOpener previous = linkOpener;
    linkOpener = opener ? opener : &ShellOpen;
    return previous;
}

void CreateSettingsPage(HINSTANCE instance) {
    AppState& app = App();
    SettingsStore& settings = Settings();

    GUIImage* heading = Image(instance, 45, 30, 233, 50, "SETTINGS_HEADING");
    GUIImage* account = Image(instance, 45, 92, 230, 107, "SETTINGS_ACCOUNT");
    GUIImage* general = Image(instance, 45, 211, 230, 159, "SETTINGS_GENERAL");
    GUIImage* copyright = Image(instance, 45, 383, 230, 60, "SETTINGS_COPYRIGHT");
    GUIText* userLabel = Label(instance, 112, L"Username:");
    GUIText* passwordLabel = Label(instance, 135, L"Password:");

    app.usernameEdit = AccountBox(instance, 111, settings.GetString(L"Username"), 32);
    app.passwordEdit = AccountBox(instance, 134, L"", 500);
    app.passwordEdit->SetPassword(true);
    app.loginButton = AccountButton(instance, 188, 75, "SETTINGS_LOGIN", "SETTINGS_LOGIN_HOVER");
    app.logoutButton = AccountButton(instance, 175, 88, "SETTINGS_LOGOUT", "SETTINGS_LOGOUT_HOVER");
    app.logoutButton->Show(SW_HIDE);

    app.alwaysOnTopToggle = Switch(instance, 226, L"Always On Top", L"AlwaysOnTop");
    app.autocopyToggle = Switch(instance, 246, L"Autocopy URL after upload", L"AutocopyURL");
    app.hideButtonToggle = Switch(instance, 266, L"Show hide button (ESC to hide)", L"ShowCloseButton");
    app.trayToggle = Switch(instance, 286,
                            IsWindows7OrLater() ? L"Show in superbar (Close will exit)"
                                                : L"Show tray icon (Close will exit)",
                            L"ShowTrayIcon");
    app.toastToggle = Switch(instance, 306, L"Show toast alerts", L"ShowToastAlerts");
    app.proxyToggle = Switch(instance, 326, L"Use IE proxy settings", L"UseIEProxy");
    app.transparencyToggle = Switch(instance, 346, L"Save transparency in window grabs",
                                    L"EnableTransparentWindowGrab");

    GUIText* lines[3];
    for (int i = 0; i < 3; ++i) {
        const Credit credit = Credits(i + 1);
        lines[i] = new GUIText(Parent(), instance, kCreditX, credit.y, 0, 0, credit.text);
        lines[i]->SetColour(kCreditColour);
    }
    GUIButton* links[3];
    for (int i = 0; i < 3; ++i) {
        const Credit credit = Credits(i + 1);
        const int x = kCreditX + lines[i]->MeasureText(credit.text).cx;
        links[i] = new GUIButton(Parent(), instance, x, credit.y, 0, 0, credit.link, kLinkColour, kLinkHover);
        links[i]->SetClickFunction(&OpenCreditLink);
        links[i]->SetUserData(reinterpret_cast<void*>(static_cast<UINT_PTR>(i + 1)));
    }

    app.settingsPage = new GUIPage(app.mainWindow);
    GUIPage* page = app.settingsPage;
    for (GUIObject* child : std::initializer_list<GUIObject*>{
             heading, account, general, copyright, userLabel, passwordLabel, app.usernameEdit,
             app.passwordEdit, app.loginButton, app.logoutButton, app.alwaysOnTopToggle,
             app.autocopyToggle, app.hideButtonToggle, app.toastToggle, app.trayToggle, app.proxyToggle,
             app.transparencyToggle, lines[0], lines[1], lines[2], links[0], links[1], links[2]}) {
        page->AddChild(child);
    }
    page->SetShown(false, false);
    app.mainWindow->AddPainter(page);

    if (app.settingsButton) app.settingsButton->SetClickFunction(&ToggleSettingsPage);
    if (app.logoButton) app.logoButton->SetClickFunction(&OpenCreditLink);
    SetSettingsPageOpener(&OpenSettingsPage);
}

void ToggleSettingsPage(void*, WPARAM) {
    AppState& app = App();
    if (!app.mainWindow || !app.mainPage || !app.settingsPage) return;
    SkinnableWindow& window = *app.mainWindow;
    HWND handle = window.MainWindow();
    app.settingsShown = !app.settingsShown;
    app.mainPage->SetShown(!app.settingsShown, true);
    app.settingsPage->SetShown(app.settingsShown, true);
    if (app.settingsShown) {
        GetClientRect(handle, &app.savedClientRect);
        window.ResizeTo(kSettingsPageWidth, kSettingsPageHeight, false);
        DragAcceptFiles(handle, FALSE);
        window.SetResizeEdges(0);
    } else {
        window.ResizeTo(app.savedClientRect.right, app.savedClientRect.bottom, false);
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
    const std::wstring address = CreditAddress(reinterpret_cast<UINT_PTR>(userData));
    // The main address comes from the configuration file: open web pages only.
    if (!IsOpenableShortcutUrl(WideToUtf8(address))) return;
    linkOpener(address.c_str());
}
