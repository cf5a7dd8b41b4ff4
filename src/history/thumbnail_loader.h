// Turning a thumbnail file into the picture a history entry draws: read
// whole, looked at before the image library gets it, decoded, fitted into
// the box, masked and premultiplied. A missing, damaged or oversized file
// gives the skin's default thumbnail.
#pragma once

#include <memory>
#include <string>

#include "history/thumbnail_fit.h"

// The picture for the thumbnail file at `path` (empty: none), for an entry
// drawn at `dpi`. Never null.
std::shared_ptr<const PreparedThumbnail> LoadPreparedThumbnail(const std::wstring& path, int dpi = kBaseDpi);

// The skin's default thumbnail, prepared once per DPI.
std::shared_ptr<const PreparedThumbnail> DefaultPreparedThumbnail(int dpi = kBaseDpi);
