// Turns a capture's raw image block into a file with the image library:
// PNG keeps real transparency, JPEG and GIF are flattened onto white, GIF is
// reduced to a palette and written with giflib. Every capture gets a file of
// its own, in the data folder's "captures", that nothing else writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_names.h"

// Creates a new, empty file for one capture in `dataFolder` + "captures"
// (made if missing) with the extension of `format`; never opens or replaces
// an existing file. Its full path, or empty when none could be made.
std::wstring ReserveCaptureFile(const std::wstring& dataFolder, CaptureFormat format);

// `raw` is a block from BuildRawImage; `path` ends in .png, .jpg or .gif (in
// any letter case). The caller holds the image library's lock. A file at
// `path` (the one ReserveCaptureFile made) is replaced. False when no
// complete file was written.
bool SaveCaptureImage(const std::vector<std::uint8_t>& raw, bool hasTransparency, const std::wstring& path);
