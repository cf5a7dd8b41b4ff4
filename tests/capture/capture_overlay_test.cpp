// The overlay with its real widgets, driven by real mouse input on this
// thread: the selection follows drags, moves and corner resizes, and the
// incrementally redrawn picture equals one drawn from scratch. Pick mode:
// which window the pointer picks and how it is outlined.
#include "capture/capture_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "capture/capture_test_support.h"
#include "capture/window_grab.h"
#include "config/settings_store.h"
#include "base/scoped_win.h"
#include "base/seams.h"
#include "gui/argb_bitmap.h"
#include "gui/dwm_api.h"
#include "gui/gui_test_support.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"

namespace {

// Windows of the test's own class (static controls are transparent to
// hit-testing, so they would never be picked).
const wchar_t* TargetClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = L"PickTarget";
        return RegisterClassW(&windowClass) != 0;
    }();
    return registered ? L"PickTarget" : L"STATIC";
}

class OverlayTest : public CaptureTest {
protected:
    void TearDown() override {
        CloseOverlay(state);
        if (target) DestroyWindow(target);
        OverrideDwm(nullptr);
    }
    void Open(bool regionMode) {
        state.request.regionMode = regionMode;
        ASSERT_TRUE(OpenOverlay(state));
        PumpMessages();
    }
    // The picture drawn from scratch for the current selection, with a
    // second set of the real widgets painting into a picture of its own.
    std::vector<std::uint32_t> Fresh() {
        const int w = state.Width(), h = state.Height();
        ScopedMemoryDC memory(CreateCompatibleDC(state.ScreenDC()));
        void* bits = nullptr;
        ScopedBitmap bitmap(CreateArgbBitmap(state.ScreenDC(), w, h, &bits));
        if (!bitmap || !bits) return {};
        ScopedSelect selected(memory.get(), bitmap.get());
        OverlayWidgets widgets(state.overlay, GetModuleHandleW(nullptr), memory.get(),
                               POINT{state.overlayRect.left, state.overlayRect.top});
        OverlayCanvas canvas{static_cast<std::uint32_t*>(bits), w, h};
        RenderOverlay(canvas, state.selection.drawn, state.border, &widgets);
        GdiFlush();
        return std::vector<std::uint32_t>(canvas.pixels, canvas.pixels + std::size_t(w) * h);
    }
    bool MatchesFresh() {
        const std::vector<std::uint32_t> fresh = Fresh();
        return std::equal(fresh.begin(), fresh.end(), state.pixels);
    }
    HWND MakeTarget(DWORD style, int x, int y, int w, int h) {
        target = CreateWindowExW(0, TargetClass(), L"pick me", style | WS_VISIBLE, x, y, w, h, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        PumpMessages();
        return target;
    }
    void PointerMove(int x, int y) {
        SendMessageW(state.overlay, WM_MOUSEMOVE, 0,
                     MAKELPARAM(x - state.overlayRect.left, y - state.overlayRect.top));
    }

    CaptureState state;
    HWND target = nullptr;
};

TEST_F(OverlayTest, RegionSelectionFollowsRealInputAndRedrawsExactly) {
    Open(true);
    EXPECT_TRUE(MatchesFresh());  // dimmed, with the upload button
    EXPECT_EQ(kOverlayDimmed, state.Canvas().At(400, 300));

    Drag({300, 200}, {500, 330});  // a new selection
    EXPECT_TRUE(state.selection.hasSelection);
    EXPECT_EQ((CaptureRect{300, 200, 501, 331}), state.selection.drawn);
    EXPECT_TRUE(MatchesFresh());
    EXPECT_EQ(kRegionBorder, state.Canvas().At(300, 250));
    EXPECT_EQ(kOverlayInside, state.Canvas().At(400, 250));

    Drag({400, 260}, {340, 300});  // moved by (-60, 40)
    EXPECT_EQ((CaptureRect{240, 240, 441, 371}), state.selection.drawn);
    EXPECT_TRUE(MatchesFresh());

    Drag({439, 369}, {460, 300});  // bottom-right corner: now above the top
    EXPECT_EQ((CaptureRect{240, 240, 461, 301}), state.selection.drawn);
    EXPECT_TRUE(MatchesFresh());

    Drag({245, 245}, {250, 290});  // top-left corner, down to a thin strip
    EXPECT_EQ((CaptureRect{250, 290, 461, 301}), state.selection.drawn);
    EXPECT_TRUE(MatchesFresh());

    Drag({0, 600}, {3000, 3000});  // a new one, past the screen's edge
    EXPECT_EQ((CaptureRect{0, 600, state.Width(), state.Height()}), state.selection.drawn);
    EXPECT_TRUE(MatchesFresh());

    // A drag whose last moves were never reported ends where the button
    // came up.
    const auto at = [&](int x, int y) {
        return MAKELPARAM(x - state.overlayRect.left, y - state.overlayRect.top);
    };
    SendMessageW(state.overlay, WM_LBUTTONDOWN, MK_LBUTTON, at(100, 100));
    PointerMove(150, 150);
    SendMessageW(state.overlay, WM_LBUTTONUP, 0, at(200, 180));
    EXPECT_EQ((CaptureRect{100, 100, 201, 181}), state.selection.drawn);
    EXPECT_TRUE(MatchesFresh());

    // Escape ends the capture.
    SendMessageW(state.overlay, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(state.overlay));
}

// A desk of two monitors: one left of column 500 of the virtual screen, the
// other from there on.
int splitDpiLeft = 96, splitDpiRight = 144;
int SplitAt500(const RECT& area) {
    const int left = std::max<int>(0, std::min<int>(area.right, 500) - area.left);
    const int right = std::max<int>(0, area.right - std::max<int>(area.left, 500));
    return right > left ? splitDpiRight : splitDpiLeft;
}

class TwoMonitorOverlayTest : public OverlayTest {
protected:
    // A region overlay over the two monitors at these DPIs.
    void OpenOver(int leftDpi, int rightDpi) {
        splitDpiLeft = leftDpi, splitDpiRight = rightDpi;
        Seams seams;
        seams.monitorDpi = SplitAt500;
        scoped_.emplace(seams);
        Open(true);
        ASSERT_EQ(0, state.overlayRect.left);  // overlay and screen coordinates agree
        ASSERT_EQ(0, state.overlayRect.top);
    }
    std::optional<ScopedSeams> scoped_;
};

// Each corner image comes at the scale of the monitor it is on, the
// pointer's bands with it, and the picture drawn step by step still equals
// one drawn from scratch.
TEST_F(TwoMonitorOverlayTest, CornersTakeTheScaleOfTheirMonitor) {
    OpenOver(96, 144);
    OverlayWidgets& widgets = *state.widgets;
    EXPECT_EQ((CaptureRect{5, 5, 58, 58}), widgets.ButtonArea());  // the primary monitor is at 100 %

    Drag({300, 200}, {700, 330});  // from the 100 % monitor onto the 150 % one
    ASSERT_EQ((CaptureRect{300, 200, 701, 331}), state.selection.drawn);
    EXPECT_EQ((CaptureRect{300, 200, 312, 212}), widgets.CornerArea(kTopLeft));
    EXPECT_EQ((CaptureRect{683, 313, 701, 331}), widgets.CornerArea(kBottomRight));
    EXPECT_EQ(96, widgets.CornerDpi(kBottomLeft));
    EXPECT_EQ(144, widgets.CornerDpi(kTopRight));
    EXPECT_TRUE(MatchesFresh());
    // The top-right corner is the 150 % set's picture pixel for pixel (drawn
    // over transparent black, as it is).
    HBITMAP picture = nullptr;
    void* bits = nullptr;
    SIZE size{};
    ASSERT_TRUE(LoadImageBitmap(SkinSetFile(SkinPath("SS_TOP_RIGHT"), 150).c_str(), &picture, &bits, &size));
    ScopedBitmap owned(picture);
    ASSERT_EQ(18, size.cx);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 18; ++x) {
            ASSERT_EQ(pixels[(17 - y) * 18 + x], state.Canvas().At(683 + x, 200 + y)) << x << "," << y;
        }
    }

    // 15 pixels in from the bottom-right corner is a corner band at 150 %.
    MouseTo(686, 316);
    SendMessageW(state.overlay, WM_SETCURSOR, WPARAM(state.overlay), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_SIZENWSE), GetCursor());
    Drag({686, 316}, {450, 316});  // resized back onto the 100 % monitor
    EXPECT_EQ(451, state.selection.drawn.right);
    EXPECT_EQ(96, widgets.CornerDpi(kBottomRight));
    EXPECT_EQ(12, widgets.CornerArea(kBottomRight).Width());
    EXPECT_TRUE(MatchesFresh());
}

// A primary monitor at 150 %: the upload button is 80 pixels, 8 in.
TEST_F(TwoMonitorOverlayTest, TheButtonTakesThePrimaryMonitorsScale) {
    OpenOver(144, 96);
    EXPECT_EQ((CaptureRect{8, 8, 88, 88}), state.widgets->ButtonArea());
    EXPECT_TRUE(MatchesFresh());
}

TEST_F(OverlayTest, PickingResolvesChildrenAndIgnoresTheDesktop) {
    HWND parent = MakeTarget(WS_POPUP, 100, 100, 200, 150);
    HWND child = CreateWindowExW(0, TargetClass(), L"child", WS_CHILD | WS_VISIBLE, 20, 20, 50, 50, parent,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    PumpMessages();
    EXPECT_EQ(parent, PickableWindowAt(POINT{130, 130}));  // over the child
    EXPECT_EQ(parent, PickableWindowAt(POINT{250, 200}));
    EXPECT_EQ(nullptr, PickableWindowAt(POINT{900, 900}));  // the bare desktop
    DestroyWindow(child);
}

TEST_F(OverlayTest, PickModeOutlinesTheWindowUnderThePointer) {
    Settings().SetBool(L"EnableTransparentWindowGrab", true);
    MakeTarget(WS_POPUP, 100, 100, 200, 150);
    Open(false);
    // Hit-testing sees through the overlay to the window below it.
    PointerMove(150, 150);
    EXPECT_EQ(target, state.targetWindow);
    EXPECT_FALSE(state.transparentGrab);  // no caption: red, no margin
    EXPECT_EQ(kGrabBorderOpaque, state.border);
    EXPECT_EQ((CaptureRect{100, 100, 300, 250}), state.selection.drawn);
    EXPECT_EQ(kGrabBorderOpaque, state.Canvas().At(100, 120));
    // Over the desktop the outline stays.
    PointerMove(900, 900);
    EXPECT_EQ(target, state.targetWindow);
}

// The desktop composing, as on Vista and later with glass.
HRESULT WINAPI Composing(BOOL* enabled) {
    *enabled = TRUE;
    return S_OK;
}
HRESULT WINAPI NoBlur(HWND, const DWM_BLURBEHIND*) {
    return S_OK;
}

TEST_F(OverlayTest, ACaptionedWindowIsOutlinedInBlueWithItsShadowUnlessMaximised) {
    DwmApi dwm;
    dwm.isCompositionEnabled = Composing;
    dwm.enableBlurBehindWindow = NoBlur;
    OverrideDwm(&dwm);
    Settings().SetBool(L"EnableTransparentWindowGrab", true);
    MakeTarget(WS_OVERLAPPEDWINDOW, 200, 150, 300, 200);
    Open(false);
    PointerMove(350, 250);
    ASSERT_EQ(target, state.targetWindow);
    EXPECT_TRUE(state.transparentGrab);
    EXPECT_EQ(kGrabBorderTransparent, state.border);
    EXPECT_EQ((CaptureRect{170, 120, 530, 380}), state.selection.drawn);

    // The setting off, or the window maximised: red and tight.
    Settings().SetBool(L"EnableTransparentWindowGrab", false);
    EXPECT_FALSE(WantsTransparentGrab(target));
    Settings().SetBool(L"EnableTransparentWindowGrab", true);
    ShowWindow(target, SW_MAXIMIZE);
    PumpMessages();
    EXPECT_FALSE(WantsTransparentGrab(target));
}

}  // namespace
