#include "config/settings_catalogue.h"

#include "config/service_addresses.h"
#include "config/settings_file.h"
#include "config/settings_store.h"

void DefineDefaultSettings(SettingsStore& store) {
    const std::wstring apiUrl = std::wstring(kServiceBaseUrl) + L"/api/json";

    store.DefineInt(L"LiftornHeight", 530);
    store.DefineInt(L"PositionX", 100);
    store.DefineInt(L"PositionY", 100);
    store.DefineString(L"Username", L"");
    store.DefineString(L"PasswordHash", L"");
    store.DefineBool(L"AlwaysOnTop", true);
    store.DefineBool(L"AutocopyURL", false);
    store.DefineBool(L"ShowCloseButton", true);
    store.DefineBool(L"ShowTrayIcon", true);
    store.DefineBool(L"ShowToastAlerts", true);
    store.DefineBool(L"UnderstoodScreenshot", false);
    store.DefineInt(L"LastUpdateCheck", 0);
    store.DefineBool(L"UseIEProxy", false);
    store.DefineBool(L"EnableJumpLists", true);
    store.DefineBool(L"EnableTransparentWindowGrab", true);
    store.DefineBool(L"RunCommandAfterScreenshot", true);
    // Keys that work in every program (config/hotkey_text.h; "None" for none).
    store.DefineString(L"HotkeyScreenshot", L"Print");
    store.DefineString(L"HotkeyWindowGrab", L"Alt+Print");
    store.DefineString(L"HotkeyClipboard", L"Ctrl+Shift+V");
    store.DefineAdvanced(L"adv_api_verify_uri", apiUrl);
    store.DefineAdvanced(L"adv_api_upload_uri", apiUrl);
    store.DefineAdvanced(L"adv_main_uri", kServiceBaseUrl);
    store.DefineAdvanced(L"adv_screenshot_cmd", L"");
    store.DefineAdvanced(L"adv_screenshot_cmd_args", L"");
    store.DefineAdvanced(L"adv_link_shortener", kFirstShortenerName);
    // Where the daily update check asks for the latest version.
    store.DefineAdvanced(L"adv_latest_version_uri", kLatestVersionUrl);
}

void LoadDefaultSettings(SettingsStore& store, const std::string& configPath) {
    DefineDefaultSettings(store);
    LoadSettingsFile(store, configPath);
}
