#include "history/thumbnail_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

std::string Jpeg(bool frame = true, std::uint32_t width = 32, std::uint32_t height = 16) {
    std::string bytes{char(0xFF), char(0xD8)};
    bytes += Segment(0xE0, "JFIF\0\1\1\0\0\1\0\1\0\0");
    if (frame) {
        bytes += Segment(0xC0, std::string{8, char(height >> 8), char(height), char(width >> 8),
                                           char(width), 1, 1, 0x11, 0});
    }
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

std::string Little16(std::uint32_t value) { return {char(value), char(value >> 8)}; }

struct GifFrame {
    std::uint32_t left, top, width, height;
};

// A canvas with a global colour table, then the frames, each with a local
// table, an extension before it and two data sub-blocks.
std::string Gif(std::uint32_t width, std::uint32_t height, const std::vector<GifFrame>& frames) {
    std::string bytes = "GIF89a" + Little16(width) + Little16(height) + "\x81" + std::string(2, 0);
    bytes += std::string(12, '\x10');  // 4 colours
    for (const GifFrame& frame : frames) {
        bytes += std::string("\x21\xF9\x04\0\0\0\0\0", 8);
        bytes += "\x2C" + Little16(frame.left) + Little16(frame.top) + Little16(frame.width) +
                 Little16(frame.height) + "\x80" + std::string(6, '\x20');  // 2 colours
        bytes += std::string("\x02\x03" "abc\x01" "d\0", 8);
    }
    return bytes + ";";
}

TEST(ThumbnailCheck, GifNeedsWholeBlocksAFrameInsideItsCanvasAndTheTrailer) {
    const std::string gif = Gif(4, 4, {{0, 0, 4, 4}, {1, 1, 3, 3}});
    EXPECT_TRUE(LooksLikeCompleteImage(gif));
    EXPECT_EQ(ThumbnailFormat::Gif, CompleteImageFormat(gif));
    // Each frame is decoded onto a whole canvas.
    const ThumbnailHeader header = InspectThumbnail(gif);
    EXPECT_EQ(4u, header.width);
    EXPECT_EQ(4u, header.height);
    EXPECT_EQ(2, header.frames);
    EXPECT_EQ(32u, header.decodedPixels);
    EXPECT_EQ(ThumbnailFormat::None, InspectThumbnail(gif.substr(0, gif.size() - 1)).format);
    EXPECT_FALSE(LooksLikeCompleteImage(gif.substr(0, gif.size() - 1)));
    EXPECT_FALSE(LooksLikeCompleteImage(gif.substr(0, gif.size() - 5)));  // cut in a block
    EXPECT_FALSE(LooksLikeCompleteImage(Gif(4, 4, {})));                  // no frame
    EXPECT_FALSE(LooksLikeCompleteImage(Gif(0, 4, {{0, 0, 4, 4}})));
    EXPECT_FALSE(LooksLikeCompleteImage(Gif(4, 4, {{2, 0, 4, 4}})));  // frame past the canvas
    EXPECT_FALSE(LooksLikeCompleteImage(Gif(4, 4, {{0, 0, 0, 4}})));
    EXPECT_FALSE(LooksLikeCompleteImage(std::string("GIF89a\x04\0\x04\0\0\0\0", 13) + "data;"));
    EXPECT_FALSE(LooksLikeCompleteImage("BM not an accepted kind;"));
}

// The image library sizes its buffers in 32 bits: a header's sides must be
// refused before it reads them, whatever the format.
TEST(ThumbnailCheck, DeclaredSidesAreBoundedInEveryFormat) {
    struct Case {
        std::uint32_t width, height;
        bool allowed;
    };
    const Case cases[] = {
        {1, 1, true},
        {2048, 2048, true},              // exactly the pixel bound
        {4096, 1024, true},              // the longest side, within the pixel bound
        {4097, 1, false},                // a side too long
        {2048, 2049, false},             // too many pixels
        {65500, 17000, false},           // wraps a 32-bit buffer size
        {16384, 16384, false},           // does not wrap, but cannot be allocated
        {0, 16, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(c.allowed, ThumbnailSidesAllowed(c.width, c.height));
        EXPECT_EQ(c.allowed, LooksLikeCompleteImage(Png(c.width, c.height)));
        if (c.allowed) {
            const ThumbnailHeader header = InspectThumbnail(Jpeg(true, c.width, c.height));
            EXPECT_EQ(c.width, header.width);
            EXPECT_EQ(c.height, header.height);
        }
        if (c.width <= 0xFFFF && c.height <= 0xFFFF) {
            EXPECT_EQ(c.allowed && c.height > 0, LooksLikeCompleteImage(Jpeg(true, c.width, c.height)));
            EXPECT_EQ(c.allowed, LooksLikeCompleteImage(Gif(c.width, c.height,
                                                            {{0, 0, c.width ? c.width : 1, 1}})));
        }
    }
    // Many frames of a large canvas add up.
    EXPECT_TRUE(LooksLikeCompleteImage(Gif(2048, 2048, std::vector<GifFrame>(4, {0, 0, 8, 8}))));
    EXPECT_FALSE(LooksLikeCompleteImage(Gif(2048, 2048, std::vector<GifFrame>(5, {0, 0, 8, 8}))));
}

}  // namespace
