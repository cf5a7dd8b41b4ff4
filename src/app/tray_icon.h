// The notification-area icon used before Windows 7 (the taskbar button takes
// its place later).
#pragma once

#include <windows.h>

#include <string>

// Fills App().trayIcon for the main window and adds it when the setting
// ShowTrayIcon is on; otherwise it stays filled for the settings page.
void CreateTrayIcon(HINSTANCE instance);

// Shows the icon of `iconId` (110, 111 or 112) in the tray.
void SetTrayIconImage(HINSTANCE instance, int iconId);

// Adds the icon of App().trayIcon again (after Explorer restarted).
void RestoreTrayIcon();

// Says `text` under `title` in a balloon from the notification area, without
// waiting. Before Windows 7 the tray icon carries it when it is shown;
// otherwise an icon of its own stands there until the balloon has gone.
void ShowTrayBalloon(HWND window, const std::wstring& title, const std::wstring& text);
// Takes that icon away again (at exit).
void RemoveTrayBalloon();
