// The configuration file in the data folder, "vantorel.conf": read once at
// start-up, written at exit and when Windows ends the session.
#pragma once

#include <string>

// Its full path (UTF-8); the data folder must be known.
std::string ConfigurationPath();

// Writes the settings to it (atomically).
void SaveConfiguration();
