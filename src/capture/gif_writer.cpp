#include "capture/gif_writer.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <vector>

#include <gif_lib.h>

namespace {

// Owns the colour map giflib borrows while the screen is described.
struct MapHolder {
    ColorMapObject* map = nullptr;
    ~MapHolder() {
        if (map) GifFreeMapObject(map);
    }
};

}  // namespace

GifWriteResult WriteGifFile(const std::wstring& path, int width, int height, const std::uint8_t* indices,
                            const std::uint8_t* palette, int colours) {
    if (!indices || !palette || width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF ||
        colours < 1 || colours > 256) {
        return GifWriteResult::kFailed;
    }
    // Padded to 256 entries: giflib wants a power of two.
    GifColorType entries[256] = {};
    for (int i = 0; i < colours; ++i) {
        entries[i].Red = palette[3 * i];
        entries[i].Green = palette[3 * i + 1];
        entries[i].Blue = palette[3 * i + 2];
    }
    MapHolder holder;
    holder.map = GifMakeMapObject(256, entries);
    if (!holder.map) return GifWriteResult::kFailed;

    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno == EEXIST ? GifWriteResult::kExists : GifWriteResult::kFailed;
    int error = 0;
    GifFileType* gif = EGifOpenFileHandle(fd, &error);
    if (!gif) {
        _close(fd);
        _wremove(path.c_str());
        return GifWriteResult::kFailed;
    }
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, holder.map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        const std::uint8_t* source = indices + static_cast<std::size_t>(y) * width;
        row.assign(source, source + width);
        ok = EGifPutLine(gif, row.data(), width) == GIF_OK;
    }
    // Closing also flushes and closes the descriptor.
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (!ok) {
        _wremove(path.c_str());
        return GifWriteResult::kFailed;
    }
    return GifWriteResult::kWritten;
}
