#include "history/history_test_support.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/app_state.h"
#include "base/utf.h"
#include "gui/skin_catalogue.h"
#include "support/png_writer.h"
#include "support/prompts.h"

void InstallHistoryTestSkin(const std::string& programFolder) {
    const std::string skin = programFolder + "\\skin";
    CreateDirectoryW(Utf8ToWide(skin).c_str(), nullptr);
    CreateDirectoryW(Utf8ToWide(skin + "\\history").c_str(), nullptr);
    CreateDirectoryW(Utf8ToWide(skin + "\\buttons").c_str(), nullptr);

    WritePng(skin + "\\history\\no_thumb.png", 20, 20, SolidRgba(20, 20, 0, 0, 255, 255));
    WritePng(skin + "\\history\\thumb_mask.png", 69, 69, SolidRgba(69, 69, 0, 0, kMaskBlue, 255));
    std::vector<std::uint8_t> overlay(69 * 69 * 4, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* pixel = &overlay[(y * 69 + x) * 4];
            pixel[1] = 255;
            pixel[3] = 255;
        }
    }
    WritePng(skin + "\\history\\thumb_overlay.png", 69, 69, overlay);
    for (const char* name : {"copyurl", "copyurl_hover"}) {
        WritePng(skin + "\\buttons\\" + name + ".png", 65, 20, SolidRgba(65, 20, 90, 90, 90, 255));
    }
    for (const char* name : {"delete", "delete_hover"}) {
        WritePng(skin + "\\buttons\\" + name + ".png", 20, 20, SolidRgba(20, 20, 90, 90, 90, 255));
    }
    for (const char* name : {"retry", "retry_hover"}) {
        WritePng(skin + "\\buttons\\" + name + ".png", 65, 20, SolidRgba(65, 20, 90, 90, 90, 255));
    }
    WritePng(skin + "\\history\\failed.png", 69, 69, SolidRgba(69, 69, 200, 30, 30, 255));

    App().programFolder = programFolder + "\\";
    RecordedPrompts quiet;  // the catalogue reports the files these tests do not need
    LoadSkinCatalogue(App().programFolder);
}
