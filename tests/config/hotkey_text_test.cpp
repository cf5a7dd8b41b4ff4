// Key combinations read from and written to the configuration file.
#include "config/hotkey_text.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    const wchar_t* text;
    bool readable;
    unsigned modifiers;
    unsigned key;
    const wchar_t* written;  // what FormatHotkey gives back
};

const ParseCase kCases[] = {
    // The defaults and the ways of saying "no key".
    {L"Print", true, 0, 0x2C, L"Print"},
    {L"Alt+Print", true, kHotkeyAlt, 0x2C, L"Alt+Print"},
    {L"Ctrl+Shift+V", true, kHotkeyCtrl | kHotkeyShift, 'V', L"Ctrl+Shift+V"},
    {L"", true, 0, 0, L"None"},
    {L"  none ", true, 0, 0, L"None"},
    // Case, spaces, aliases and order do not matter; the written form is one.
    {L" shift + control +v ", true, kHotkeyCtrl | kHotkeyShift, 'V', L"Ctrl+Shift+V"},
    {L"Win+Alt+PrtSc", true, kHotkeyAlt | kHotkeyWin, 0x2C, L"Alt+Win+Print"},
    {L"ctrl+alt+shift+win+f12", true, kHotkeyModifiers, 0x7B, L"Ctrl+Alt+Shift+Win+F12"},
    {L"F1", true, 0, 0x70, L"F1"},
    {L"F24", true, 0, 0x87, L"F24"},
    {L"Pause", true, 0, 0x13, L"Pause"},
    {L"Alt+Num0", true, kHotkeyAlt, 0x60, L"Alt+Num0"},
    {L"Ctrl+9", true, kHotkeyCtrl, '9', L"Ctrl+9"},
    {L"Ctrl+Esc", true, kHotkeyCtrl, 0x1B, L"Ctrl+Escape"},
    {L"Ctrl+PgDn", true, kHotkeyCtrl, 0x22, L"Ctrl+PageDown"},
    // Keys that type need Ctrl, Alt or Win: Shift alone still types.
    {L"V", false, 0, 0, nullptr},
    {L"Shift+V", false, 0, 0, nullptr},
    {L"Space", false, 0, 0, nullptr},
    {L"Shift+Enter", false, 0, 0, nullptr},
    // Not combinations at all.
    {L"Ctrl", false, 0, 0, nullptr},
    {L"Ctrl+", false, 0, 0, nullptr},
    {L"+V", false, 0, 0, nullptr},
    {L"Ctrl++V", false, 0, 0, nullptr},
    {L"Ctrl+Ctrl+V", false, 0, 0, nullptr},
    {L"Ctrl+V+Shift", false, 0, 0, nullptr},
    {L"Ctrl+Alt", false, 0, 0, nullptr},
    {L"Hyper+V", false, 0, 0, nullptr},
    {L"Ctrl+F0", false, 0, 0, nullptr},
    {L"Ctrl+F25", false, 0, 0, nullptr},
    {L"Ctrl+F01", false, 0, 0, nullptr},
    {L"Ctrl+Num10", false, 0, 0, nullptr},
    {L"Ctrl+\u00e9", false, 0, 0, nullptr},
    {L"Ctrl+;", false, 0, 0, nullptr},
    {L"None+V", false, 0, 0, nullptr},
};

TEST(HotkeyText, ReadsAndWritesCombinations) {
    for (const ParseCase& c : kCases) {
        SCOPED_TRACE(testing::Message() << "text \"" << c.text << "\"");
        Hotkey parsed{7, 7};
        ASSERT_EQ(c.readable, ParseHotkey(c.text, parsed));
        if (!c.readable) {
            // What cannot be read counts as no key.
            EXPECT_TRUE(parsed.Empty());
            continue;
        }
        EXPECT_EQ(c.modifiers, parsed.modifiers);
        EXPECT_EQ(c.key, parsed.key);
        EXPECT_EQ(c.written, FormatHotkey(parsed));
        // What is written reads back as the same combination.
        Hotkey again;
        ASSERT_TRUE(ParseHotkey(FormatHotkey(parsed), again));
        EXPECT_EQ(parsed, again);
    }
}

TEST(HotkeyText, EveryNamedKeyRoundTripsAndModifiersAreNotKeys) {
    int named = 0;
    for (unsigned key = 1; key < 0x100; ++key) {
        const std::wstring name = KeyName(key);
        if (name.empty()) continue;
        ++named;
        EXPECT_FALSE(IsModifierKey(key)) << key;
        Hotkey parsed;
        ASSERT_TRUE(ParseHotkey(L"Ctrl+Alt+" + name, parsed)) << key;
        EXPECT_EQ(key, parsed.key);
    }
    // Letters, digits, F1-F24, Num0-9 and the named keys.
    EXPECT_EQ(26 + 10 + 24 + 10 + 23, named);
    for (unsigned key : {0x10u, 0x11u, 0x12u, 0x5Bu, 0x5Cu, 0xA0u, 0xA5u}) {
        EXPECT_TRUE(IsModifierKey(key));
        EXPECT_FALSE(IsUsableHotkey(Hotkey{kHotkeyCtrl, key}));
    }
    EXPECT_FALSE(IsUsableHotkey(Hotkey{0x10 | kHotkeyCtrl, 'V'}));  // unknown modifier bits
    EXPECT_EQ(L"Ctrl+Shift+", FormatModifiers(kHotkeyShift | kHotkeyCtrl));
    EXPECT_EQ(L"", FormatModifiers(0));
}

}  // namespace
