#include "config/hotkey_text.h"

#include <cwctype>
#include <vector>

namespace {

struct KeyEntry {
    unsigned key;
    const wchar_t* name;  // the first entry of a key is the one written
};

// Keys of fixed meaning on every layout. Punctuation moves between layouts,
// so it is left out rather than named wrongly.
constexpr KeyEntry kNamedKeys[] = {
    {0x08, L"Backspace"}, {0x09, L"Tab"},      {0x0D, L"Enter"},      {0x0D, L"Return"},
    {0x13, L"Pause"},     {0x1B, L"Escape"},   {0x1B, L"Esc"},        {0x20, L"Space"},
    {0x21, L"PageUp"},    {0x21, L"PgUp"},     {0x22, L"PageDown"},   {0x22, L"PgDn"},
    {0x23, L"End"},       {0x24, L"Home"},     {0x25, L"Left"},       {0x26, L"Up"},
    {0x27, L"Right"},     {0x28, L"Down"},     {0x2C, L"Print"},      {0x2C, L"PrintScreen"},
    {0x2C, L"PrtSc"},     {0x2C, L"PrtScn"},   {0x2D, L"Insert"},     {0x2D, L"Ins"},
    {0x2E, L"Delete"},    {0x2E, L"Del"},      {0x6A, L"NumMultiply"}, {0x6B, L"NumAdd"},
    {0x6D, L"NumSubtract"}, {0x6E, L"NumDecimal"}, {0x6F, L"NumDivide"}, {0x91, L"ScrollLock"},
};

struct ModifierEntry {
    unsigned bit;
    const wchar_t* name;
};
constexpr ModifierEntry kModifierNames[] = {
    {kHotkeyCtrl, L"Ctrl"}, {kHotkeyCtrl, L"Control"}, {kHotkeyAlt, L"Alt"},
    {kHotkeyShift, L"Shift"}, {kHotkeyWin, L"Win"},    {kHotkeyWin, L"Windows"},
};
// The order modifiers are written in.
constexpr ModifierEntry kModifierOrder[] = {
    {kHotkeyCtrl, L"Ctrl"}, {kHotkeyAlt, L"Alt"}, {kHotkeyShift, L"Shift"}, {kHotkeyWin, L"Win"}};

bool SameName(const std::wstring& text, const wchar_t* name) {
    std::size_t i = 0;
    for (; i < text.size() && name[i]; ++i) {
        if (std::towlower(text[i]) != std::towlower(name[i])) return false;
    }
    return i == text.size() && name[i] == 0;
}

std::wstring Trimmed(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

unsigned ModifierBit(const std::wstring& part) {
    for (const ModifierEntry& entry : kModifierNames) {
        if (SameName(part, entry.name)) return entry.bit;
    }
    return 0;
}

unsigned KeyCode(const std::wstring& part) {
    if (part.size() == 1) {
        const wchar_t c = static_cast<wchar_t>(std::towupper(part[0]));
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return c;
        return 0;
    }
    for (const KeyEntry& entry : kNamedKeys) {
        if (SameName(part, entry.name)) return entry.key;
    }
    // F1 to F24, Num0 to Num9.
    auto numbered = [&part](const wchar_t* prefix, unsigned first, unsigned count) -> unsigned {
        const std::wstring head(prefix);
        if (part.size() <= head.size() || part.size() > head.size() + 2) return 0;
        if (!SameName(part.substr(0, head.size()), prefix)) return 0;
        unsigned number = 0;
        for (std::size_t i = head.size(); i < part.size(); ++i) {
            if (part[i] < L'0' || part[i] > L'9') return 0;
            number = number * 10 + (part[i] - L'0');
        }
        if (part[head.size()] == L'0' && part.size() > head.size() + 1) return 0;  // "F01"
        const unsigned low = first == 0x70 ? 1 : 0;
        return number >= low && number < low + count ? first + number - low : 0;
    };
    if (unsigned key = numbered(L"F", 0x70, 24)) return key;
    return numbered(L"Num", 0x60, 10);
}

// Keys that type nothing, so they may stand alone.
bool TypesNothing(unsigned key) {
    return key == kKeyPrint || key == 0x13 || key == 0x91 || (key >= 0x70 && key <= 0x87);
}

}  // namespace

bool IsModifierKey(unsigned key) {
    return key == 0x10 || key == 0x11 || key == 0x12 || key == 0x5B || key == 0x5C || (key >= 0xA0 && key <= 0xA5);
}

std::wstring KeyName(unsigned key) {
    if ((key >= L'A' && key <= L'Z') || (key >= L'0' && key <= L'9')) return std::wstring(1, wchar_t(key));
    if (key >= 0x70 && key <= 0x87) return L"F" + std::to_wstring(key - 0x70 + 1);
    if (key >= 0x60 && key <= 0x69) return L"Num" + std::to_wstring(key - 0x60);
    for (const KeyEntry& entry : kNamedKeys) {
        if (entry.key == key) return entry.name;
    }
    return std::wstring();
}

bool IsUsableHotkey(const Hotkey& hotkey) {
    if (hotkey.Empty() || (hotkey.modifiers & ~kHotkeyModifiers) || KeyName(hotkey.key).empty()) return false;
    return TypesNothing(hotkey.key) || (hotkey.modifiers & (kHotkeyCtrl | kHotkeyAlt | kHotkeyWin)) != 0;
}

bool ParseHotkey(const std::wstring& text, Hotkey& out) {
    out = Hotkey{};
    const std::wstring whole = Trimmed(text);
    if (whole.empty() || SameName(whole, L"None")) return true;
    std::vector<std::wstring> parts;
    for (std::size_t start = 0;;) {
        const std::size_t plus = whole.find(L'+', start);
        parts.push_back(Trimmed(whole.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start)));
        if (plus == std::wstring::npos) break;
        start = plus + 1;
    }
    Hotkey parsed;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const unsigned bit = ModifierBit(parts[i]);
        if (!bit || (parsed.modifiers & bit)) return false;
        parsed.modifiers |= bit;
    }
    parsed.key = KeyCode(parts.back());
    if (!IsUsableHotkey(parsed)) return false;
    out = parsed;
    return true;
}

std::wstring FormatModifiers(unsigned modifiers) {
    std::wstring text;
    for (const ModifierEntry& entry : kModifierOrder) {
        if (modifiers & entry.bit) text += std::wstring(entry.name) + L"+";
    }
    return text;
}

std::wstring FormatHotkey(const Hotkey& hotkey) {
    if (hotkey.Empty()) return L"None";
    return FormatModifiers(hotkey.modifiers) + KeyName(hotkey.key);
}
