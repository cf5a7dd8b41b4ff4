// Feeds arbitrary bytes to the clipboard's bitmap and PNG readers: whatever
// they accept must be as large as it says, and nothing may read past the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "capture/clipboard_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DibPicture picture;
    if (ReadDib(data, size, picture) == ClipboardImageResult::kImage &&
        picture.bgra.size() != static_cast<size_t>(picture.width) * picture.height * 4) {
        std::abort();
    }
    PngExtent extent;
    if (CheckPng(data, size, extent) == ClipboardImageResult::kImage && (extent.length > size || extent.length < 33)) {
        std::abort();
    }
    return 0;
}
