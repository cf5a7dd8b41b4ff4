// Reading and writing "vantorel.conf": one "key value" line per setting,
// one byte per character, no comments, sections or quoting.
#pragma once

#include <string>

class SettingsStore;

// Applies one line (without its terminator) to the store.
void ApplySettingsLine(SettingsStore& store, const std::wstring& line);

// Applies every line of a file's bytes. Lines end at LF; a CR before the LF is
// dropped. Only the first 1023 characters of a line count, and a line stops
// at a NUL byte; neither affects the lines that follow.
void ApplySettingsText(SettingsStore& store, const std::string& bytes);

// A missing or unreadable file leaves every setting as it is.
void LoadSettingsFile(SettingsStore& store, const std::string& utf8Path);

// Writes the whole file beside the old one and replaces it only once the new
// one is complete, so a crash or a full disk never leaves a truncated file.
// Returns false (and leaves the old file untouched) when it could not.
bool SaveSettingsFile(const SettingsStore& store, const std::string& utf8Path);
