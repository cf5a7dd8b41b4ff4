#include "bench_window.h"

#include "app/app_state.h"
#include "app/history_list.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "history/history_store.h"

double Milliseconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::unique_ptr<HistoryStore> OpenBenchWindow(HINSTANCE instance, const wchar_t* dataFolder,
                                              std::unique_ptr<SkinnableWindow>& window) {
    AppState& app = App();
    app.programFolder = FolderOfProgram();
    app.dataFolder = WideToUtf8(dataFolder);
    if (app.dataFolder.empty() || app.dataFolder.back() != '\\') app.dataFolder += '\\';
    DefineDefaultSettings(Settings());
    if (!LoadSkinCatalogue(app.programFolder)) return nullptr;
    SetDefaultFonts(StartupFontList());
    if (!CreateMainWindow(instance, window, kBaseDpi)) return nullptr;
    CreateMainButtons(instance);
    CreateMainPage(instance);
    return LoadHistoryList(instance, nullptr);
}
