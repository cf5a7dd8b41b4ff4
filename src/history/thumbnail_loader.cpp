#include "history/thumbnail_loader.h"

#include <windows.h>
#include <IL/il.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "base/scoped_win.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "gui/skin_sets.h"
#include "history/thumbnail_check.h"

namespace {

// Thumbnails are small; anything bigger is not one.
constexpr LONGLONG kMaxThumbnailBytes = 8 << 20;

struct Pixels {
    std::vector<std::uint8_t> bgra;  // rows bottom-up, as the library keeps them
    int width = 0;
    int height = 0;
};

// Decodes into `out` with `load` (which fills the bound image), under the
// image library's lock.
template <typename Load>
bool DecodeWith(Load load, Pixels& out) {
    InitImageLibrary();
    LockImageLibrary();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool loaded = load() && ilConvertImage(IL_BGRA, IL_UNSIGNED_BYTE);
    if (loaded) {
        out.width = ilGetInteger(IL_IMAGE_WIDTH);
        out.height = ilGetInteger(IL_IMAGE_HEIGHT);
        loaded = ThumbnailSidesAllowed(static_cast<std::uint32_t>(out.width),
                                       static_cast<std::uint32_t>(out.height));
    }
    if (loaded) {
        out.bgra.assign(static_cast<std::size_t>(out.width) * out.height * 4, 0);
        ilCopyPixels(0, 0, 0, out.width, out.height, 1, IL_BGRA, IL_UNSIGNED_BYTE,
                     out.bgra.data());
    }
    ilDeleteImages(1, &image);
    UnlockImageLibrary();
    return loaded;
}

// Reads a small file whole; false when it is missing, empty or too big.
bool ReadSmallFile(const std::wstring& path, std::string& bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
              size.QuadPart <= kMaxThumbnailBytes;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
             read == bytes.size();
    }
    return ok;
}

// Decodes the bytes as the format their structure shows (thumbnails are
// named after the uploaded file, whatever the service sent), and only once
// the structure and the declared sides have passed the check: the library
// can hang on damaged files and overruns its buffers on huge ones.
bool DecodeThumbnailFile(const std::wstring& path, Pixels& out) {
    std::string bytes;
    if (path.empty() || !ReadSmallFile(path, bytes)) return false;
    ILenum type = IL_TYPE_UNKNOWN;
    switch (CompleteImageFormat(bytes)) {
    case ThumbnailFormat::Png: type = IL_PNG; break;
    case ThumbnailFormat::Jpeg: type = IL_JPG; break;
    case ThumbnailFormat::Gif: type = IL_GIF; break;
    case ThumbnailFormat::None: return false;
    }
    return DecodeWith(
        [&] { return ilLoadL(type, bytes.data(), static_cast<ILuint>(bytes.size())); }, out);
}

// A picture of the skin as drawn for `dpi`: from the set nearest above it,
// else the 100 % picture.
bool DecodeSkinPicture(const char* name, int dpi, Pixels& pixels) {
    const wchar_t* path = SkinPath(name);
    if (!path || !*path) return false;
    std::wstring file = path;
    const int set = SkinSetFor(dpi);
    if (set != 100) {
        const std::wstring setFile = SkinSetFile(file, set);
        if (!setFile.empty() && GetFileAttributesW(setFile.c_str()) != INVALID_FILE_ATTRIBUTES) file = setFile;
    }
    return DecodeWith([&file] { return ilLoadImage(file.c_str()); }, pixels);
}

// Pictures of the skin prepared once per DPI, under one lock.
std::mutex preparedLock;

// The mask's box pixels for `dpi`, loaded once per DPI from the skin.
std::vector<std::uint8_t> ThumbMask(int dpi) {
    static auto* masks = new std::map<int, std::vector<std::uint8_t>>;
    std::lock_guard<std::mutex> hold(preparedLock);
    const auto found = masks->find(dpi);
    if (found != masks->end()) return found->second;
    // Through the image loader, which resamples a picture the skin has no
    // set for: a mask smaller than the box would hide the thumbnail's edges.
    std::vector<std::uint8_t>& mask = (*masks)[dpi];
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    SIZE size{};
    if (LoadImageBitmap(SkinPath("HI_THUMB_MASK"), &bitmap, &bits, &size, dpi)) {
        ScopedBitmap owner(bitmap);
        mask = FitThumbnailPixels(static_cast<const std::uint8_t*>(bits), size.cx, size.cy,
                                  FitThumbnail(size.cx, size.cy, dpi));
    }
    return mask;
}

std::shared_ptr<const PreparedThumbnail> Prepare(const Pixels& image, int dpi) {
    auto prepared = std::make_shared<PreparedThumbnail>();
    const ThumbnailFit fit = FitThumbnail(image.width, image.height, dpi);
    prepared->bgra = FitThumbnailPixels(image.bgra.data(), image.width, image.height, fit);
    prepared->showOverlay = fit.showOverlay;
    prepared->box = fit.box;
    MaskAndPremultiply(prepared->bgra, ThumbMask(dpi), prepared->showOverlay);
    return prepared;
}

}  // namespace

std::shared_ptr<const PreparedThumbnail> DefaultPreparedThumbnail(int dpi) {
    dpi = UsableDpi(dpi);
    static auto* prepared = new std::map<int, std::shared_ptr<const PreparedThumbnail>>;
    {
        std::lock_guard<std::mutex> hold(preparedLock);
        const auto found = prepared->find(dpi);
        if (found != prepared->end()) return found->second;
    }
    Pixels pixels;
    DecodeSkinPicture("HI_DEFAULT_THUMB", dpi, pixels);
    std::shared_ptr<const PreparedThumbnail> made = Prepare(pixels, dpi);  // empty if even that fails
    std::lock_guard<std::mutex> hold(preparedLock);
    return prepared->emplace(dpi, std::move(made)).first->second;
}

std::shared_ptr<const PreparedThumbnail> LoadPreparedThumbnail(const std::wstring& path, int dpi) {
    dpi = UsableDpi(dpi);
    Pixels pixels;
    if (!DecodeThumbnailFile(path, pixels)) return DefaultPreparedThumbnail(dpi);
    return Prepare(pixels, dpi);
}
