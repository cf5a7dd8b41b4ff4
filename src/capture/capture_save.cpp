#include "capture/capture_save.h"

#include <windows.h>

#include <IL/il.h>
#include <IL/ilu.h>

#include "base/clock.h"
#include "base/scoped_win.h"
#include "capture/capture_names.h"
#include "capture/gif_writer.h"
#include "capture/raw_image.h"

namespace {

// Errors left over from earlier calls would be taken for this save's.
void ClearLibraryErrors() {
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
}

// Saves the bound image through the library; an existing file is deleted
// and the save tried once more.
bool SaveWithLibrary(const std::wstring& path) {
    ClearLibraryErrors();
    if (ilSaveImage(path.c_str())) return true;
    if (ilGetError() != IL_FILE_ALREADY_EXISTS) return false;
    _wremove(path.c_str());
    return ilSaveImage(path.c_str()) != IL_FALSE;
}

// Reduces the bound RGB image to at most 256 colours (Wu's quantizer) and
// writes it with giflib, top row first.
bool SaveAsGif(const std::wstring& path) {
    ilSetInteger(IL_QUANTIZATION_MODE, IL_WU_QUANT);
    ilSetInteger(IL_MAX_QUANT_INDICES, 256);
    if (!ilConvertImage(IL_COLOUR_INDEX, IL_UNSIGNED_BYTE) || !ilConvertPal(IL_PAL_RGB24)) {
        return false;
    }
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    const int colours = ilGetInteger(IL_PALETTE_NUM_COLS);
    const ILubyte* data = ilGetData();
    const ILubyte* palette = ilGetPalette();
    if (!data || !palette || ilGetInteger(IL_IMAGE_BPP) != 1 || width <= 0 || height <= 0) {
        return false;
    }
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * height);
    const bool bottomUp = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
    for (int y = 0; y < height; ++y) {
        const int from = bottomUp ? height - 1 - y : y;
        std::copy(data + static_cast<std::size_t>(from) * width,
                  data + static_cast<std::size_t>(from + 1) * width,
                  rows.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    GifWriteResult result = WriteGifFile(path, width, height, rows.data(), palette, colours);
    if (result == GifWriteResult::kExists) {
        _wremove(path.c_str());
        result = WriteGifFile(path, width, height, rows.data(), palette, colours);
    }
    return result == GifWriteResult::kWritten;
}

}  // namespace

std::wstring ReserveCaptureFile(const std::wstring& dataFolder, CaptureFormat format) {
    const std::wstring folder = dataFolder + L"captures\\";
    CreateDirectoryW(folder.c_str(), nullptr);  // there already, most times
    const SYSTEMTIME now = LocalTimeNow();
    const CaptureClock clock{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    // The serial makes the name new; a few thousand captures within one
    // second would be needed to run out.
    for (unsigned serial = 1; serial <= 4096; ++serial) {
        const std::wstring path = folder + PrivateCaptureFileName(clock, serial, format);
        ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (file) return path;
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return std::wstring();
}

bool SaveCaptureImage(const std::vector<std::uint8_t>& raw, bool hasTransparency, const std::wstring& path) {
    const CaptureFormat format = FormatOfName(path);
    if (raw.empty() || format == CaptureFormat::kUnknown) return false;
    const ILint previous = ilGetInteger(IL_CUR_IMAGE);

    // Only PNG keeps transparency. The library's own overlay takes alpha
    // from the wrong channel when laying RGBA over RGB, so the pixels are
    // laid over white here before the library sees them.
    const bool keepAlpha = hasTransparency && format == CaptureFormat::kPng;
    std::vector<std::uint8_t> flattened;
    if (hasTransparency && !keepAlpha) {
        flattened = raw;
        FlattenRawOntoWhite(flattened);
    }
    const std::vector<std::uint8_t>& block = flattened.empty() ? raw : flattened;

    const ILuint image = ilGenImage();
    ilBindImage(image);
    bool ok = ilLoadL(IL_RAW, block.data(), static_cast<ILuint>(block.size())) != IL_FALSE;
    if (ok && !keepAlpha) ok = ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) != IL_FALSE;
    if (ok) ok = format == CaptureFormat::kGif ? SaveAsGif(path) : SaveWithLibrary(path);
    ilDeleteImage(image);
    ilBindImage(static_cast<ILuint>(previous));
    return ok;
}
