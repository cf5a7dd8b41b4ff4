// A program folder with the few skin images the history items use, drawn by
// the tests themselves so that pixel checks know every value.
#pragma once

#include <string>

#include "support/temp_dir.h"

// Colours of the test skin.
constexpr unsigned char kMaskBlue = 128;  // the mask halves alpha everywhere
constexpr unsigned int kFailedTileColour = 0xFFC81E1Eu;  // 0xAARRGGBB

// Writes the skin under `programFolder` (UTF-8, no trailing separator), points
// App().programFolder at it and loads the catalogue quietly:
//   no_thumb.png      20 x 20 opaque blue
//   thumb_mask.png    69 x 69, blue byte kMaskBlue, opaque
//   thumb_overlay.png 69 x 69 transparent but a 4 x 4 opaque green corner
//   copyurl / delete / retry  small opaque grey buttons
//   failed.png        69 x 69 opaque kFailedTileColour
void InstallHistoryTestSkin(const std::string& programFolder);
