#include "upload/internet_shortcut.h"

#include <cstdint>
#include <vector>

namespace {

using Units = std::vector<std::uint32_t>;

// The file's characters: UTF-16 (either byte order) after its mark, else
// one byte to one character.
Units DecodeShortcutFile(const std::string& bytes) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    Units units;
    const bool little = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    const bool big = bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
    if (little || big) {
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            units.push_back(little ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1));
        }
        return units;
    }
    const std::size_t start =
        bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF ? 3 : 0;
    for (std::size_t i = start; i < bytes.size(); ++i) units.push_back(byte(i));
    return units;
}

bool IsBlank(std::uint32_t c) { return c == ' ' || c == '\t'; }

Units Trimmed(const Units& text, std::size_t from, std::size_t to) {
    while (from < to && IsBlank(text[from])) ++from;
    while (to > from && IsBlank(text[to - 1])) --to;
    return Units(text.begin() + static_cast<std::ptrdiff_t>(from), text.begin() + static_cast<std::ptrdiff_t>(to));
}

bool EqualsNoCase(const Units& text, const char* word) {
    std::size_t i = 0;
    for (; word[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        std::uint32_t c = text[i];
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (c != static_cast<std::uint32_t>(word[i])) return false;
    }
    return i == text.size();
}

// The value without a pair of matching quotes around it.
Units Unquoted(const Units& value) {
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'')) {
        return Units(value.begin() + 1, value.end() - 1);
    }
    return value;
}

}  // namespace

std::string InternetShortcutBytes(const std::string& path) {
    return "[InternetShortcut]\r\r\nURL=" + path + "\r\n";
}

std::string ShortcutFileUrl(const std::string& bytes) {
    if (bytes.size() > kShortcutFileLimitBytes) return {};
    const Units text = DecodeShortcutFile(bytes);
    bool inShortcutSection = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        const Units line = Trimmed(text, at, end);
        at = end + 1;
        if (!line.empty() && line.front() == '[') {
            std::size_t close = line.size();
            while (close > 1 && line[close - 1] != ']') --close;
            if (close > 1) {
                inShortcutSection = EqualsNoCase(Trimmed(line, 1, close - 1), "internetshortcut");
                continue;
            }
        }
        if (!inShortcutSection) continue;
        std::size_t equals = 0;
        while (equals < line.size() && line[equals] != '=') ++equals;
        if (equals == line.size() || !EqualsNoCase(Trimmed(line, 0, equals), "url")) continue;

        const Units value = Unquoted(Trimmed(line, equals + 1, line.size()));
        if (value.size() > kShortcutUrlLimit) return {};
        std::string url;
        for (const std::uint32_t c : value) {
            // Shortcut URLs are ASCII; anything else cannot be a usable address.
            if (c < 0x20 || c >= 0x7F) return {};
            url.push_back(static_cast<char>(c));
        }
        return url;
    }
    return {};
}
