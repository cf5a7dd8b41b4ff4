// The keyboard shortcuts page, reached from the settings page: one row per
// shortcut with a box that takes the next key combination pressed (applied
// at once), and under it what became of the key (taken by another program,
// Print Screen kept by Windows, with the button that gives it back). It
// shares the settings page's place and size. Main thread only.
#pragma once

#include <windows.h>

#include "app/hotkeys.h"

class GUIKeyField;
class GUIText;
class GUIButton;

// Builds the page hidden on the main window and the settings page's link
// to it.
void CreateHotkeyPage(HINSTANCE instance);

// From the settings page to this one and back, with a fade.
void ShowHotkeyPage(void* userData = nullptr, WPARAM keys = 0);
void LeaveHotkeyPage(void* userData = nullptr, WPARAM keys = 0);
bool HotkeyPageShown();

// The row of one shortcut, for tests and screenshots.
struct HotkeyRow {
    GUIKeyField* field = nullptr;
    GUIText* status[2] = {};  // the state in up to two lines
    GUIButton* giveBack = nullptr;  // shown while Windows keeps Print Screen
};
HotkeyRow HotkeyPageRow(HotkeyAction action);
GUIButton* HotkeyPageLink();  // "Keyboard shortcuts..." on the settings page

// Shows every row's key and state again (after a registration).
void RefreshHotkeyRows();
