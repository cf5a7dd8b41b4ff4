#include "app/configuration.h"

#include "app/app_state.h"
#include "base/event_log.h"
#include "config/settings_file.h"
#include "config/settings_store.h"

std::string ConfigurationPath() { return App().dataFolder + "vantorel.conf"; }

void SaveConfiguration() {
    if (!SaveSettingsFile(Settings(), ConfigurationPath())) {
        LogEvent("error", {{"what", "saving the settings"}, {"file", ConfigurationPath()}});
    }
}
