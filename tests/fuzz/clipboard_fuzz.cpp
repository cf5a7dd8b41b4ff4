// The clipboard's picture readers on arbitrary bytes, exactly as long as the
// clipboard says (so a read past them is caught). A bitmap read is as large
// as it says and within the bounds, and without alpha every alpha is opaque;
// a PNG file found ends with its IEND chunk inside the bytes and reads the
// same without what follows it.
#include <algorithm>
#include <vector>

#include "capture/clipboard_image.h"
#include "fuzz_support.h"

namespace {

bool InBounds(int side) { return side >= 1 && side <= kClipboardImageMaxSide; }

void CheckBitmap(const std::uint8_t* data, std::size_t size) {
    DibPicture picture;
    const ClipboardImageResult result = ReadDib(data, size, picture);
    if (result != ClipboardImageResult::kImage) return;
    FUZZ_CHECK(InBounds(picture.width) && InBounds(picture.height));
    FUZZ_CHECK(picture.bgra.size() == std::size_t(picture.width) * std::size_t(picture.height) * 4);
    bool anyAlpha = false;
    for (std::size_t at = 3; at < picture.bgra.size(); at += 4) {
        if (!picture.hasAlpha) FUZZ_CHECK(picture.bgra[at] == 255);
        anyAlpha = anyAlpha || picture.bgra[at] != 0;
    }
    FUZZ_CHECK(anyAlpha);
}

void CheckPngFile(const std::uint8_t* data, std::size_t size) {
    PngExtent extent;
    if (CheckPng(data, size, extent) != ClipboardImageResult::kImage) return;
    FUZZ_CHECK(InBounds(extent.width) && InBounds(extent.height));
    // Signature, IHDR and IEND at the least.
    FUZZ_CHECK(extent.length >= 8 + 25 + 12 && extent.length <= size);
    static const std::uint8_t kEnd[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D'};
    FUZZ_CHECK(std::equal(kEnd, kEnd + 8, data + extent.length - 12));
    // The file alone, copied so that a read past it is caught too.
    const std::vector<std::uint8_t> file(data, data + extent.length);
    PngExtent again;
    FUZZ_CHECK(CheckPng(file.data(), file.size(), again) == ClipboardImageResult::kImage);
    FUZZ_CHECK(again.length == extent.length && again.width == extent.width && again.height == extent.height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckBitmap(data, size);
    CheckPngFile(data, size);
    return 0;
}
