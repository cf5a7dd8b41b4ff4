#include "config/settings_file.h"

#include <climits>
#include <cstdio>

#include "base/file_io.h"
#include "config/settings_store.h"

namespace {

constexpr size_t kMaxLineChars = 1023;

bool IsCSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    return LowerAscii(a) == b;
}

// Leading digits with an optional sign after optional white space; 0 when
// the text does not start with a number. Saturates instead of overflowing.
int ParseLeadingInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

void ApplySettingsLine(SettingsStore& store, const std::wstring& line) {
    size_t keyStart = line.find_first_not_of(L' ');
    if (keyStart == std::wstring::npos) return;
    size_t keyEnd = line.find(L' ', keyStart);
    if (keyEnd == std::wstring::npos) return;  // a key without a value
    const std::wstring key = line.substr(keyStart, keyEnd - keyStart);
    size_t valueStart = line.find_first_not_of(L' ', keyEnd + 1);
    if (valueStart == std::wstring::npos) return;
    const std::wstring value = line.substr(valueStart);

    if (key.size() >= 4 && EqualsNoCase(key.substr(0, 4), L"adv_")) {
        store.SetAdvanced(key, value);
        return;
    }
    // Each setter only touches a key defined in its own table.
    const std::wstring lower = LowerAscii(value);
    store.SetBool(key, lower == L"true" || lower == L"yes" || lower == L"1");
    store.SetInt(key, ParseLeadingInt(value));
    store.SetString(key, value);
}

void ApplySettingsText(SettingsStore& store, const std::string& bytes) {
    std::wstring line;
    bool truncated = false;  // past the first NUL or the character limit
    auto finishLine = [&]() {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        ApplySettingsLine(store, line);
        line.clear();
        truncated = false;
    };
    for (unsigned char byte : bytes) {
        if (byte == '\n') {
            finishLine();
        } else if (byte == 0) {
            truncated = true;
        } else if (!truncated) {
            if (line.size() < kMaxLineChars) {
                line.push_back(static_cast<wchar_t>(byte));
            } else {
                // Keep a CR that may end the line; anything else is the
                // unread rest of an overlong line and is dropped.
                truncated = byte != '\r';
                if (byte == '\r') line.push_back(L'\r');
            }
        }
    }
    if (!line.empty()) finishLine();
}

void LoadSettingsFile(SettingsStore& store, const std::string& utf8Path) {
    std::string bytes;
    if (!ReadWholeFile(utf8Path, bytes)) return;
    ApplySettingsText(store, bytes);
}

bool SaveSettingsFile(const SettingsStore& store, const std::string& utf8Path) {
    // Lines end in CR LF, as a text-mode stream writes them.
    const std::string lines = store.FormatLines();
    std::string text;
    text.reserve(lines.size() + lines.size() / 16);
    for (char c : lines) {
        if (c == '\n') text += '\r';
        text += c;
    }
    return WriteFileAtomically(utf8Path, text);
}
