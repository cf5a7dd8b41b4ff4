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

namespace {

void Send(DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        // Absolute coordinates run from 0 to 65535 over the primary screen.
        input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(1, &input, sizeof input);
    for (int i = 0; i < 5; ++i) {
        PumpMessages();
        Sleep(10);
    }
}

}  // namespace

void MouseTo(int x, int y) {
    Send(MOUSEEVENTF_MOVE, x, y);
}
void MouseDown() {
    Send(MOUSEEVENTF_LEFTDOWN);
}
void MouseUp() {
    Send(MOUSEEVENTF_LEFTUP);
}

void Drag(POINT from, POINT to) {
    MouseTo(from.x, from.y);
    MouseDown();
    // In steps, as a hand moves.
    for (int step = 1; step <= 4; ++step) {
        MouseTo(from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4);
    }
    MouseUp();
}
