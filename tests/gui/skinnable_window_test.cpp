#include "gui/skinnable_window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "base/utf.h"
#include "gui/dwm_api.h"
#include "gui_test_support.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;

class SkinnableWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<SkinnableWindow> MakeWindow(int width, int height) {
        auto window = std::make_unique<SkinnableWindow>(TestInstance(), width, height, 1, L"test",
                                                        WS_POPUP, 0);
        EXPECT_NE(nullptr, window->MainWindow());
        window->Show(SW_SHOWNOACTIVATE);  // hidden windows collect no update region
        return window;
    }
    std::wstring Tile(const char* name, int width, int height, std::uint32_t argb) {
        const std::string path = temp_.File(name);
        EXPECT_TRUE(WritePng(path, width, height,
                             SolidRgba(width, height, argb >> 16, argb >> 8, argb, argb >> 24)));
        return Utf8ToWide(path);
    }
    void TearDown() override { PumpMessages(); }
    TempDir temp_;
};

LRESULT HitAt(SkinnableWindow& window, int x, int y) {
    const POINT origin = window.GetPosition();
    return SendMessageW(window.MainWindow(), WM_NCHITTEST, 0,
                        MAKELPARAM(origin.x + x, origin.y + y));
}

TEST_F(SkinnableWindowTest, SlicesRepeatInWholeCopiesAndLeaveTheRemainderClear) {
    auto window = MakeWindow(20, 205);
    ASSERT_TRUE(window->AddBackgroundTile(Tile("top.png", 20, 30, kRed).c_str(), 0, 0));
    ASSERT_TRUE(window->AddBackgroundTile(Tile("middle.png", 20, 10, kGreen).c_str(), 0, -1));
    ASSERT_TRUE(window->AddBackgroundTile(Tile("bottom.png", 20, 40, kBlue).c_str(), 0, 0));
    window->Relayout(nullptr);
    window->PaintNow();

    ASSERT_EQ(20, window->BackBufferSize().cx);
    ASSERT_EQ(205, window->BackBufferSize().cy);
    for (int y = 0; y < 205; ++y) {
        const std::uint32_t expected = y < 30 ? kRed : y < 160 ? kGreen : y < 200 ? kBlue : 0u;
        ASSERT_EQ(expected, window->BackBufferPixel(0, y)) << "row " << y;
        // The shape, a round-rectangle region, leaves out the last column.
        ASSERT_EQ(expected, window->BackBufferPixel(18, y)) << "row " << y;
    }
}

TEST_F(SkinnableWindowTest, TilesRepeatAcrossAndCropToAGivenSize) {
    auto window = MakeWindow(25, 20);
    ASSERT_TRUE(window->AddBackgroundTile(Tile("row.png", 10, 5, kRed).c_str(), -1, 0));
    ASSERT_TRUE(window->AddBackgroundTile(Tile("big.png", 30, 30, kBlue).c_str(), 4, 6));
    EXPECT_FALSE(window->AddBackgroundTile(Utf8ToWide(temp_.File("absent.png")).c_str(), 0, 0));
    window->Relayout(nullptr);
    window->PaintNow();

    EXPECT_EQ(kRed, window->BackBufferPixel(0, 0));
    EXPECT_EQ(kRed, window->BackBufferPixel(19, 4));
    EXPECT_EQ(0u, window->BackBufferPixel(20, 0));  // a third copy would not fit
    EXPECT_EQ(kBlue, window->BackBufferPixel(3, 10));
    EXPECT_EQ(0u, window->BackBufferPixel(4, 10));
    EXPECT_EQ(0u, window->BackBufferPixel(0, 11));
}

TEST_F(SkinnableWindowTest, HitTestFollowsShapeMarginsAndResizeEdges) {
    auto window = MakeWindow(316, 400);
    window->SetMargins(17, 27, 37, 27, true);
    window->SetCornerSize(4, 4);
    // The shape spans (27, 17) to (289, 363); as on Windows, a round-rectangle
    // region leaves out its right and bottom edge.
    RECT box{};
    GetRgnBox(window->ShapeRegion(), &box);
    EXPECT_EQ(27, box.left);
    EXPECT_EQ(17, box.top);
    EXPECT_EQ(288, box.right);
    EXPECT_EQ(362, box.bottom);

    window->SetResizeEdges(kResizeBottom);
    EXPECT_EQ(HTTRANSPARENT, HitAt(*window, 10, 10));
    EXPECT_EQ(HTBOTTOM, HitAt(*window, 100, 360));
    EXPECT_EQ(HTCAPTION, HitAt(*window, 100, 356));
    EXPECT_EQ(HTCAPTION, HitAt(*window, 30, 100));  // left edge not chosen
    EXPECT_EQ(HTTRANSPARENT, HitAt(*window, 100, 363));

    window->SetResizeEdges(0xFF);
    EXPECT_EQ(HTTOPLEFT, HitAt(*window, 30, 20));
    EXPECT_EQ(HTTOPRIGHT, HitAt(*window, 285, 20));
    EXPECT_EQ(HTBOTTOMLEFT, HitAt(*window, 30, 360));
    EXPECT_EQ(HTBOTTOMRIGHT, HitAt(*window, 285, 360));
    EXPECT_EQ(HTTOP, HitAt(*window, 100, 23));
    EXPECT_EQ(HTCAPTION, HitAt(*window, 100, 24));
    EXPECT_EQ(HTRIGHT, HitAt(*window, 283, 100));
    EXPECT_EQ(HTCAPTION, HitAt(*window, 282, 100));
    EXPECT_EQ(HTLEFT, HitAt(*window, 33, 100));
    EXPECT_EQ(HTCAPTION, HitAt(*window, 34, 100));
    // The outer window never takes the mouse.
    EXPECT_EQ(HTTRANSPARENT, SendMessageW(window->OuterWindow(), WM_NCHITTEST, 0,
                                          MAKELPARAM(150 + 100, 150 + 100)));
}

TEST_F(SkinnableWindowTest, PaintClearsAndRedrawsOnlyTheUpdateRectangle) {
    auto window = MakeWindow(40, 40);
    // Half-transparent red: drawn twice without clearing it would turn darker.
    ASSERT_TRUE(window->AddBackgroundTile(Tile("half.png", 40, 40, 0x80FF0000u).c_str(), 0, 0));
    auto* probe = window->AddPainter(
        std::make_unique<ProbeWidget>(window->MainWindow(), 0, 0, 20, 40, 0xFF0000FFu, false));
    window->Show(SW_SHOWNOACTIVATE);
    window->Relayout(nullptr);
    window->PaintNow();
    const std::uint32_t background = window->BackBufferPixel(30, 5);
    EXPECT_EQ(0x80U, background >> 24);
    EXPECT_EQ(kBlue, window->BackBufferPixel(5, 5));

    probe->colour = 0xFF00FF00u;
    RECT dirty{10, 0, 30, 10};
    window->Invalidate(&dirty);
    window->PaintNow();
    ASSERT_EQ(2u, probe->paints.size());
    EXPECT_TRUE(EqualRect(&dirty, &probe->paints[1]));
    EXPECT_EQ(kBlue, window->BackBufferPixel(9, 5));     // outside: kept
    EXPECT_EQ(kGreen, window->BackBufferPixel(10, 5));   // inside: redrawn
    EXPECT_EQ(kBlue, window->BackBufferPixel(15, 10));   // below: kept
    EXPECT_EQ(background, window->BackBufferPixel(25, 5));  // cleared, not piled up
    EXPECT_EQ(background, window->BackBufferPixel(35, 5));
}

TEST_F(SkinnableWindowTest, PaintersPaintInOrderOverTheBackground) {
    auto window = MakeWindow(30, 30);
    ASSERT_TRUE(window->AddBackgroundTile(Tile("bg.png", 30, 30, kRed).c_str(), 0, 0));
    std::vector<ProbeWidget*> log;
    auto* first =
        window->AddPainter(std::make_unique<ProbeWidget>(window->MainWindow(), 0, 0, 20, 20, kGreen, false));
    auto* second = window->AddPainter(
        std::make_unique<ProbeWidget>(window->MainWindow(), 10, 10, 20, 20, 0x80000080u, false));
    first->paintLog = second->paintLog = &log;
    EXPECT_EQ(nullptr, window->AddPainter(std::unique_ptr<ProbeWidget>()));
    EXPECT_EQ(2u, window->Painters().size());
    window->Relayout(nullptr);
    window->PaintNow();

    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(first, log[0]);
    EXPECT_EQ(second, log[1]);
    EXPECT_EQ(kGreen, window->BackBufferPixel(5, 5));
    EXPECT_EQ(kRed, window->BackBufferPixel(25, 5));
    // Half-transparent blue over green and over red.
    EXPECT_EQ(0xFF007F80u, window->BackBufferPixel(15, 15));
    EXPECT_EQ(0xFF7F0080u, window->BackBufferPixel(25, 25));
}

TEST_F(SkinnableWindowTest, TwoInvalidationsGiveOnePaintOfTheirUnion) {
    auto window = MakeWindow(50, 50);
    auto* probe =
        window->AddPainter(std::make_unique<ProbeWidget>(window->MainWindow(), 0, 0, 50, 50, kGreen, false));
    window->Show(SW_SHOWNOACTIVATE);
    window->Relayout(nullptr);
    PumpMessages();
    ASSERT_EQ(1u, probe->paints.size());
    EXPECT_EQ(50, probe->paints[0].right);

    RECT first{0, 0, 10, 10}, second{20, 25, 30, 40};
    window->Invalidate(&first);
    window->Invalidate(&second);
    PumpMessages();
    ASSERT_EQ(2u, probe->paints.size());
    RECT expected{0, 0, 30, 40};
    EXPECT_TRUE(EqualRect(&expected, &probe->paints[1]));

    // Nothing pending: the paint request does nothing.
    PostMessageW(window->MainWindow(), WindowPaintMessage(), 0, 0);
    PumpMessages();
    window->PaintNow();
    EXPECT_EQ(2u, probe->paints.size());
}

TEST_F(SkinnableWindowTest, BackBufferFollowsTheWindowSize) {
    auto window = MakeWindow(50, 60);
    window->SetMinimumSize(40, 70);
    RECT rect{};
    GetWindowRect(window->MainWindow(), &rect);
    EXPECT_EQ(50, rect.right - rect.left);
    EXPECT_EQ(70, rect.bottom - rect.top);  // grown to the minimum
    window->PaintNow();
    EXPECT_EQ(70, window->BackBufferSize().cy);

    window->ResizeTo(39, 100, false);  // too narrow
    window->ResizeTo(100, 69, false);  // too low
    GetWindowRect(window->MainWindow(), &rect);
    EXPECT_EQ(50, rect.right - rect.left);
    EXPECT_EQ(70, rect.bottom - rect.top);

    window->ResizeTo(80, 90, false);
    window->PaintNow();
    EXPECT_EQ(80, window->BackBufferSize().cx);
    EXPECT_EQ(90, window->BackBufferSize().cy);
    RECT stored = window->WindowRect();
    EXPECT_EQ(80, stored.right - stored.left);
}

TEST_F(SkinnableWindowTest, MovingAndSizingByTheUserDropsTheMarginsMeanwhile) {
    auto window = MakeWindow(100, 100);
    window->SetMargins(10, 11, 12, 13, true);
    window->SetMinimumSize(80, 90);
    RECT box{};
    SendMessageW(window->MainWindow(), WM_ENTERSIZEMOVE, 0, 0);
    GetRgnBox(window->ShapeRegion(), &box);
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(99, box.bottom);  // round-rectangle regions leave out the bottom edge

    RECT proposed{200, 200, 250, 240};
    EXPECT_TRUE(SendMessageW(window->MainWindow(), WM_SIZING, WMSZ_BOTTOMRIGHT,
                             reinterpret_cast<LPARAM>(&proposed)));
    EXPECT_EQ(280, proposed.right);
    EXPECT_EQ(290, proposed.bottom);

    RECT moving{300, 310, 400, 410};
    SendMessageW(window->MainWindow(), WM_MOVING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&moving));
    EXPECT_EQ(300, window->GetPosition().x);
    EXPECT_EQ(310, window->GetPosition().y);

    SendMessageW(window->MainWindow(), WM_EXITSIZEMOVE, 0, 0);
    GetRgnBox(window->ShapeRegion(), &box);
    RECT size = window->WindowRect();
    EXPECT_EQ(13, box.left);
    EXPECT_EQ(10, box.top);
    EXPECT_EQ(size.right - size.left - 11 - 1, box.right);
    EXPECT_EQ(size.bottom - size.top - 12 - 1, box.bottom);
}

TEST_F(SkinnableWindowTest, MoveToKeepsTheStoredPositionAndTheOuterWindow) {
    auto window = MakeWindow(60, 60);
    window->MoveTo(320, 240);
    EXPECT_EQ(320, window->GetPosition().x);
    EXPECT_EQ(240, window->GetPosition().y);
    RECT outer{};
    GetWindowRect(window->OuterWindow(), &outer);
    EXPECT_EQ(320, outer.left);
    EXPECT_EQ(240, outer.top);
    window->Relayout(nullptr);
    window->PaintNow();  // pushes the picture at the stored position
    RECT main{};
    GetWindowRect(window->MainWindow(), &main);
    EXPECT_EQ(320, main.left);
    EXPECT_EQ(240, main.top);
}

TEST_F(SkinnableWindowTest, AQuitMessageEndsTheLoopWithZero) {
    auto window = MakeWindow(40, 40);
    PostQuitMessage(7);
    EXPECT_EQ(0, window->RunMessageLoop());
    EXPECT_TRUE(IsWindowVisible(window->MainWindow()));
    EXPECT_TRUE(IsWindowVisible(window->OuterWindow()));
    window->Show(SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(window->OuterWindow()));
}

int blurCalls = 0;
DWM_BLURBEHIND lastBlur{};
HRESULT WINAPI FakeComposition(BOOL* enabled) {
    *enabled = TRUE;
    return S_OK;
}
HRESULT WINAPI FakeBlur(HWND, const DWM_BLURBEHIND* blur) {
    ++blurCalls;
    lastBlur = *blur;
    return S_OK;
}

TEST_F(SkinnableWindowTest, BlurIsAppliedOnlyWhenTheWishChanges) {
    DwmApi fake;
    fake.isCompositionEnabled = FakeComposition;
    fake.enableBlurBehindWindow = FakeBlur;
    OverrideDwm(&fake);
    blurCalls = 0;
    auto window = MakeWindow(60, 60);
    window->SetMargins(5, 5, 5, 5, true);

    EXPECT_TRUE(window->EnableBlur(false));  // already off
    EXPECT_EQ(0, blurCalls);
    EXPECT_TRUE(window->EnableBlur(true));
    EXPECT_TRUE(window->EnableBlur(true));
    EXPECT_EQ(1, blurCalls);
    EXPECT_TRUE(lastBlur.fEnable);
    EXPECT_EQ(static_cast<DWORD>(DWM_BB_ENABLE | DWM_BB_BLURREGION), lastBlur.dwFlags);
    EXPECT_EQ(window->ShapeRegion(), lastBlur.hRgnBlur);
    EXPECT_TRUE(window->EnableBlur(false));
    EXPECT_EQ(2, blurCalls);
    EXPECT_FALSE(lastBlur.fEnable);

    // Without the desktop window manager nothing is applied.
    DwmApi missing;
    OverrideDwm(&missing);
    EXPECT_FALSE(window->EnableBlur(true));
    EXPECT_EQ(2, blurCalls);
    OverrideDwm(nullptr);
}

bool AnswerFortyTwo(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = 42;
    return true;
}
bool Decline(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = 7;
    return false;
}

TEST_F(SkinnableWindowTest, InstalledHandlersComeBeforeTheDefaultHandling) {
    auto window = MakeWindow(40, 40);
    const UINT custom = WM_APP + 3;
    EXPECT_EQ(0, SendMessageW(window->MainWindow(), custom, 0, 0));
    window->SetMessageHandler(custom, AnswerFortyTwo);
    EXPECT_EQ(42, SendMessageW(window->MainWindow(), custom, 0, 0));
    EXPECT_EQ(0x84, SendMessageW(window->MainWindow(), WM_GETDLGCODE, 0, 0));
    window->SetMessageHandler(WM_GETDLGCODE, Decline);  // declines: default answer stays
    EXPECT_EQ(0x84, SendMessageW(window->MainWindow(), WM_GETDLGCODE, 0, 0));
    window->SetMessageHandler(WM_GETDLGCODE, AnswerFortyTwo);  // replaces
    EXPECT_EQ(42, SendMessageW(window->MainWindow(), WM_GETDLGCODE, 0, 0));
    EXPECT_EQ(1, SendMessageW(window->MainWindow(), WM_ERASEBKGND, 0, 0));
}

TEST_F(SkinnableWindowTest, IconsAndTaskbarList) {
    auto window = MakeWindow(40, 40);
    HICON icon = LoadIconW(nullptr, IDI_WARNING);
    window->SetIcons(icon, nullptr);
    PumpMessages();
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageW(window->MainWindow(), WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageW(window->MainWindow(), WM_GETICON, ICON_SMALL, 0));

    // The prefix reports Windows 7: windows get the taskbar's progress
    // interface, tool windows (toasts, prompts) do not.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        SkinnableWindow main(TestInstance(), 40, 40, 1, L"main", WS_POPUP, 0);
        SkinnableWindow tool(TestInstance(), 40, 40, 1, L"tool", WS_POPUP, WS_EX_TOOLWINDOW);
        EXPECT_NE(nullptr, main.TaskbarList());
        EXPECT_EQ(nullptr, main.HiddenOwnerWindow());
        EXPECT_EQ(nullptr, tool.TaskbarList());
        main.SetShowInTaskbar(false);
        EXPECT_FALSE(main.ShowInTaskbar());
        SendMessageW(main.MainWindow(), TaskbarButtonMessage(), 0, 0);  // Explorer restarted
        EXPECT_FALSE(main.ShowInTaskbar());
        main.SetShowInTaskbar(true);
        EXPECT_TRUE(main.ShowInTaskbar());
    }
    CoUninitialize();
}

TEST_F(SkinnableWindowTest, WindowsAreFoundThroughParentsAndOwners) {
    auto window = MakeWindow(40, 40);
    const HWND main = window->MainWindow();
    EXPECT_EQ(window.get(), FindSkinnableWindow(main));
    EXPECT_EQ(window.get(), FindSkinnableWindow(window->OuterWindow()));
    ProbeWidget probe(main, 0, 0, 5, 5, 0);
    ASSERT_NE(nullptr, probe.Window());
    EXPECT_EQ(window.get(), FindSkinnableWindow(probe.Window()));
    EXPECT_EQ(nullptr, FindSkinnableWindow(nullptr));
    EXPECT_EQ(nullptr, FindSkinnableWindow(GetDesktopWindow()));
    // The frame is gone: client and window coincide.
    EXPECT_EQ(0, GetWindowLongPtrW(main, GWL_STYLE) & (WS_CAPTION | WS_DLGFRAME));
    EXPECT_NE(0, GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_NE(0, GetWindowLongPtrW(window->OuterWindow(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_EQ(main, GetWindow(window->OuterWindow(), GW_OWNER));

    window.reset();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(nullptr, FindSkinnableWindow(main));
}

}  // namespace
