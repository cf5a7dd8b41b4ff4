#include "app/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/main_commands.h"
#include "base/product.h"
#include "config/settings_store.h"
#include "gui/skinnable_window.h"
#include "resource_ids.h"

namespace {

// Older shells need the version again after every change.
void ApplyVersion(NOTIFYICONDATAW& icon) {
    icon.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &icon);
}

}  // namespace

void CreateTrayIcon(HINSTANCE instance) {
    NOTIFYICONDATAW& icon = App().trayIcon;
    icon = NOTIFYICONDATAW{};
    icon.cbSize = sizeof icon;
    icon.hWnd = App().mainWindow ? App().mainWindow->MainWindow() : nullptr;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayCallbackMessage;
    icon.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TRAY_NORMAL));
    wcsncpy(icon.szTip, kProductName, sizeof icon.szTip / sizeof icon.szTip[0] - 1);
    if (!Settings().GetBool(L"ShowTrayIcon")) return;
    Shell_NotifyIconW(NIM_ADD, &icon);
    ApplyVersion(icon);
}

void RestoreTrayIcon() {
    NOTIFYICONDATAW& icon = App().trayIcon;
    if (!icon.hWnd) return;
    Shell_NotifyIconW(NIM_ADD, &icon);
    ApplyVersion(icon);
}

void SetTrayIconImage(HINSTANCE instance, int iconId) {
    NOTIFYICONDATAW& icon = App().trayIcon;
    icon.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(iconId));
    Shell_NotifyIconW(NIM_MODIFY, &icon);
    ApplyVersion(icon);
}
