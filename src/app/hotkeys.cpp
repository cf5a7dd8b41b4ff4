#include "app/hotkeys.h"

#include <thread>

#include "app/tray_icon.h"
#include "base/scoped_win.h"
#include "base/seams.h"
#include "base/window_task.h"
#include "base/windows_version.h"
#include "config/settings_store.h"
#include "resource_ids.h"

namespace {

constexpr UINT kNoRepeat = 0x4000;  // MOD_NOREPEAT: refused before Windows 7
// Without MOD_NOREPEAT a held key repeats: presses closer than this to the
// one before are the same press.
constexpr DWORD kRepeatGap = 400;  // ms
constexpr wchar_t kKeyboardKey[] = L"Control Panel\\Keyboard";
constexpr wchar_t kSnippingValue[] = L"PrintScreenKeyForSnippingEnabled";

struct ActionInfo {
    const wchar_t* setting;
    const wchar_t* label;
    WORD command;
};
constexpr ActionInfo kActions[kHotkeyActionCount] = {
    {L"HotkeyScreenshot", L"Region screenshot", CMD_SCREENSHOT},
    {L"HotkeyWindowGrab", L"Window grab", CMD_WINDOW_GRAB},
    {L"HotkeyClipboard", L"Clipboard upload", CMD_UPLOAD_CLIPBOARD},
};

struct Registry {
    HWND window = nullptr;
    bool suspended = false;
    HotkeyStatus status[kHotkeyActionCount];
    bool registered[kHotkeyActionCount] = {};
    bool repeats[kHotkeyActionCount] = {};  // registered without MOD_NOREPEAT
    DWORD lastPress[kHotkeyActionCount] = {};
    void (*listener)() = nullptr;
};

Registry& Keys() {
    static Registry registry;
    return registry;
}

int IdOf(int index) { return index + 1; }

const wchar_t* KeyboardKey() {
    const wchar_t* key = CurrentSeams().keyboardSettingsKey;
    return key ? key : kKeyboardKey;
}

void TakeBack() {
    Registry& keys = Keys();
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        if (keys.registered[i]) UnregisterHotKey(keys.window, IdOf(i));
        keys.registered[i] = false;
    }
}

HotkeyState Register(int index, const Hotkey& key) {
    Registry& keys = Keys();
    keys.repeats[index] = !IsWindows7OrLater();
    BOOL done = RegisterHotKey(keys.window, IdOf(index), key.modifiers | (keys.repeats[index] ? 0 : kNoRepeat),
                               key.key);
    if (!done && GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED && !keys.repeats[index]) {
        keys.repeats[index] = true;  // a system that does not know MOD_NOREPEAT
        done = RegisterHotKey(keys.window, IdOf(index), key.modifiers, key.key);
    }
    if (done) {
        keys.registered[index] = true;
        return HotkeyState::kActive;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotkeyState::kTaken : HotkeyState::kRefused;
}

bool IsPlainPrint(const Hotkey& key) { return key.key == kKeyPrint && key.modifiers == 0; }

void RegisterAll() {
    Registry& keys = Keys();
    TakeBack();
    if (keys.suspended) return;  // the states stay as they were shown
    const bool snipping = WindowsSnipsOnPrintScreen();
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        HotkeyStatus& status = keys.status[i];
        status = HotkeyStatus{};
        status.text = Settings().GetString(kActions[i].setting);
        if (!ParseHotkey(status.text, status.key)) {
            status.state = HotkeyState::kUnreadable;
            continue;
        }
        if (status.key.Empty()) continue;
        for (int earlier = 0; earlier < i; ++earlier) {
            if (keys.status[earlier].key == status.key) status.state = HotkeyState::kDuplicate;
        }
        if (status.state == HotkeyState::kDuplicate) continue;
        status.state = keys.window ? Register(i, status.key) : HotkeyState::kRefused;
        // Windows' snipping answers Print Screen before any program does.
        if (snipping && IsPlainPrint(status.key)) status.state = HotkeyState::kSnipping;
    }
    if (keys.listener) keys.listener();
}

std::wstring NoticeLine(int index) {
    const HotkeyStatus& status = Keys().status[index];
    switch (status.state) {
    case HotkeyState::kTaken:
    case HotkeyState::kSnipping:
        return FormatHotkey(status.key) + L": " + HotkeyStateText(status) + L".";
    case HotkeyState::kUnreadable:
        return std::wstring(kActions[index].setting) + L" in vantorel.conf is not a key combination: \"" +
               status.text + L"\".";
    default:
        return std::wstring();
    }
}

}  // namespace

const wchar_t* HotkeySetting(HotkeyAction action) { return kActions[static_cast<int>(action)].setting; }
const wchar_t* HotkeyActionLabel(HotkeyAction action) { return kActions[static_cast<int>(action)].label; }
WORD HotkeyCommand(HotkeyAction action) { return kActions[static_cast<int>(action)].command; }

void RegisterHotkeys(HWND window) {
    Registry& keys = Keys();
    if (keys.window != window) TakeBack();
    keys.window = window;
    RegisterAll();
}

void UnregisterHotkeys() {
    TakeBack();
    Keys().window = nullptr;
}

void SuspendHotkeys(bool suspended) {
    Registry& keys = Keys();
    if (keys.suspended == suspended) return;
    keys.suspended = suspended;
    if (suspended) {
        TakeBack();
    } else {
        RegisterAll();
    }
}

void ChangeHotkey(HotkeyAction action, const Hotkey& key) {
    // No key is written "None": the file cannot hold an empty value (a key
    // without one reads back as its default, which would bring the key back).
    Settings().SetString(HotkeySetting(action), FormatHotkey(key));
    Keys().suspended = false;  // a key was chosen: listening is over
    RegisterAll();
}

HotkeyStatus StatusOf(HotkeyAction action) { return Keys().status[static_cast<int>(action)]; }

std::wstring HotkeyStateText(const HotkeyStatus& status) {
    switch (status.state) {
    case HotkeyState::kTaken:
        return L"Taken by another program";
    case HotkeyState::kSnipping:
        return L"Windows opens its own screen snipping on this key";
    case HotkeyState::kDuplicate:
        return L"Already used by another shortcut here";
    case HotkeyState::kUnreadable:
        return L"Not a key combination: \"" + status.text + L"\"";
    case HotkeyState::kRefused:
        return L"Windows did not accept this key";
    default:
        return std::wstring();
    }
}

void SetHotkeyStatusListener(void (*listener)()) { Keys().listener = listener; }

std::wstring HotkeyProblems() {
    std::wstring text;
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        const std::wstring line = NoticeLine(i);
        if (line.empty()) continue;
        if (!text.empty()) text += L"\n";
        text += line;
    }
    return text;
}

void AnnounceHotkeyProblems(HWND window) {
    const std::wstring problems = HotkeyProblems();
    if (!problems.empty()) ShowTrayBalloon(window, L"Keyboard shortcuts", problems);
}

bool OnHotkey(HWND window, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    Registry& keys = Keys();
    const int index = static_cast<int>(wParam) - 1;
    if (index < 0 || index >= kHotkeyActionCount || keys.suspended) return false;
    *result = 0;
    const DWORD now = GetTickCount();
    const bool repeat = keys.repeats[index] && now - keys.lastPress[index] < kRepeatGap;
    keys.lastPress[index] = now;
    if (!repeat) PostMessageW(window, WM_COMMAND, MAKEWPARAM(kActions[index].command, 0), 0);
    return true;
}

bool WindowsSnipsOnPrintScreen() {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyboardKey(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return false;
    }
    ScopedRegKey key(opened);
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExW(key.get(), kSnippingValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return type == REG_DWORD && size == sizeof value && value == 1;
}

bool StopWindowsSnipping() {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyboardKey(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return false;
    ScopedRegKey key(opened);
    const DWORD off = 0;
    if (RegSetValueExW(key.get(), kSnippingValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegisterAll();
    // Windows lets go of the key once told; a program that does not answer
    // must not hold this thread, so the telling runs apart and the keys are
    // registered once more afterwards.
    HWND window = Keys().window;
    if (!CurrentSeams().keyboardSettingsKey) {
        std::thread([window] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kKeyboardKey),
                                SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000, &ignored);
            if (window) PostToWindowThread(window, [] { RegisterAll(); });
        }).detach();
    }
    return true;
}
