// Key combinations from the configuration file, as any characters. What
// reads is no key or a combination that may be a global shortcut, and its
// text reads back as the same keys; every usable combination's text reads
// back as itself.
#include "config/hotkey_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Hotkey read;
    if (ParseHotkey(CodeUnitsOf(data, size), read)) {
        FUZZ_CHECK(read.Empty() ? read.modifiers == 0 : IsUsableHotkey(read));
        Hotkey again;
        FUZZ_CHECK(ParseHotkey(FormatHotkey(read), again) && again == read);
    }

    // The first bytes as modifier bits and a key code, as the page takes them.
    if (size >= 2) {
        Hotkey pressed;
        pressed.modifiers = data[0] & kHotkeyModifiers;
        pressed.key = data[1];
        if (IsUsableHotkey(pressed)) {
            FUZZ_CHECK(!KeyName(pressed.key).empty() && !IsModifierKey(pressed.key));
            Hotkey again;
            FUZZ_CHECK(ParseHotkey(FormatHotkey(pressed), again) && again == pressed);
        }
    }
    return 0;
}
