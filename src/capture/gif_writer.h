// Writes GIF files with giflib (the image library cannot write GIF). The
// path is wide: the file is opened with _wopen and handed to giflib as a
// descriptor, since giflib's own open takes only ANSI names.
#pragma once

#include <cstdint>
#include <string>

enum class GifWriteResult { kWritten, kExists, kFailed };

// `indices` holds width * height palette indices, rows top first; `palette`
// holds `colours` RGB triples (1 to 256). An existing file is left alone
// (kExists). A failed write removes what it had started.
GifWriteResult WriteGifFile(const std::wstring& path, int width, int height, const std::uint8_t* indices,
                            const std::uint8_t* palette, int colours);
