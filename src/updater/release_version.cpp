#include "updater/release_version.h"

namespace {

constexpr unsigned kLargestPart = 65535;

}  // namespace

std::optional<ReleaseVersion> ParseReleaseVersion(const std::string& text) {
    ReleaseVersion version{};
    std::size_t at = 0;
    for (std::size_t part = 0; part < version.size(); ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
        const std::size_t start = at;
        unsigned value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[at] - '0');
            if (value > kLargestPart) return std::nullopt;
            ++at;
        }
        const std::size_t digits = at - start;
        if (digits == 0 || (digits > 1 && text[start] == '0')) return std::nullopt;
        version[part] = value;
    }
    if (at != text.size()) return std::nullopt;
    return version;
}

bool IsLaterRelease(const ReleaseVersion& candidate, const ReleaseVersion& installed) {
    return candidate > installed;  // std::array compares part by part, major first
}

std::string FormatReleaseVersion(const ReleaseVersion& version) {
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]);
}
