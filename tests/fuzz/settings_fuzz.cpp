// Feeds arbitrary bytes to the configuration reader, then checks that what it
// saves reads back to the same settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/settings_catalogue.h"
#include "config/settings_file.h"
#include "config/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsStore store;
    DefineDefaultSettings(store);
    ApplySettingsText(store, std::string(reinterpret_cast<const char*>(data), size));

    std::string saved = store.FormatLines();
    SettingsStore reread;
    DefineDefaultSettings(reread);
    ApplySettingsText(reread, saved);
    // Values with leading spaces or empty strings do not survive a round trip
    // by design; everything the reader itself produced does.
    if (reread.FormatLines() != saved) std::abort();
    return 0;
}
