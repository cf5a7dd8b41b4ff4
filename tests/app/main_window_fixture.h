// What a test of the real main window sets up before creating it: the skin
// and fonts the program starts with, and a paused upload queue the window's
// commands can reach. The test's own settings come first.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/app_state.h"
#include "gui/font_face.h"
#include "gui/gui_test_support.h"
#include "gui/skin_catalogue.h"
#include "upload/upload_queue.h"

inline void PrepareForMainWindow(std::unique_ptr<UploadQueue>& queue) {
    App().programFolder = TestProgramFolder();
    ASSERT_TRUE(LoadSkinCatalogue(App().programFolder));
    SetDefaultFonts(StartupFontList());
    queue = std::make_unique<UploadQueue>();
    queue->SetPaused(true);
    App().uploadQueue = queue.get();
}
