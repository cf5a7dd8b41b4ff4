#include "history/thumbnail_check.h"

#include <cstdint>
#include <cstring>

namespace {

// Large enough for any thumbnail, small enough to refuse absurd headers.
constexpr std::uint32_t kMaxSide = 16384;

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) |
           (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
}

std::uint32_t BigEndian16(const std::string& bytes, std::size_t at) {
    return (std::uint32_t(std::uint8_t(bytes[at])) << 8) | std::uint8_t(bytes[at + 1]);
}

bool LooksLikePng(const std::string& bytes) {
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0) return false;
    std::size_t at = 8;
    bool first = true;
    bool sawData = false;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = BigEndian32(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        if (length > bytes.size() - at - 12) return false;  // runs past the end
        if (first) {
            if (type != "IHDR" || length != 13) return false;
            const std::uint32_t width = BigEndian32(bytes, at + 8);
            const std::uint32_t height = BigEndian32(bytes, at + 12);
            if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
            first = false;
        }
        if (type == "IDAT") sawData = true;
        if (type == "IEND") return sawData;
        at += 12 + length;
    }
    return false;
}

bool IsFrameMarker(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
           marker != 0xCC;
}

bool LooksLikeJpeg(const std::string& bytes) {
    if (bytes.size() < 4 || std::uint8_t(bytes[0]) != 0xFF || std::uint8_t(bytes[1]) != 0xD8) {
        return false;
    }
    std::size_t at = 2;
    bool sawFrame = false;
    while (true) {
        if (at + 4 > bytes.size() || std::uint8_t(bytes[at]) != 0xFF) return false;
        const std::uint8_t marker = std::uint8_t(bytes[at + 1]);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const std::uint32_t length = BigEndian16(bytes, at + 2);
        if (length < 2 || at + 2 + length > bytes.size()) return false;
        if (IsFrameMarker(marker)) {
            if (length < 8) return false;
            const std::uint32_t height = BigEndian16(bytes, at + 5);
            const std::uint32_t width = BigEndian16(bytes, at + 7);
            if (width == 0 || height == 0) return false;
            sawFrame = true;
        }
        if (marker == 0xDA) break;  // start of scan: entropy-coded data follows
        at += 2 + length;
    }
    if (!sawFrame) return false;
    // The end marker, allowing a little padding after it.
    const std::size_t tail = bytes.size() > 64 ? bytes.size() - 64 : at;
    return bytes.find("\xFF\xD9", tail) != std::string::npos;
}

bool LooksLikeGif(const std::string& bytes) {
    if (bytes.size() < 14) return false;
    if (bytes.compare(0, 6, "GIF87a") != 0 && bytes.compare(0, 6, "GIF89a") != 0) return false;
    const std::uint32_t width = std::uint8_t(bytes[6]) | (std::uint8_t(bytes[7]) << 8);
    const std::uint32_t height = std::uint8_t(bytes[8]) | (std::uint8_t(bytes[9]) << 8);
    return width != 0 && height != 0 && bytes.back() == ';';
}

}  // namespace

ThumbnailFormat CompleteImageFormat(const std::string& bytes) {
    if (LooksLikePng(bytes)) return ThumbnailFormat::Png;
    if (LooksLikeJpeg(bytes)) return ThumbnailFormat::Jpeg;
    if (LooksLikeGif(bytes)) return ThumbnailFormat::Gif;
    return ThumbnailFormat::None;
}

bool LooksLikeCompleteImage(const std::string& bytes) {
    return CompleteImageFormat(bytes) != ThumbnailFormat::None;
}
