// Pictures from the clipboard's bytes: bitmaps of every depth and header
// read to exact pixels, and every header that does not match its bytes
// refused before a pixel is read; PNG files checked and measured.
#include "capture/clipboard_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// A packed bitmap: header of `headerSize`, `extra` bytes (masks, table),
// then the pixel rows as given (already padded).
struct Dib {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t masks[4] = {};  // written into headers of 52 bytes and more
    Bytes extra;
    Bytes pixels;

    Bytes Build() const {
        Bytes b(std::max<std::uint32_t>(headerSize, 40), 0);  // room for the fields written
        Put32(b, 0, headerSize);
        Put32(b, 4, static_cast<std::uint32_t>(width));
        Put32(b, 8, static_cast<std::uint32_t>(height));
        Put16(b, 12, planes);
        Put16(b, 14, bits);
        Put32(b, 16, compression);
        Put32(b, 20, sizeImage);
        Put32(b, 32, coloursUsed);
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i) Put32(b, 40 + 4 * i, masks[i]);
        }
        if (headerSize >= 56) Put32(b, 52, masks[3]);
        b.insert(b.end(), extra.begin(), extra.end());
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
};

Bytes Le32s(std::initializer_list<std::uint32_t> values) {
    Bytes b(values.size() * 4);
    std::size_t at = 0;
    for (std::uint32_t v : values) Put32(b, (at++) * 4, v);
    return b;
}

struct ReadCase {
    const char* what;
    Dib dib;
    bool hasAlpha;
    Bytes bgra;  // bottom row first
};

std::vector<ReadCase> ReadCases() {
    std::vector<ReadCase> cases;
    {
        // 24 bits, bottom-up, rows padded from 6 to 8 bytes.
        Dib d;
        d.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
        cases.push_back({"24-bit", d, false, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}});
    }
    {
        // A plain 32-bit CF_DIB: the fourth byte is not alpha.
        Dib d;
        d.bits = 32;
        d.height = 1;
        d.pixels = {1, 2, 3, 0, 4, 5, 6, 99};
        cases.push_back({"32-bit plain", d, false, {1, 2, 3, 255, 4, 5, 6, 255}});
    }
    {
        // CF_DIBV5 with bit fields and alpha, stored top-down.
        Dib d;
        d.headerSize = 124;
        d.bits = 32;
        d.compression = 3;
        d.height = -2;
        d.width = 1;
        d.masks[0] = 0x00FF0000, d.masks[1] = 0x0000FF00, d.masks[2] = 0x000000FF, d.masks[3] = 0xFF000000;
        d.pixels = {10, 20, 30, 40, 50, 60, 70, 0};  // top row, then bottom row
        cases.push_back({"V5 top-down with alpha", d, true, {50, 60, 70, 0, 10, 20, 30, 40}});
    }
    {
        // An alpha mask whose alpha is zero everywhere means opaque.
        Dib d;
        d.headerSize = 124;
        d.bits = 32;
        d.compression = 3;
        d.width = 2;
        d.height = 1;
        d.masks[0] = 0x00FF0000, d.masks[1] = 0x0000FF00, d.masks[2] = 0x000000FF, d.masks[3] = 0xFF000000;
        d.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
        cases.push_back({"V5 with zero alpha", d, false, {1, 2, 3, 255, 4, 5, 6, 255}});
    }
    {
        // 16 bits 5-6-5 with the masks after a short header; both extremes
        // of each channel.
        Dib d;
        d.bits = 16;
        d.compression = 3;
        d.width = 2;
        d.height = 1;
        d.extra = Le32s({0xF800, 0x07E0, 0x001F});
        d.pixels = {0xFF, 0xFF, 0x00, 0x00};
        cases.push_back({"16-bit 565", d, false, {255, 255, 255, 255, 0, 0, 0, 255}});
    }
    {
        // 16 bits without fields: 5-5-5, the top bit unused.
        Dib d;
        d.bits = 16;
        d.width = 2;
        d.height = 1;
        d.pixels = {0x1F, 0x80, 0xE0, 0x03};  // blue with the unused bit; green
        cases.push_back({"16-bit 555", d, false, {255, 0, 0, 255, 0, 255, 0, 255}});
    }
    {
        // 8 bits with a two-colour table; an index past it is black.
        Dib d;
        d.bits = 8;
        d.width = 3;
        d.height = 1;
        d.coloursUsed = 2;
        d.extra = {9, 8, 7, 0, 6, 5, 4, 0};
        d.pixels = {1, 0, 200, 0};
        cases.push_back({"8-bit table", d, false, {6, 5, 4, 255, 9, 8, 7, 255, 0, 0, 0, 255}});
    }
    {
        // 1 bit, the full table implied, most significant bit first.
        Dib d;
        d.bits = 1;
        d.width = 3;
        d.height = 1;
        d.extra = {0, 0, 0, 0, 255, 255, 255, 0};
        d.pixels = {0xA0, 0, 0, 0};  // 1 0 1
        cases.push_back({"1-bit", d, false, {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}});
    }
    {
        // 4 bits, two pixels in a byte.
        Dib d;
        d.bits = 4;
        d.width = 2;
        d.height = 1;
        d.extra = Bytes(16 * 4, 0);
        d.extra[15 * 4] = 77;
        d.pixels = {0xF0, 0, 0, 0};
        cases.push_back({"4-bit", d, false, {77, 0, 0, 255, 0, 0, 0, 255}});
    }
    return cases;
}

TEST(ClipboardImage, BitmapsOfEveryKindReadToExactPixels) {
    for (const ReadCase& c : ReadCases()) {
        SCOPED_TRACE(c.what);
        Bytes bytes = c.dib.Build();
        DibPicture picture;
        ASSERT_EQ(ClipboardImageResult::kImage, ReadDib(bytes.data(), bytes.size(), picture));
        EXPECT_EQ(c.dib.width, picture.width);
        EXPECT_EQ(c.dib.height < 0 ? -c.dib.height : c.dib.height, picture.height);
        EXPECT_EQ(c.hasAlpha, picture.hasAlpha);
        EXPECT_EQ(c.bgra, picture.bgra);
        // Clipboard memory rounded up past the pixels reads the same.
        bytes.resize(bytes.size() + 13, 0xEE);
        DibPicture padded;
        ASSERT_EQ(ClipboardImageResult::kImage, ReadDib(bytes.data(), bytes.size(), padded));
        EXPECT_EQ(picture.bgra, padded.bgra);
    }
}

struct RefuseCase {
    const char* what;
    ClipboardImageResult result;
    Dib dib;
    int cut;  // bytes taken off the end
};

std::vector<RefuseCase> RefuseCases() {
    Dib good;  // 2 x 2, 24 bits: 16 bytes of pixels
    good.pixels = Bytes(16, 1);
    std::vector<RefuseCase> cases;
    auto add = [&](const char* what, ClipboardImageResult result, auto change, int cut = 0) {
        Dib d = good;
        change(d);
        cases.push_back({what, result, d, cut});
    };
    using R = ClipboardImageResult;
    add("pixels one byte short", R::kMalformed, [](Dib&) {}, 1);
    add("header cut", R::kMalformed, [](Dib&) {}, 16 + 1);
    add("size image smaller than the rows", R::kMalformed, [](Dib& d) { d.sizeImage = 15; });
    add("rows longer than the bytes", R::kMalformed, [](Dib& d) { d.height = 3; });
    add("zero width", R::kMalformed, [](Dib& d) { d.width = 0; });
    add("negative width", R::kMalformed, [](Dib& d) { d.width = -2; });
    add("zero height", R::kMalformed, [](Dib& d) { d.height = 0; });
    add("two planes", R::kMalformed, [](Dib& d) { d.planes = 2; });
    add("core header", R::kMalformed, [](Dib& d) { d.headerSize = 12; });
    add("odd header", R::kMalformed, [](Dib& d) { d.headerSize = 64; });
    add("too wide", R::kTooLarge, [](Dib& d) { d.width = 16385; });
    add("too high, top-down", R::kTooLarge, [](Dib& d) { d.height = -16385; });
    add("lowest height", R::kTooLarge, [](Dib& d) { d.height = INT32_MIN; });
    add("JPEG inside", R::kUnsupported, [](Dib& d) { d.compression = 4; });
    add("run-length", R::kUnsupported, [](Dib& d) { d.compression = 1; });
    add("two bits a pixel", R::kUnsupported, [](Dib& d) { d.bits = 2; });
    add("bit fields at 24 bits", R::kMalformed, [](Dib& d) { d.compression = 3; });
    add("masks cut short", R::kMalformed, [](Dib& d) {
        d.bits = 32;
        d.compression = 3;
        d.pixels = Bytes(8, 0);
    });
    add("overlapping masks", R::kMalformed, [](Dib& d) {
        d.bits = 32, d.compression = 3, d.headerSize = 124, d.pixels = Bytes(16, 0);
        d.masks[0] = 0xFF0000, d.masks[1] = 0xFFFF00, d.masks[2] = 0xFF;
    });
    add("mask with a gap", R::kMalformed, [](Dib& d) {
        d.bits = 32, d.compression = 3, d.headerSize = 124, d.pixels = Bytes(16, 0);
        d.masks[0] = 0xF0F000, d.masks[1] = 0xF00, d.masks[2] = 0xFF;
    });
    add("missing mask", R::kMalformed, [](Dib& d) {
        d.bits = 32, d.compression = 3, d.headerSize = 124, d.pixels = Bytes(16, 0);
        d.masks[0] = 0xFF0000, d.masks[2] = 0xFF;
    });
    add("mask of all 32 bits", R::kMalformed, [](Dib& d) {
        d.bits = 32, d.compression = 3, d.headerSize = 124, d.pixels = Bytes(16, 0);
        d.masks[0] = 0xFFFFFFFF, d.masks[1] = 0x7000000, d.masks[2] = 0xFF;
    });
    add("mask past 16 bits", R::kMalformed, [](Dib& d) {
        d.bits = 16, d.compression = 3, d.headerSize = 124, d.pixels = Bytes(8, 0);
        d.masks[0] = 0x1F0000, d.masks[1] = 0x7E0, d.masks[2] = 0x1F;
    });
    add("table longer than the depth allows", R::kMalformed, [](Dib& d) {
        d.bits = 8, d.coloursUsed = 257, d.extra = Bytes(257 * 4, 0), d.pixels = Bytes(8, 0);
    });
    add("table past the bytes", R::kMalformed, [](Dib& d) { d.bits = 8, d.pixels = Bytes(8, 0); });
    return cases;
}

TEST(ClipboardImage, HeadersThatDoNotMatchTheirBytesAreRefused) {
    for (const RefuseCase& c : RefuseCases()) {
        SCOPED_TRACE(c.what);
        Bytes bytes = c.dib.Build();
        ASSERT_GE(bytes.size(), std::size_t(c.cut));
        bytes.resize(bytes.size() - c.cut);
        DibPicture picture;
        picture.width = 9;
        EXPECT_EQ(c.result, ReadDib(bytes.data(), bytes.size(), picture));
        EXPECT_TRUE(picture.bgra.empty());
        EXPECT_EQ(0, picture.width);
    }
    DibPicture picture;
    EXPECT_EQ(ClipboardImageResult::kMalformed, ReadDib(nullptr, 0, picture));
}

Bytes Chunk(const char* type, const Bytes& data) {
    Bytes b(4, 0);
    const std::uint32_t n = static_cast<std::uint32_t>(data.size());
    b = {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)};
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    b.insert(b.end(), 4, 0xCC);  // the CRC is not ours to check
    return b;
}

Bytes Png(std::uint32_t width, std::uint32_t height, bool withEnd = true) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header = {std::uint8_t(width >> 24), std::uint8_t(width >> 16), std::uint8_t(width >> 8),
                    std::uint8_t(width), std::uint8_t(height >> 24), std::uint8_t(height >> 16),
                    std::uint8_t(height >> 8), std::uint8_t(height), 8, 6, 0, 0, 0};
    for (const Bytes& chunk : {Chunk("IHDR", header), Chunk("IDAT", Bytes(20, 7))}) {
        b.insert(b.end(), chunk.begin(), chunk.end());
    }
    if (withEnd) {
        const Bytes end = Chunk("IEND", {});
        b.insert(b.end(), end.begin(), end.end());
    }
    return b;
}

TEST(ClipboardImage, PngFilesAreCheckedAndEndAtTheirEndChunk) {
    Bytes png = Png(640, 16384);
    const std::size_t length = png.size();
    png.resize(length + 40, 0);  // clipboard slack
    PngExtent extent;
    ASSERT_EQ(ClipboardImageResult::kImage, CheckPng(png.data(), png.size(), extent));
    EXPECT_EQ(640, extent.width);
    EXPECT_EQ(16384, extent.height);
    EXPECT_EQ(length, extent.length);

    Bytes cut = Png(4, 4);
    cut.resize(cut.size() - 6);
    Bytes fullEnd = Png(4, 4, false);
    const Bytes endWithData = Chunk("IEND", Bytes(4, 0));
    fullEnd.insert(fullEnd.end(), endWithData.begin(), endWithData.end());
    struct {
        const char* what;
        Bytes bytes;
        ClipboardImageResult result;
    } refused[] = {
        {"too wide", Png(16385, 1), ClipboardImageResult::kTooLarge},
        {"zero high", Png(1, 0), ClipboardImageResult::kMalformed},
        {"no end chunk", Png(4, 4, false), ClipboardImageResult::kMalformed},
        {"cut inside a chunk", cut, ClipboardImageResult::kMalformed},
        {"an end chunk with data", fullEnd, ClipboardImageResult::kMalformed},
        {"not a PNG", Bytes(64, 'P'), ClipboardImageResult::kMalformed},
        {"a bitmap", ReadCases()[0].dib.Build(), ClipboardImageResult::kMalformed},
    };
    for (auto& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result, CheckPng(c.bytes.data(), c.bytes.size(), extent));
        EXPECT_EQ(0u, extent.length);
    }
    // A chunk claiming more bytes than there are.
    Bytes lying = Png(4, 4);
    lying[8 + 25] = 0x7F;  // IDAT's length
    EXPECT_EQ(ClipboardImageResult::kMalformed, CheckPng(lying.data(), lying.size(), extent));
}

}  // namespace
