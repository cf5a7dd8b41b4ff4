// The configuration reader on arbitrary file bytes: whatever it makes of
// them is saved as text that reads back to the same settings.
#include "config/settings_catalogue.h"
#include "config/settings_file.h"
#include "config/settings_store.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SettingsStore store;
    DefineDefaultSettings(store);
    ApplySettingsText(store, BytesOf(data, size));

    // As the file holds it: lines end in CR LF.
    const std::string saved = store.FormatLines();
    std::string file;
    for (const char c : saved) file += c == '\n' ? "\r\n" : std::string(1, c);
    SettingsStore reread;
    DefineDefaultSettings(reread);
    ApplySettingsText(reread, file);
    FUZZ_CHECK(reread.FormatLines() == saved);
    return 0;
}
