#include "gui/image_library.h"
#include "gui/argb_bitmap.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <atomic>
#include <cstdint>

#include "gui/premultiply.h"

namespace {

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

bool LoadImageBitmap(const wchar_t* path, HBITMAP* bitmap, void** bits, SIZE* size) {
    if (bitmap) *bitmap = nullptr;
    if (!bitmap || !path || !ready) return false;
    ImageLibraryLock lock(ImageLibraryMutex());

    // The library's bound image is used as is: every user holds the lock.
    if (!ilLoadImage(path)) return false;
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    if (size) *size = SIZE{width, height};

    void* pixels = nullptr;
    ScopedBitmap dib(CreateArgbBitmap(nullptr, width, height, &pixels));
    if (!dib || !pixels) {
        iluDeleteImage(static_cast<ILuint>(ilGetInteger(IL_ACTIVE_IMAGE)));
        return false;
    }
    ilCopyPixels(0, 0, 0, width, height, 1, IL_BGRA, IL_UNSIGNED_BYTE, pixels);
    // Rows follow each other without gaps at 32 bits per pixel.
    PremultiplyAlpha(static_cast<std::uint8_t*>(pixels),
                     static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    iluDeleteImage(static_cast<ILuint>(ilGetInteger(IL_ACTIVE_IMAGE)));

    *bitmap = dib.release();
    if (bits) *bits = pixels;
    return true;
}
