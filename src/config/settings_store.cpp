#include "config/settings_store.h"

#include "base/utf.h"

namespace {

using Lock = std::lock_guard<std::mutex>;

template <typename Map, typename Value>
bool FindIn(const Map& table, const std::wstring& key, Value& out) {
    auto it = table.find(key);
    if (it == table.end()) return false;
    out = it->second;
    return true;
}

template <typename Map, typename Value>
bool SetIn(Map& table, const std::wstring& key, Value&& value) {
    auto it = table.find(key);
    if (it == table.end()) return false;
    it->second = std::forward<Value>(value);
    return true;
}

std::string Narrow(const std::wstring& wide) {
    std::string out;
    NarrowLatin1(wide, out);  // empty when it cannot be converted
    return out;
}

}  // namespace

std::wstring LowerAscii(std::wstring text) {
    for (auto& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

SettingsStore& Settings() {
    static SettingsStore store;
    return store;
}

void SettingsStore::DefineBool(std::wstring key, bool value) {
    Lock hold(lock_);
    boolSettings_[LowerAscii(std::move(key))] = value;
}

void SettingsStore::DefineInt(std::wstring key, int value) {
    Lock hold(lock_);
    intSettings_[LowerAscii(std::move(key))] = value;
}

void SettingsStore::DefineString(std::wstring key, std::wstring value) {
    Lock hold(lock_);
    stringSettings_[LowerAscii(std::move(key))] = std::move(value);
}

void SettingsStore::DefineAdvanced(std::wstring key, std::wstring value) {
    Lock hold(lock_);
    auto setting = std::make_unique<AdvancedSetting>();
    setting->defaultValue = value;
    setting->value = std::move(value);
    advancedSettings_[LowerAscii(std::move(key))] = std::move(setting);
}

bool SettingsStore::FindBool(std::wstring key, bool& out) const {
    Lock hold(lock_);
    return FindIn(boolSettings_, LowerAscii(std::move(key)), out);
}

bool SettingsStore::FindInt(std::wstring key, int& out) const {
    Lock hold(lock_);
    return FindIn(intSettings_, LowerAscii(std::move(key)), out);
}

bool SettingsStore::FindString(std::wstring key, std::wstring& out) const {
    Lock hold(lock_);
    return FindIn(stringSettings_, LowerAscii(std::move(key)), out);
}

bool SettingsStore::FindStringNarrow(std::wstring key, std::string& out) const {
    std::wstring wide;
    if (!FindString(std::move(key), wide)) return false;
    out = Narrow(wide);
    return true;
}

bool SettingsStore::GetBool(std::wstring key) const {
    bool value = false;
    FindBool(std::move(key), value);
    return value;
}

int SettingsStore::GetInt(std::wstring key) const {
    int value = 0;
    FindInt(std::move(key), value);
    return value;
}

std::wstring SettingsStore::GetString(std::wstring key) const {
    std::wstring value;
    FindString(std::move(key), value);
    return value;
}

std::string SettingsStore::GetStringNarrow(std::wstring key) const {
    return Narrow(GetString(std::move(key)));
}

std::wstring SettingsStore::GetAdvanced(const std::wstring& key) const {
    Lock hold(lock_);
    auto it = advancedSettings_.find(key);
    return it == advancedSettings_.end() ? std::wstring() : it->second->value;
}

std::string SettingsStore::GetAdvancedNarrow(const std::wstring& key) const {
    return Narrow(GetAdvanced(key));
}

bool SettingsStore::SetBool(std::wstring key, bool value) {
    Lock hold(lock_);
    return SetIn(boolSettings_, LowerAscii(std::move(key)), value);
}

bool SettingsStore::SetInt(std::wstring key, int value) {
    Lock hold(lock_);
    return SetIn(intSettings_, LowerAscii(std::move(key)), value);
}

bool SettingsStore::SetString(std::wstring key, std::wstring value) {
    Lock hold(lock_);
    return SetIn(stringSettings_, LowerAscii(std::move(key)), std::move(value));
}

bool SettingsStore::SetStringNarrow(std::wstring key, const std::string& value) {
    return SetString(std::move(key), WidenLatin1(value));
}

bool SettingsStore::SetAdvanced(const std::wstring& key, std::wstring value) {
    Lock hold(lock_);
    auto it = advancedSettings_.find(key);
    if (it == advancedSettings_.end()) return false;
    it->second->value = std::move(value);
    return true;
}

std::string SettingsStore::FormatLines() const {
    // The file holds one byte per character. A value with a character above
    // 255 cannot be written faithfully; its line is left out, so the setting
    // reads back as its default while every other line is kept.
    std::string text;
    auto append = [&text](const std::wstring& key, const std::wstring& value) {
        std::string k, v;
        if (!NarrowLatin1(key, k) || !NarrowLatin1(value, v)) return;
        text += k;
        text += ' ';
        text += v;
        text += '\n';
    };
    Lock hold(lock_);
    for (const auto& [key, value] : boolSettings_) append(key, value ? L"true" : L"false");
    for (const auto& [key, value] : intSettings_) append(key, std::to_wstring(value));
    for (const auto& [key, value] : stringSettings_) append(key, value);
    for (const auto& [key, setting] : advancedSettings_) {
        if (setting->value != setting->defaultValue) append(key, setting->value);
    }
    return text;
}
