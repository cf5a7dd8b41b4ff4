// Every setting of the program with its default.
#pragma once

#include <string>

class SettingsStore;

// Defines all settings in catalogue order (no file is read).
void DefineDefaultSettings(SettingsStore& store);

// Defines all settings, then reads `configPath` over the defaults.
void LoadDefaultSettings(SettingsStore& store, const std::string& configPath);
