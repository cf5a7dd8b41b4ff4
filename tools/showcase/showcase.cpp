// The toolkit showcase: a skinned window shaped like the main window with one
// of each widget on it, for looking at the skin and taking screenshots.
//   showcase.exe [--skin DIR] [--state normal|uploading|error] [--at X Y]
// DIR is the skin folder (by default the "skin" folder beside the program).
// Escape or closing the window ends it.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "gui/font_face.h"
#include "gui/skinnable_window.h"
#include "showcase_layout.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    std::wstring skin;
    ShowcaseState state = ShowcaseState::kNormal;
    int x = 40, y = 40;
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring arg = args[i];
        if (arg == L"--skin" && i + 1 < count) {
            skin = args[++i];
        } else if (arg == L"--state" && i + 1 < count) {
            const std::wstring name = args[++i];
            if (name == L"uploading") state = ShowcaseState::kUploading;
            else if (name == L"error") state = ShowcaseState::kError;
        } else if (arg == L"--at" && i + 2 < count) {
            x = _wtoi(args[++i]);
            y = _wtoi(args[++i]);
        }
    }
    LocalFree(args);

    if (!LoadShowcaseSkin(skin)) return 1;  // the catalogue has said what is missing
    SetDefaultFonts(StartupFontList());
    std::unique_ptr<Showcase> showcase = BuildShowcase(instance, state, x, y);
    if (!showcase) {
        MessageBoxW(nullptr, L"Could not create the showcase window.", L"liftorn showcase",
                    MB_ICONERROR);
        return 1;
    }
    return showcase->window->RunMessageLoop();
}
