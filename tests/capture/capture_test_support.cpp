#include "capture/capture_test_support.h"

#include <string>

#include "app/app_state.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/gui_test_support.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"

void CaptureTest::SetUp() {
    wchar_t module[MAX_PATH] = {};
    std::wstring folder(module, GetModuleFileNameW(nullptr, module, MAX_PATH));
    folder.erase(folder.find_last_of(L'\\') + 1);
    App().programFolder = WideToUtf8(folder);
    ASSERT_TRUE(LoadSkinCatalogue(App().programFolder));
    DefineDefaultSettings(Settings());
    InitImageLibrary();
    SetDefaultFonts(StartupFontList());
    SetCursorPos(0, 0);
}
