#include "capture/clipboard_image.h"

#include <new>

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

std::uint32_t Le32(const std::uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (std::uint32_t(at[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }
std::uint32_t Be32(const std::uint8_t* at) {
    return (std::uint32_t(at[0]) << 24) | (at[1] << 16) | (at[2] << 8) | at[3];
}

// One colour channel of a bit-field pixel: where it sits and how wide it is.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::uint8_t Of(std::uint32_t pixel) const {
        if (!mask) return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
        return static_cast<std::uint8_t>((value * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
    }
};

// A mask must be one run of bits within the pixel.
bool MakeChannel(std::uint32_t mask, int bitCount, Channel& out) {
    out = Channel{};
    if (!mask) return true;
    if (bitCount < 32 && (mask >> bitCount)) return false;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const std::uint32_t run = mask >> shift;
    if (run & (run + 1)) return false;  // not contiguous
    int bits = 0;
    while (bits < 32 - shift && ((run >> bits) & 1)) ++bits;  // a mask of all 32 bits ends the count
    out = Channel{mask, shift, bits};
    return true;
}

struct Layout {
    std::uint32_t headerSize = 0;
    int width = 0;
    int height = 0;  // positive
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha
    std::size_t tableEntries = 0;
    std::size_t pixelsAt = 0;
    std::size_t stride = 0;
};

ClipboardImageResult ReadLayout(const std::uint8_t* bytes, std::size_t size, Layout& l) {
    if (!bytes || size < 40) return ClipboardImageResult::kMalformed;
    l.headerSize = Le32(bytes);
    // BITMAPINFOHEADER, its V2 and V3 forms, V4 and V5; the old core header
    // never comes from the clipboard.
    if (l.headerSize != 40 && l.headerSize != 52 && l.headerSize != 56 && l.headerSize != 108 &&
        l.headerSize != 124) {
        return ClipboardImageResult::kMalformed;
    }
    if (size < l.headerSize) return ClipboardImageResult::kMalformed;
    const std::int32_t width = static_cast<std::int32_t>(Le32(bytes + 4));
    const std::int64_t height = static_cast<std::int32_t>(Le32(bytes + 8));
    const std::uint16_t planes = Le16(bytes + 12);
    l.bitCount = Le16(bytes + 14);
    l.compression = Le32(bytes + 16);
    const std::uint32_t sizeImage = Le32(bytes + 20);
    const std::uint32_t coloursUsed = Le32(bytes + 32);
    if (width <= 0 || height == 0 || planes != 1) return ClipboardImageResult::kMalformed;
    const std::int64_t rows = height < 0 ? -height : height;
    if (width > kClipboardImageMaxSide || rows > kClipboardImageMaxSide) return ClipboardImageResult::kTooLarge;
    l.width = width;
    l.height = static_cast<int>(rows);
    l.topDown = height < 0;

    const int depth = l.bitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        return ClipboardImageResult::kUnsupported;
    }
    std::size_t at = l.headerSize;
    if (l.compression == kBiBitfields || l.compression == kBiAlphaBitfields) {
        if (depth != 16 && depth != 32) return ClipboardImageResult::kMalformed;
        const int count = l.compression == kBiAlphaBitfields ? 4 : 3;
        if (l.headerSize == 40) {
            // The masks follow the short header.
            if (size < at + 4u * count) return ClipboardImageResult::kMalformed;
            for (int i = 0; i < count; ++i) l.masks[i] = Le32(bytes + at + 4 * i);
            at += 4u * count;
        } else {
            for (int i = 0; i < 3; ++i) l.masks[i] = Le32(bytes + 40 + 4 * i);
            if (l.headerSize >= 56) l.masks[3] = Le32(bytes + 52);
        }
    } else if (l.compression == kBiRgb) {
        if (depth == 16) {
            l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
        } else if (depth >= 24) {
            l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF;
            // Only the longer headers can say the fourth byte is alpha.
            if (depth == 32 && l.headerSize >= 56) l.masks[3] = Le32(bytes + 52);
        }
    } else {
        return ClipboardImageResult::kUnsupported;  // run-length, JPEG or PNG inside
    }

    // The colour table: required below 16 bits, optional (and ignored) above.
    const std::size_t fullTable = depth <= 8 ? (std::size_t(1) << depth) : 256;
    l.tableEntries = coloursUsed ? coloursUsed : (depth <= 8 ? fullTable : 0);
    if (l.tableEntries > fullTable) return ClipboardImageResult::kMalformed;
    if (size - at < l.tableEntries * 4) return ClipboardImageResult::kMalformed;
    at += l.tableEntries * 4;

    l.stride = ((std::size_t(l.width) * depth + 31) / 32) * 4;
    const std::uint64_t pixelBytes = std::uint64_t(l.stride) * l.height;
    if (sizeImage != 0 && sizeImage < pixelBytes) return ClipboardImageResult::kMalformed;
    if (size - at < pixelBytes) return ClipboardImageResult::kMalformed;
    l.pixelsAt = at;
    return ClipboardImageResult::kImage;
}

}  // namespace

ClipboardImageResult ReadDib(const std::uint8_t* bytes, std::size_t size, DibPicture& out) {
    out = DibPicture{};
    Layout l;
    const ClipboardImageResult layout = ReadLayout(bytes, size, l);
    if (layout != ClipboardImageResult::kImage) return layout;
    Channel red, green, blue, alpha;
    if (!MakeChannel(l.masks[0], l.bitCount, red) || !MakeChannel(l.masks[1], l.bitCount, green) ||
        !MakeChannel(l.masks[2], l.bitCount, blue) || !MakeChannel(l.masks[3], l.bitCount, alpha)) {
        return ClipboardImageResult::kMalformed;
    }
    if (l.bitCount >= 16 && (!red.mask || !green.mask || !blue.mask ||
                             (red.mask & green.mask) || (red.mask & blue.mask) || (green.mask & blue.mask) ||
                             (alpha.mask & (red.mask | green.mask | blue.mask)))) {
        return ClipboardImageResult::kMalformed;
    }
    try {
        out.bgra.resize(std::size_t(l.width) * l.height * 4);
    } catch (const std::bad_alloc&) {
        out = DibPicture{};
        return ClipboardImageResult::kTooLarge;
    }
    out.width = l.width;
    out.height = l.height;

    const std::uint8_t* table = bytes + l.pixelsAt - l.tableEntries * 4;
    const int depth = l.bitCount;
    bool anyAlpha = false;
    for (int y = 0; y < l.height; ++y) {
        // Output rows run bottom first, as a bottom-up bitmap stores them.
        const int sourceRow = l.topDown ? l.height - 1 - y : y;
        const std::uint8_t* row = bytes + l.pixelsAt + std::size_t(sourceRow) * l.stride;
        std::uint8_t* target = &out.bgra[std::size_t(y) * l.width * 4];
        for (int x = 0; x < l.width; ++x, target += 4) {
            if (depth <= 8) {
                const std::size_t bit = std::size_t(x) * depth;
                const unsigned index = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
                if (index >= l.tableEntries) {
                    target[0] = target[1] = target[2] = 0;  // outside a short table: black
                } else {
                    target[0] = table[index * 4];
                    target[1] = table[index * 4 + 1];
                    target[2] = table[index * 4 + 2];
                }
                target[3] = 255;
                continue;
            }
            std::uint32_t pixel = 0;
            const std::uint8_t* p = row + std::size_t(x) * (depth / 8);
            if (depth == 16) pixel = Le16(p);
            else if (depth == 24) pixel = p[0] | (p[1] << 8) | (p[2] << 16);
            else pixel = Le32(p);
            target[0] = blue.Of(pixel);
            target[1] = green.Of(pixel);
            target[2] = red.Of(pixel);
            target[3] = alpha.mask ? alpha.Of(pixel) : 255;
            anyAlpha = anyAlpha || (alpha.mask && target[3] != 0);
        }
    }
    // Programs that fill the alpha with zeros mean an opaque picture.
    out.hasAlpha = alpha.mask && anyAlpha;
    if (alpha.mask && !anyAlpha) {
        for (std::size_t i = 3; i < out.bgra.size(); i += 4) out.bgra[i] = 255;
    }
    return ClipboardImageResult::kImage;
}

ClipboardImageResult CheckPng(const std::uint8_t* bytes, std::size_t size, PngExtent& out) {
    out = PngExtent{};
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (!bytes || size < 8 + 25) return ClipboardImageResult::kMalformed;
    for (int i = 0; i < 8; ++i) {
        if (bytes[i] != kSignature[i]) return ClipboardImageResult::kMalformed;
    }
    if (Be32(bytes + 8) != 13 || Be32(bytes + 12) != Be32(reinterpret_cast<const std::uint8_t*>("IHDR"))) {
        return ClipboardImageResult::kMalformed;
    }
    const std::uint32_t width = Be32(bytes + 16), height = Be32(bytes + 20);
    if (width == 0 || height == 0) return ClipboardImageResult::kMalformed;
    if (width > std::uint32_t(kClipboardImageMaxSide) || height > std::uint32_t(kClipboardImageMaxSide)) {
        return ClipboardImageResult::kTooLarge;
    }
    // Walk the chunks to IEND: each is a length, a type, the data and a CRC.
    std::size_t at = 8;
    const std::uint32_t iend = Be32(reinterpret_cast<const std::uint8_t*>("IEND"));
    while (size - at >= 12) {
        const std::uint32_t length = Be32(bytes + at);
        if (length > 0x7FFFFFFFu || size - at - 12 < length) return ClipboardImageResult::kMalformed;
        const std::uint32_t type = Be32(bytes + at + 4);
        at += 12 + std::size_t(length);
        if (type == iend) {
            if (length != 0) return ClipboardImageResult::kMalformed;  // IEND carries nothing
            out = PngExtent{static_cast<int>(width), static_cast<int>(height), at};
            return ClipboardImageResult::kImage;
        }
    }
    return ClipboardImageResult::kMalformed;
}
