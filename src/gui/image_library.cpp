#include "gui/image_library.h"
#include "gui/argb_bitmap.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>

#include "gui/premultiply.h"
#include "gui/skin_catalogue.h"
#include "gui/skin_sets.h"

namespace {

// A skin picture resampled for a monitor stays below this (64 MB).
constexpr std::uint64_t kMaxScaledPixels = std::uint64_t(1) << 24;

// Loads `file` into the bound image.
bool LoadBound(const wchar_t* file, SIZE* size) {
    if (!ilLoadImage(file)) return false;
    *size = SIZE{ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT)};
    return true;
}

bool Exists(const std::wstring& file) {
    return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Loads the pixels for `dpi` into the bound image: from the skin set nearest
// above it when the picture has one, else the 100 % picture itself. `wanted`:
// the size to show it at, the 100 % size scaled (ScaledPictureLength; a set
// drawn for exactly this DPI has it already).
bool LoadForDpi(const wchar_t* path, int dpi, SIZE* wanted) {
    const int set = SkinSetFor(dpi);
    const std::wstring setFile = set != 100 ? SkinSetFile(path, set) : std::wstring();
    SIZE base{}, loaded{};
    if (!setFile.empty() && Exists(setFile)) {
        if (UsableDpi(dpi) == SkinSetDpi(set) && LoadBound(setFile.c_str(), wanted)) return true;
        if (LoadBound(path, &base) && LoadBound(setFile.c_str(), &loaded)) {
            *wanted = SIZE{ScaledPictureLength(base.cx, dpi), ScaledPictureLength(base.cy, dpi)};
            return true;
        }
    }
    if (!LoadBound(path, &base)) return false;
    *wanted = SIZE{ScaledPictureLength(base.cx, dpi), ScaledPictureLength(base.cy, dpi)};
    return true;
}

std::once_flag initialised;
std::atomic<bool> ready{false};

}  // namespace

void InitImageLibrary() {
    std::call_once(initialised, [] {
        ilInit();
        iluInit();
        // Lower-left origin makes the library's rows match the bottom-up DIB.
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
        ready = true;
    });
}

bool ImageLibraryReady() {
    return ready;
}

std::mutex& ImageLibraryMutex() {
    static std::mutex mutex;
    return mutex;
}

void LockImageLibrary() {
    ImageLibraryMutex().lock();
}

void UnlockImageLibrary() {
    ImageLibraryMutex().unlock();
}

bool LoadImageBitmap(const wchar_t* path, HBITMAP* bitmap, void** bits, SIZE* size, int dpi) {
    if (bitmap) *bitmap = nullptr;
    if (!bitmap || !path || !ready) return false;
    ImageLibraryLock lock(ImageLibraryMutex());

    // The library's bound image is used as is: every user holds the lock.
    SIZE wanted{};
    if (!LoadForDpi(path, dpi, &wanted)) return false;
    const ILuint image = static_cast<ILuint>(ilGetInteger(IL_ACTIVE_IMAGE));
    int width = ilGetInteger(IL_IMAGE_WIDTH);
    int height = ilGetInteger(IL_IMAGE_HEIGHT);
    const int scaledWidth = std::max<int>(1, wanted.cx);
    const int scaledHeight = std::max<int>(1, wanted.cy);
    const bool resample = scaledWidth != width || scaledHeight != height;
    if (std::uint64_t(scaledWidth) * std::uint64_t(scaledHeight) > kMaxScaledPixels ||
        !ilConvertImage(IL_BGRA, IL_UNSIGNED_BYTE)) {
        iluDeleteImage(image);
        return false;
    }
    // Rows follow each other without gaps at 32 bits per pixel.
    PremultiplyAlpha(ilGetData(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (resample) {
        iluImageParameter(ILU_FILTER, ILU_BILINEAR);
        if (!iluScale(scaledWidth, scaledHeight, 1)) {
            iluDeleteImage(image);
            return false;
        }
        width = scaledWidth;
        height = scaledHeight;
    }
    if (size) *size = SIZE{width, height};

    void* pixels = nullptr;
    ScopedBitmap dib(CreateArgbBitmap(nullptr, width, height, &pixels));
    if (!dib || !pixels) {
        iluDeleteImage(image);
        return false;
    }
    ilCopyPixels(0, 0, 0, width, height, 1, IL_BGRA, IL_UNSIGNED_BYTE, pixels);
    iluDeleteImage(image);

    *bitmap = dib.release();
    if (bits) *bits = pixels;
    return true;
}
