// Turns a capture's raw image block into a file with the image library:
// PNG keeps real transparency, JPEG and GIF are flattened onto white, GIF is
// reduced to a palette and written with giflib. An existing file of that
// name is replaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `raw` is a block from BuildRawImage; `path` ends in .png, .jpg or .gif (in
// any letter case). The caller holds the image library's lock. False when no
// complete file was written.
bool SaveCaptureImage(const std::vector<std::uint8_t>& raw, bool hasTransparency, const std::wstring& path);
