// The settings page, the main window's second page: the account box, the
// seven switches that apply at once, and the credits. Main thread only.
#pragma once

#include <windows.h>

class GUIToggle;

// Settings page geometry: the window keeps this size while the page shows.
inline constexpr int kSettingsPageWidth = 316;
inline constexpr int kSettingsPageHeight = 530;

// Builds the page hidden on the main window and hooks the settings button,
// the logo and the Settings command to it.
void CreateSettingsPage(HINSTANCE instance);

// Shows the settings page unless it already shows (the Settings command).
void OpenSettingsPage();

// Flips between the upload page and the settings page with a fade. While the
// settings page shows, the window has the fixed size above, takes no drops
// and cannot be resized; closing it restores the size it had.
void ToggleSettingsPage(void* userData = nullptr, WPARAM keys = 0);

// A switch was flipped: store its setting and apply it at once.
void OnSettingToggled(GUIToggle* toggle);

// Either account box is about to change: a logged-in account is forgotten.
void OnCredentialsEdited();

// Credit links: 1 the home page, 2 the service's main address, 3 the
// licence (only web addresses are opened), 4 the data folder, where the log
// and the crash reports are.
void OpenCreditLink(void* userData, WPARAM keys = 0);
