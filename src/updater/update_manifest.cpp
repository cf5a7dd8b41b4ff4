#include "updater/update_manifest.h"

#include <vector>

namespace {

constexpr const char* kFirstLine = "vantorel liftorn update";

// The lines of `text`, each without its LF or CR LF; false when a line ends
// in a bare CR, or the last line has no end.
bool SplitLines(const std::string& text, std::vector<std::string>& lines) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) return false;
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('\r') != std::string::npos) return false;
        lines.push_back(std::move(line));
        at = end + 1;
    }
    return true;
}

// The value of "key value", or false when the line has another key.
bool FieldValue(const std::string& line, const char* key, std::string& value) {
    const std::string prefix = std::string(key) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    value = line.substr(prefix.size());
    return !value.empty();
}

bool ParseSize(const std::string& text, std::uint64_t& size) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return false;
    size = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return size > 0 && size <= kInstallerLimitBytes;
}

// Printable ASCII without blanks: an address or a file name, nothing that
// could hide a second field or a line break.
bool IsPlainField(const std::string& text) {
    if (text.empty() || text.size() > kInstallerFieldLimit) return false;
    for (const char c : text) {
        if (c <= ' ' || c > '~') return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string HexDigits(const unsigned char* bytes, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 0x0F]);
    }
    return text;
}

bool ParseHexDigits(const std::string& text, unsigned char* bytes, std::size_t count) {
    if (text.size() != count * 2) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return true;
}

bool ParseUpdateManifest(const std::string& text, UpdateManifest& manifest) {
    if (text.size() > kManifestLimitBytes) return false;
    std::vector<std::string> lines;
    if (!SplitLines(text, lines) || lines.size() != 6 || lines[0] != kFirstLine) return false;

    std::string version, size, sha256, signature;
    if (!FieldValue(lines[1], "version", version) || !FieldValue(lines[2], "installer", manifest.installer) ||
        !FieldValue(lines[3], "size", size) || !FieldValue(lines[4], "sha256", sha256) ||
        !FieldValue(lines[5], "signature", signature)) {
        return false;
    }
    const auto parsed = ParseReleaseVersion(version);
    if (!parsed) return false;
    manifest.version = *parsed;
    return IsPlainField(manifest.installer) && ParseSize(size, manifest.size) &&
           ParseHexDigits(sha256, manifest.sha256.data(), manifest.sha256.size()) &&
           ParseHexDigits(signature, manifest.signature.data(), manifest.signature.size());
}

std::string SignedManifestPayload(const UpdateManifest& manifest) {
    return std::string(kFirstLine) + "\n" +
           "version " + FormatReleaseVersion(manifest.version) + "\n" +
           "installer " + manifest.installer + "\n" +
           "size " + std::to_string(manifest.size) + "\n" +
           "sha256 " + HexDigits(manifest.sha256.data(), manifest.sha256.size()) + "\n";
}
