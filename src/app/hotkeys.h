// Keys that work in every program: the shortcuts of the settings
// HotkeyScreenshot, HotkeyWindowGrab and HotkeyClipboard, registered on the
// main window, and what became of each (taken by another program, Print
// Screen kept by Windows for its own screen snipping). A shortcut runs the
// same command as the menu. Main thread only.
#pragma once

#include <windows.h>

#include <string>

#include "config/hotkey_text.h"

enum class HotkeyAction { kScreenshot = 0, kWindowGrab = 1, kClipboard = 2 };
constexpr int kHotkeyActionCount = 3;

enum class HotkeyState {
    kNone,        // no key chosen
    kActive,      // registered: it works
    kTaken,       // another program registered it first
    kSnipping,    // Print Screen while Windows opens its own screen snipping on it
    kDuplicate,   // an earlier shortcut of ours has the same keys
    kUnreadable,  // the setting's text is not a key combination: unused
    kRefused,     // Windows refused it for another reason
};

struct HotkeyStatus {
    Hotkey key;          // empty for kNone and kUnreadable
    HotkeyState state = HotkeyState::kNone;
    std::wstring text;   // the setting as it stands
};

// The setting ("HotkeyScreenshot"...), the action's name on the page, and
// the command it runs.
const wchar_t* HotkeySetting(HotkeyAction action);
const wchar_t* HotkeyActionLabel(HotkeyAction action);
WORD HotkeyCommand(HotkeyAction action);

// Registers every shortcut the settings name on `window`, replacing what
// was registered before.
void RegisterHotkeys(HWND window);
// Takes every shortcut back (at exit).
void UnregisterHotkeys();
// While a key field listens for a combination the shortcuts step aside:
// pressing one must choose it, not run it. Registered again on false.
void SuspendHotkeys(bool suspended);
// Stores `key` ("None" when empty) as the action's setting and registers
// the shortcuts again, at once (ending a suspension).
void ChangeHotkey(HotkeyAction action, const Hotkey& key);
HotkeyStatus StatusOf(HotkeyAction action);
// The line a row shows under its key for `state` (empty when all is well).
std::wstring HotkeyStateText(const HotkeyStatus& status);
// Called after every registration, so a page can show the new states.
void SetHotkeyStatusListener(void (*listener)());

// What the last registration found wrong (keys taken, Print Screen kept by
// Windows, settings that are not combinations), one line each; empty when
// every shortcut works or is off.
std::wstring HotkeyProblems();
// Says those problems in the tray balloon, if there are any. Start-up does
// this once.
void AnnounceHotkeyProblems(HWND window);

// WM_HOTKEY of the main window: posts the action's command.
bool OnHotkey(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Windows' own screen snipping on Print Screen: HKEY_CURRENT_USER\Control
// Panel\Keyboard, PrintScreenKeyForSnippingEnabled = 1 (Windows 11).
bool WindowsSnipsOnPrintScreen();
// Writes 0 there, tells the running programs and registers ours again.
// False when the value could not be written.
bool StopWindowsSnipping();
