#include "history/thumbnail_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string BigEndian(std::uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// A chunk with a dummy CRC: the check looks at structure only.
std::string Chunk(const std::string& type, const std::string& data) {
    return BigEndian(static_cast<std::uint32_t>(data.size())) + type + data + "CRC!";
}

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

std::string Ihdr(std::uint32_t width, std::uint32_t height) {
    return Chunk("IHDR", BigEndian(width) + BigEndian(height) + std::string("\x08\x06\0\0\0", 5));
}

std::string Png(std::uint32_t width = 4, std::uint32_t height = 4) {
    return kSignature + Ihdr(width, height) + Chunk("IDAT", "xxxxxxxx") + Chunk("IEND", "");
}

TEST(ThumbnailCheck, WholePngPassesDamagedOnesDoNot) {
    EXPECT_TRUE(LooksLikeCompleteImage(Png()));
    const std::string good = Png();
    EXPECT_FALSE(LooksLikeCompleteImage(""));
    EXPECT_FALSE(LooksLikeCompleteImage(kSignature));
    EXPECT_FALSE(LooksLikeCompleteImage(kSignature + std::string(300, '\x7f')));  // garbage
    EXPECT_FALSE(LooksLikeCompleteImage(good.substr(0, good.size() - 5)));       // truncated
    EXPECT_FALSE(LooksLikeCompleteImage(kSignature + Chunk("IDAT", "x") + Chunk("IEND", "")));
    EXPECT_FALSE(LooksLikeCompleteImage(kSignature + Ihdr(4, 4) + Chunk("IEND", "")));  // no data
    EXPECT_FALSE(LooksLikeCompleteImage(Png(0, 4)));
    EXPECT_FALSE(LooksLikeCompleteImage(Png(4, 100000)));
    // A chunk length pointing far past the end.
    EXPECT_FALSE(LooksLikeCompleteImage(kSignature + Ihdr(4, 4) + BigEndian(0xFFFFFFF0u) +
                                        "IDAT" + std::string(40, 'x')));
}

std::string Segment(std::uint8_t marker, const std::string& data) {
    const std::uint32_t length = static_cast<std::uint32_t>(data.size() + 2);
    return std::string{char(0xFF), char(marker), char(length >> 8), char(length)} + data;
}

std::string Jpeg(bool frame = true) {
    std::string bytes{char(0xFF), char(0xD8)};
    bytes += Segment(0xE0, "JFIF\0\1\1\0\0\1\0\1\0\0");
    if (frame) bytes += Segment(0xC0, std::string("\x08\0\x10\0\x20\x01\x01\x11\x00", 9));
    bytes += Segment(0xDA, std::string("\x01\x01\0\0\x3f\0", 6));
    bytes += "entropy-coded data";
    bytes += std::string{char(0xFF), char(0xD9)};
    return bytes;
}

TEST(ThumbnailCheck, JpegNeedsItsSegmentsAFrameAndAnEnd) {
    EXPECT_TRUE(LooksLikeCompleteImage(Jpeg()));
    EXPECT_FALSE(LooksLikeCompleteImage(Jpeg(false)));
    const std::string good = Jpeg();
    EXPECT_FALSE(LooksLikeCompleteImage(good.substr(0, good.size() - 2)));  // no end marker
    EXPECT_FALSE(LooksLikeCompleteImage(good.substr(0, 10)));
    EXPECT_FALSE(LooksLikeCompleteImage(std::string{char(0xFF), char(0xD8)} +
                                        std::string(100, '\x42')));
}

TEST(ThumbnailCheck, GifNeedsHeaderSizeAndTrailer) {
    const std::string gif = std::string("GIF89a\x04\0\x04\0\0\0\0", 13) + "data;";
    EXPECT_TRUE(LooksLikeCompleteImage(gif));
    EXPECT_FALSE(LooksLikeCompleteImage(gif.substr(0, gif.size() - 1)));
    EXPECT_FALSE(LooksLikeCompleteImage(std::string("GIF89a\0\0\x04\0\0\0\0", 13) + "data;"));
    EXPECT_FALSE(LooksLikeCompleteImage("BM not an accepted kind;"));
}

}  // namespace
