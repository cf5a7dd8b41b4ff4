// The process-wide typed settings: four tables of named values, each keyed by
// its lower-case name. Only names defined with a default exist; reading the
// configuration file changes values but never adds names.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

struct AdvancedSetting {
    std::wstring defaultValue;
    std::wstring value;
};

class SettingsStore {
public:
    void DefineBool(std::wstring key, bool value);
    void DefineInt(std::wstring key, int value);
    void DefineString(std::wstring key, std::wstring value);
    void DefineAdvanced(std::wstring key, std::wstring value);

    bool FindBool(std::wstring key, bool& out) const;
    bool FindInt(std::wstring key, int& out) const;
    bool FindString(std::wstring key, std::wstring& out) const;
    bool FindStringNarrow(std::wstring key, std::string& out) const;

    bool GetBool(std::wstring key) const;
    int GetInt(std::wstring key) const;
    std::wstring GetString(std::wstring key) const;
    std::string GetStringNarrow(std::wstring key) const;
    // Advanced keys are matched exactly as passed (they are stored lower-case).
    std::wstring GetAdvanced(const std::wstring& key) const;
    std::string GetAdvancedNarrow(const std::wstring& key) const;

    bool SetBool(std::wstring key, bool value);
    bool SetInt(std::wstring key, int value);
    bool SetString(std::wstring key, std::wstring value);
    // Widens byte by byte; meant for ASCII values.
    bool SetStringNarrow(std::wstring key, const std::string& value);
    bool SetAdvanced(const std::wstring& key, std::wstring value);

    // The file's text in save order: bools, ints, strings, then the advanced
    // settings that differ from their default; each line ends in a line feed.
    // Values that the one-byte file cannot hold are left out (see .cpp).
    std::string FormatLines() const;

private:
    mutable std::mutex lock_;
    std::map<std::wstring, bool> boolSettings_;
    std::map<std::wstring, int> intSettings_;
    std::map<std::wstring, std::wstring> stringSettings_;
    // Never freed before the process ends; a redefinition replaces the pointer.
    std::map<std::wstring, std::unique_ptr<AdvancedSetting>> advancedSettings_;
};

// The one store of the process.
SettingsStore& Settings();

// Lower-cases A-Z only, as the classic C locale does.
std::wstring LowerAscii(std::wstring text);
