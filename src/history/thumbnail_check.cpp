#include "history/thumbnail_check.h"

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t LittleEndian16(const std::string& bytes, std::size_t at) {
    return std::uint8_t(bytes[at]) | (std::uint32_t(std::uint8_t(bytes[at + 1])) << 8);
}

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) |
           (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
}

std::uint32_t BigEndian16(const std::string& bytes, std::size_t at) {
    return (std::uint32_t(std::uint8_t(bytes[at])) << 8) | std::uint8_t(bytes[at + 1]);
}

bool LooksLikePng(const std::string& bytes, ThumbnailHeader& header) {
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
            if (!ThumbnailSidesAllowed(width, height)) return false;
            header.width = width;
            header.height = height;
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

bool LooksLikeJpeg(const std::string& bytes, ThumbnailHeader& header) {
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
            if (!ThumbnailSidesAllowed(width, height)) return false;
            header.width = width;
            header.height = height;
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

// Colour tables follow a packed byte whose top bit says there is one.
std::size_t ColourTableBytes(std::uint8_t packed) {
    return (packed & 0x80) ? 3u * (2u << (packed & 0x07)) : 0u;
}

// Data sub-blocks from `at` up to and with their empty terminator; the
// position after it, or 0 when they run past the end.
std::size_t SkipSubBlocks(const std::string& bytes, std::size_t at) {
    while (at < bytes.size()) {
        const std::size_t length = std::uint8_t(bytes[at]);
        ++at;
        if (length == 0) return at;
        at += length;
    }
    return 0;
}

// Every block up to the trailer: the library allocates a whole canvas per
// frame, so the canvas, each frame (inside the canvas) and all frames
// together are bounded.
bool LooksLikeGif(const std::string& bytes, ThumbnailHeader& header) {
    if (bytes.size() < 14) return false;
    if (bytes.compare(0, 6, "GIF87a") != 0 && bytes.compare(0, 6, "GIF89a") != 0) return false;
    const std::uint32_t width = LittleEndian16(bytes, 6);
    const std::uint32_t height = LittleEndian16(bytes, 8);
    if (!ThumbnailSidesAllowed(width, height)) return false;
    std::size_t at = 13 + ColourTableBytes(std::uint8_t(bytes[10]));
    std::uint64_t decoded = 0;
    int frames = 0;
    while (at < bytes.size()) {
        const std::uint8_t block = std::uint8_t(bytes[at]);
        if (block == 0x3B) {  // trailer
            header.width = width;
            header.height = height;
            header.frames = frames;
            header.decodedPixels = decoded;
            return frames > 0;
        }
        if (block == 0x21) {                    // extension: label, then sub-blocks
            if (at + 2 > bytes.size()) return false;
            at = SkipSubBlocks(bytes, at + 2);
        } else if (block == 0x2C) {  // image descriptor
            if (at + 10 > bytes.size()) return false;
            const std::uint32_t left = LittleEndian16(bytes, at + 1);
            const std::uint32_t top = LittleEndian16(bytes, at + 3);
            const std::uint32_t frameWidth = LittleEndian16(bytes, at + 5);
            const std::uint32_t frameHeight = LittleEndian16(bytes, at + 7);
            if (frameWidth == 0 || frameHeight == 0 || left + frameWidth > width ||
                top + frameHeight > height) {
                return false;
            }
            decoded += std::uint64_t(width) * height;
            if (decoded > kMaxThumbnailDecodedPixels) return false;
            ++frames;
            at += 10 + ColourTableBytes(std::uint8_t(bytes[at + 9]));
            if (at >= bytes.size()) return false;
            at = SkipSubBlocks(bytes, at + 1);  // after the LZW code size
        } else {
            return false;
        }
        if (at == 0) return false;
    }
    return false;
}

}  // namespace

bool ThumbnailSidesAllowed(std::uint32_t width, std::uint32_t height) {
    return width > 0 && height > 0 && width <= kMaxThumbnailSide &&
           height <= kMaxThumbnailSide &&
           std::uint64_t(width) * height <= kMaxThumbnailPixels;
}

ThumbnailHeader InspectThumbnail(const std::string& bytes) {
    ThumbnailHeader header;
    if (LooksLikePng(bytes, header)) {
        header.format = ThumbnailFormat::Png;
    } else if (header = ThumbnailHeader(); LooksLikeJpeg(bytes, header)) {
        header.format = ThumbnailFormat::Jpeg;
    } else if (header = ThumbnailHeader(); LooksLikeGif(bytes, header)) {
        header.format = ThumbnailFormat::Gif;
    } else {
        return ThumbnailHeader();
    }
    if (header.format != ThumbnailFormat::Gif) {
        header.frames = 1;
        header.decodedPixels = std::uint64_t(header.width) * header.height;
    }
    return header;
}

ThumbnailFormat CompleteImageFormat(const std::string& bytes) {
    return InspectThumbnail(bytes).format;
}

bool LooksLikeCompleteImage(const std::string& bytes) {
    return CompleteImageFormat(bytes) != ThumbnailFormat::None;
}
