// Helpers for tests of windows and widgets: message pumping, drawing solid
// colours with alpha, and a widget that records what happens to it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gui/gui_object.h"

HINSTANCE TestInstance();

// The test program's own folder (UTF-8, ending in a backslash), where the
// build copies the skin: the program folder of a main window made in a test.
std::string TestProgramFolder();

// Dispatches every message waiting for this thread (posted ones first).
void PumpMessages();

// Blends `argb` (0xAARRGGBB, colour already premultiplied) over `rect`,
// honouring the target's clip region.
void FillArgb(HDC target, const RECT& rect, std::uint32_t argb);

// Whether a window has the WS_VISIBLE style (its parents aside).
bool HasVisibleStyle(HWND window);

class SkinnableWindow;

// The skin picture `name` as loaded for `dpi` against `window`'s back buffer
// with its top-left corner at `at`: how many of its opaque pixels fall inside
// the window's shape (-1 when it does not load) and how many of them the
// buffer holds as they are. Equal counts: the picture of that DPI's set, drawn unstretched.
struct PictureMatch {
    int opaque = -1;
    int same = 0;
    SIZE size{0, 0};
};
PictureMatch MatchPicture(const SkinnableWindow& window, const char* name, int dpi, POINT at);

// A widget that fills its rectangle with one colour and records its paints
// and the messages that reach its WindowProc.
class ProbeWidget : public GUIObject {
public:
    ProbeWidget(HWND parent, int x, int y, int width, int height, std::uint32_t argb,
                bool inputWindow = true);

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC target, const RECT& dirty) override;

    std::uint32_t colour;
    std::vector<RECT> paints;
    std::vector<UINT> messages;
    // Appended to on every paint, so tests can check the order of painters.
    std::vector<ProbeWidget*>* paintLog = nullptr;
};
