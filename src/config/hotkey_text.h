// Key combinations as the configuration file writes them: "Ctrl+Shift+V",
// "Print", "Alt+Print", or "None". Modifier bits and key codes carry the
// values Windows gives them (MOD_*, VK_*), so the text maps straight to
// RegisterHotKey's arguments. Free of Win32.
#pragma once

#include <string>

constexpr unsigned kHotkeyAlt = 0x1;
constexpr unsigned kHotkeyCtrl = 0x2;
constexpr unsigned kHotkeyShift = 0x4;
constexpr unsigned kHotkeyWin = 0x8;
constexpr unsigned kHotkeyModifiers = kHotkeyAlt | kHotkeyCtrl | kHotkeyShift | kHotkeyWin;

// Key codes the program itself treats specially.
constexpr unsigned kKeyBackspace = 0x08;
constexpr unsigned kKeyEscape = 0x1B;
constexpr unsigned kKeyPrint = 0x2C;

struct Hotkey {
    unsigned modifiers = 0;  // kHotkey* bits
    unsigned key = 0;        // virtual-key code; 0: no key at all
    bool Empty() const { return key == 0; }
    bool operator==(const Hotkey& other) const { return modifiers == other.modifiers && key == other.key; }
    bool operator!=(const Hotkey& other) const { return !(*this == other); }
};

// Reads a combination: modifier names ("Ctrl", "Alt", "Shift", "Win"), each
// once, then one key name, joined by "+"; letters' case and spaces around
// the parts do not matter. An empty text or "None" is no key (true, empty
// result). False when the text is not a combination this program can use
// (see IsUsableHotkey).
bool ParseHotkey(const std::wstring& text, Hotkey& out);

// The text for `hotkey`, modifiers in the order Ctrl, Alt, Shift, Win;
// "None" for no key.
std::wstring FormatHotkey(const Hotkey& hotkey);

// The modifiers alone, each followed by "+" ("Ctrl+Shift+"); empty for none.
std::wstring FormatModifiers(unsigned modifiers);

// The key's name, or empty when the key has none here (so it cannot be
// used).
std::wstring KeyName(unsigned key);

// Whether a global shortcut may be made of it: a named key that is not a
// modifier, and unless it is one that types nothing (Print, Pause, Scroll
// Lock, the function keys), with Ctrl, Alt or Win, so that typing in other
// programs is never taken away.
bool IsUsableHotkey(const Hotkey& hotkey);

// Whether `key` is one of the modifier keys themselves (Shift, Ctrl, Alt,
// the Windows keys, either side).
bool IsModifierKey(unsigned key);
