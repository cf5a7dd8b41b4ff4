#include "app/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/main_commands.h"
#include "base/product.h"
#include "base/seams.h"
#include "base/windows_version.h"
#include "config/settings_store.h"
#include "gui/skinnable_window.h"
#include "resource_ids.h"

namespace {

// Older shells need the version again after every change.
void ApplyVersion(NOTIFYICONDATAW& icon) {
    icon.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &icon);
}

constexpr UINT kBalloonIconId = 2;
constexpr UINT_PTR kBalloonTimer = 44;
constexpr UINT kBalloonShowing = 20000;  // ms the balloon's own icon stays

NOTIFYICONDATAW& BalloonIcon() {
    static NOTIFYICONDATAW icon{};
    return icon;
}

void CopyText(wchar_t* target, std::size_t capacity, const std::wstring& text) {
    wcsncpy(target, text.c_str(), capacity - 1);
    target[capacity - 1] = L'\0';
}

void CALLBACK BalloonTimeUp(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    RemoveTrayBalloon();
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

void ShowTrayBalloon(HWND window, const std::wstring& title, const std::wstring& text) {
    if (auto notify = CurrentSeams().notify) {
        notify(window, title.c_str(), text.c_str());
        return;
    }
    NOTIFYICONDATAW& tray = App().trayIcon;
    if (!IsWindows7OrLater() && tray.hWnd && Settings().GetBool(L"ShowTrayIcon")) {
        NOTIFYICONDATAW balloon = tray;
        balloon.uFlags = NIF_INFO;
        balloon.dwInfoFlags = NIIF_WARNING;
        CopyText(balloon.szInfoTitle, sizeof balloon.szInfoTitle / sizeof(wchar_t), title);
        CopyText(balloon.szInfo, sizeof balloon.szInfo / sizeof(wchar_t), text);
        Shell_NotifyIconW(NIM_MODIFY, &balloon);
        return;
    }
    RemoveTrayBalloon();
    NOTIFYICONDATAW& icon = BalloonIcon();
    icon = NOTIFYICONDATAW{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = kBalloonIconId;
    icon.uFlags = NIF_ICON | NIF_TIP | NIF_INFO;
    icon.hIcon = LoadIconW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)),
                           MAKEINTRESOURCEW(IDI_TRAY_NORMAL));
    CopyText(icon.szTip, sizeof icon.szTip / sizeof(wchar_t), kProductName);
    icon.dwInfoFlags = NIIF_WARNING;
    CopyText(icon.szInfoTitle, sizeof icon.szInfoTitle / sizeof(wchar_t), title);
    CopyText(icon.szInfo, sizeof icon.szInfo / sizeof(wchar_t), text);
    if (!Shell_NotifyIconW(NIM_ADD, &icon)) {
        icon.hWnd = nullptr;
        return;
    }
    SetTimer(window, kBalloonTimer, kBalloonShowing, BalloonTimeUp);
}

void RemoveTrayBalloon() {
    NOTIFYICONDATAW& icon = BalloonIcon();
    if (!icon.hWnd) return;
    Shell_NotifyIconW(NIM_DELETE, &icon);
    icon.hWnd = nullptr;
}
