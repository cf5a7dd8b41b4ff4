// The thumbnail check on arbitrary file bytes. Whatever it lets through to
// the image library declares sides within the bounds, in the header where
// the format keeps them, with at least one frame and a bounded decode.
#include "fuzz_support.h"
#include "history/thumbnail_check.h"

namespace {

std::uint32_t Big32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint8_t(b[at + 3]);
}

std::uint32_t Little16(const std::string& b, std::size_t at) {
    return std::uint8_t(b[at]) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = BytesOf(data, size);
    const ThumbnailHeader header = InspectThumbnail(bytes);
    FUZZ_CHECK(header.format == CompleteImageFormat(bytes));
    FUZZ_CHECK(LooksLikeCompleteImage(bytes) == (header.format != ThumbnailFormat::None));
    if (header.format == ThumbnailFormat::None) return 0;

    FUZZ_CHECK(header.width >= 1 && header.width <= 4096);
    FUZZ_CHECK(header.height >= 1 && header.height <= 4096);
    FUZZ_CHECK(std::uint64_t(header.width) * header.height <= (4u << 20));
    FUZZ_CHECK(header.frames >= 1);
    FUZZ_CHECK(header.decodedPixels >= std::uint64_t(header.width) * header.height);
    FUZZ_CHECK(header.decodedPixels <= (16u << 20));

    switch (header.format) {
    case ThumbnailFormat::Png:
        // The header chunk comes first, right after the signature.
        FUZZ_CHECK(bytes.size() >= 33 && bytes.compare(12, 4, "IHDR") == 0);
        FUZZ_CHECK(header.width == Big32(bytes, 16) && header.height == Big32(bytes, 20));
        break;
    case ThumbnailFormat::Gif:
        FUZZ_CHECK(header.width == Little16(bytes, 6) && header.height == Little16(bytes, 8));
        FUZZ_CHECK(bytes.find(';', 13) != std::string::npos);
        break;
    case ThumbnailFormat::Jpeg:
        FUZZ_CHECK(std::uint8_t(bytes[0]) == 0xFF && std::uint8_t(bytes[1]) == 0xD8);
        FUZZ_CHECK(bytes.find("\xFF\xD9") != std::string::npos);
        break;
    case ThumbnailFormat::None: break;
    }
    return 0;
}
