// A cheap look at a thumbnail file's structure before the image library gets
// it: the library can hang on some damaged files (a PNG signature followed by
// garbage), and thumbnails come from the network. Free of Win32.
#pragma once

#include <string>

// True for a PNG whose chunks (IHDR first, at least one IDAT) lie inside the
// file up to IEND, a JPEG whose segments up to the scan are whole, with a
// frame header and an end marker, or a GIF with its header and trailer.
// Anything else (empty, truncated, unknown) is false.
bool LooksLikeCompleteImage(const std::string& bytes);

// Which of those it is. Thumbnails are named after the uploaded file, so the
// name's extension says nothing about the format the service sent.
enum class ThumbnailFormat { None, Png, Jpeg, Gif };
ThumbnailFormat CompleteImageFormat(const std::string& bytes);
