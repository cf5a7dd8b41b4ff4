// A cheap look at a thumbnail file's structure before the image library gets
// it: the library can hang on some damaged files (a PNG signature followed by
// garbage), and thumbnails come from the network. Free of Win32.
#pragma once

#include <cstdint>
#include <string>

// The image library sizes its buffers in 32 bits and throws when an
// allocation fails, so the sides a header declares are bounded before it
// sees the file: far more than any thumbnail needs, little enough that every
// buffer of the decode fits comfortably.
constexpr std::uint32_t kMaxThumbnailSide = 4096;
constexpr std::uint64_t kMaxThumbnailPixels = 4u << 20;
// All frames of an animated GIF together (each is decoded onto a canvas).
constexpr std::uint64_t kMaxThumbnailDecodedPixels = 4 * kMaxThumbnailPixels;

// Both sides non-zero and within the bounds, and the pixel count too.
bool ThumbnailSidesAllowed(std::uint32_t width, std::uint32_t height);

// True for a PNG whose chunks (IHDR first, at least one IDAT) lie inside the
// file up to IEND, a JPEG whose segments up to the scan are whole, with a
// frame header and an end marker, or a GIF whose blocks are whole up to its
// trailer with at least one frame inside its canvas; in each case with
// sides (and frames) the bounds above allow. Anything else (empty,
// truncated, unknown, too large) is false.
bool LooksLikeCompleteImage(const std::string& bytes);

// Which of those it is. Thumbnails are named after the uploaded file, so the
// name's extension says nothing about the format the service sent.
enum class ThumbnailFormat { None, Png, Jpeg, Gif };
ThumbnailFormat CompleteImageFormat(const std::string& bytes);

// What the check read from a complete image's headers: the sides of the PNG
// header, the (last) JPEG frame header or the GIF canvas, and for a GIF its
// frames and the canvas pixels they decode to in all. Zero (format None) for
// anything LooksLikeCompleteImage refuses.
struct ThumbnailHeader {
    ThumbnailFormat format = ThumbnailFormat::None;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int frames = 0;
    std::uint64_t decodedPixels = 0;
};
ThumbnailHeader InspectThumbnail(const std::string& bytes);
