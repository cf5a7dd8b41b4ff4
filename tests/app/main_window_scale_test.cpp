// The main window built from the real skin for a monitor at 150 %: its size,
// shape and sizing band, the widgets' boxes, the pictures of the 150 % set
// drawn as they are, fonts at the scaled size, and the height kept at 96 DPI;
// then moved onto monitors of other scales.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

#include "app/app_state.h"
#include "app/main_window_fixture.h"
#include "app/history_search.h"
#include "app/hotkey_page.h"
#include "app/settings_page.h"
#include "base/display_scale.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_edit.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_text.h"
#include "gui/gui_toggle.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "gui/gui_test_support.h"
#include "upload/upload_queue.h"

namespace {

constexpr int kDpi = 144;

std::unique_ptr<SkinnableWindow> window;
std::unique_ptr<UploadQueue> queue;
std::unique_ptr<HistorySearch> search;

HWND Window() { return App().mainWindow->MainWindow(); }

SIZE WindowSize() {
    RECT rect{};
    GetWindowRect(Window(), &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

LayoutBox BoxOf(const GUIObject& widget) {
    return LayoutBox{widget.Position().x, widget.Position().y, widget.Size().cx, widget.Size().cy};
}

void SizeTo(int height) {
    App().mainWindow->ResizeTo(WindowSize().cx, height, false);
    PumpMessages();
}

class MainWindowAt150 : public ::testing::Test {
protected:
    static void TearDownTestSuite() {
        search.reset();
        window.reset();
    }
    static void SetUpTestSuite() {
        DefineDefaultSettings(Settings());
        Settings().SetInt(L"LiftornHeight", 530);
        Settings().SetInt(L"PositionX", 30);
        Settings().SetInt(L"PositionY", 20);
        PrepareForMainWindow(queue);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(CreateMainWindow(TestInstance(), window, kDpi));
        CreateMainButtons(TestInstance());
        CreateMainPage(TestInstance());
        search = CreateHistorySearch(TestInstance());
        CreateSettingsPage(TestInstance());
        CreateHotkeyPage(TestInstance());
        App().mainWindow->Show(SW_SHOWNOACTIVATE);
        PumpMessages();
        App().mainWindow->PaintNow();
    }
};

// The whole window at 150 %: every 96-DPI box through the one rounding rule,
// so the frame, shape and widgets line up with the pictures of the set.
TEST_F(MainWindowAt150, IsTheWindowAtOneAndAHalfTimesItsSize) {
    AppState& app = App();
    EXPECT_EQ(kDpi, app.mainWindow->Dpi());
    EXPECT_EQ(474, WindowSize().cx);
    EXPECT_EQ(795, WindowSize().cy);

    struct Box {
        const char* what;
        GUIObject* widget;
        LayoutBox expected;
    };
    const Box boxes[] = {
        {"hide", app.hideButton, {411, 36, 14, 8}},                // 274, 24, 9, 5 at 96 DPI
        {"drop area", app.dropArea, {63, 48, 348, 93}},            // 42, 32, 232, 62
        {"upload", app.uploadButton, {92, 77, 36, 36}},            // 61, 51, 24, 24
        {"cancel", app.cancelButton, {368, 86, 26, 26}},           // 245, 57, 17, 17
        {"count", app.uploadCountText, {63, 143, 348, 20}},        // 42, 95, 232, 13
        {"header", app.historyHeader, {68, 162, 341, 86}},         // 45, 108, 227, 57
        {"list", app.historyList, {78, 215, 324, 795 - 350}},      // 52, 143, 216; the height left
        {"search", search->Button(), {375, 170, 21, 21}},          // 250, 113, 14, 14
        {"search box", search->Box(), {78, 213, 321, 27}},         // 52, 142, 214, 18
    };
    for (const Box& box : boxes) EXPECT_EQ(box.expected, BoxOf(*box.widget)) << box.what;
    EXPECT_EQ(135, app.historyList->ItemHeight());
    // The buttons along the bottom keep their scaled distance from it.
    EXPECT_EQ(BoxOf(*app.logoButton), (LayoutBox{359, 795 - 80, 68, 12}));        // 239, -53, 45, 8
    EXPECT_EQ(BoxOf(*app.settingsButton), (LayoutBox{180, 795 - 108, 21, 23}));   // 120, -72, 14, 15
    EXPECT_EQ(BoxOf(*app.windowGrabButton), (LayoutBox{264, 795 - 107, 24, 20})); // 176, -71, 16, 13

    // The sizing band along the bottom is as wide to the eye as at 100 %:
    // 56 pixels of margin (37 scaled) and a band of 11 (7 scaled).
    EXPECT_EQ(HTBOTTOM, app.mainWindow->HitTest(POINT{237, 795 - 56 - 10}));
    EXPECT_NE(HTBOTTOM, app.mainWindow->HitTest(POINT{237, 795 - 56 - 12}));
    // Outside the rounded shape (its margins scaled) clicks go through.
    EXPECT_EQ(HTTRANSPARENT, app.mainWindow->HitTest(POINT{40, 40}));
    EXPECT_NE(HTTRANSPARENT, app.mainWindow->HitTest(POINT{60, 40}));
}

// The art is the set's for `dpi`, drawn as it is (not the 100 % picture
// stretched): every opaque pixel of the drop area's picture is in the back
// buffer at its place.
void ExpectDropAreaDrawnFromTheSet(int dpi) {
    const PictureMatch drop = MatchPicture(*App().mainWindow, "DROP_NORMAL", dpi, App().dropArea->Position());
    EXPECT_EQ(ScaleLength(232, dpi), drop.size.cx);
    EXPECT_EQ(ScaleLength(62, dpi), drop.size.cy);
    EXPECT_GT(drop.opaque, 400);  // 562 at 100 %
    EXPECT_EQ(drop.opaque, drop.same) << "at " << dpi;
}

TEST_F(MainWindowAt150, DrawsThePicturesOfTheSetAsTheyAre) {
    EXPECT_EQ(14, App().hideButton->NormalImage()->ImageSize().cx);
    EXPECT_EQ(8, App().hideButton->NormalImage()->ImageSize().cy);
    ExpectDropAreaDrawnFromTheSet(kDpi);
}

// Text at the window's scale: the default font and a widget's own font at
// their sizes times one and a half.
TEST_F(MainWindowAt150, TextIsSetAtTheScaledSize) {
    ASSERT_NE(nullptr, DefaultFont());
    GUIText plain(Window(), TestInstance(), 0, 0, 0, 0, L"Ag");
    ASSERT_NE(nullptr, plain.Font());
    EXPECT_EQ(ScaleLength(DefaultFont()->PixelHeight(), kDpi), plain.Font()->PixelHeight());
    EXPECT_GT(plain.MeasureText(L"Ag").cy, DefaultFont()->PixelHeight());

    GUIText own(Window(), TestInstance(), 0, 0, 0, 0, L"Ag");
    ASSERT_TRUE(own.SetFont({{DefaultFont()->FaceName(), 20, 400}}));
    EXPECT_EQ(30, own.Font()->PixelHeight());
    // An edit box's text too (the settings' boxes, the search box).
    EXPECT_EQ(plain.Font()->PixelHeight(), App().usernameEdit->TextWidget()->Font()->PixelHeight());
}

// The height is kept at 96 DPI, so the window opens as tall to the eye on
// the next start whatever the scale; the layout follows the size.
TEST_F(MainWindowAt150, SizingKeepsTheHeightAt96DpiAndLaysOutAgain) {
    AppState& app = App();
    SizeTo(600);
    EXPECT_EQ(400, Settings().GetInt(L"LiftornHeight"));
    EXPECT_TRUE(app.historyList->IsVisible());
    EXPECT_EQ(600 - 350, app.historyList->Size().cy);
    EXPECT_EQ(600 - 80, app.logoButton->Position().y);

    // The list goes below 265 scaled (398), the header below 215 (323).
    SizeTo(398);
    EXPECT_FALSE(app.historyList->IsVisible());
    EXPECT_TRUE(app.historyHeader->IsVisible());
    SizeTo(322);
    EXPECT_FALSE(app.historyHeader->IsVisible());
    EXPECT_EQ(215, Settings().GetInt(L"LiftornHeight"));

    // Not below the minimum height, 188 scaled.
    SizeTo(281);
    EXPECT_EQ(322, WindowSize().cy);
    SizeTo(282);
    EXPECT_EQ(282, WindowSize().cy);
    SizeTo(795);
    EXPECT_EQ(530, Settings().GetInt(L"LiftornHeight"));
}

// The search's band is 40 scaled: the list moves down by 60 while it is open.
TEST_F(MainWindowAt150, TheOpenSearchMovesTheListByItsScaledBand) {
    AppState& app = App();
    SizeTo(795);
    search->Open();
    PumpMessages();
    EXPECT_EQ(60, search->BandHeight());
    EXPECT_EQ(215 + 60, app.historyList->Position().y);
    EXPECT_EQ(795 - 350 - 60, app.historyList->Size().cy);
    search->Close();
    PumpMessages();
    EXPECT_EQ(215, app.historyList->Position().y);
}

// The settings and the shortcuts pages: the window at the page's size
// scaled, their pictures, boxes, buttons and switches at scaled places.
TEST_F(MainWindowAt150, TheSettingsAndShortcutsPagesAreLaidOutAtTheScale) {
    AppState& app = App();
    SizeTo(600);
    ToggleSettingsPage(nullptr, 0);
    PumpMessages();
    ASSERT_TRUE(app.settingsShown);
    EXPECT_EQ(474, WindowSize().cx);
    EXPECT_EQ(795, WindowSize().cy);
    EXPECT_EQ((LayoutBox{180, 167, 215, 26}), BoxOf(*app.usernameEdit));  // 120, 111, 143, 17
    EXPECT_EQ((LayoutBox{282, 239, 113, 44}), BoxOf(*app.loginButton));   // 188, 159, 75, 29
    EXPECT_EQ(83, app.alwaysOnTopToggle->Position().x);                    // 55
    EXPECT_EQ(339, app.alwaysOnTopToggle->Position().y);                   // 226
    EXPECT_EQ(20, app.alwaysOnTopToggle->Size().cy);                       // the box, 13

    ShowHotkeyPage();
    PumpMessages();
    ASSERT_TRUE(HotkeyPageShown());
    const std::vector<GUIObject*> shortcuts = app.hotkeyPage->Children();
    ASSERT_GT(shortcuts.size(), 3u);
    EXPECT_EQ((LayoutBox{68, 138, 345, 375}), BoxOf(*shortcuts[1]));  // the card: 45, 92, 230, 250
    EXPECT_EQ((LayoutBox{255, 180, 140, 26}), BoxOf(*shortcuts[3]));  // the first box: 170, 120, 93, 17
    LeaveHotkeyPage();
    ToggleSettingsPage(nullptr, 0);
    PumpMessages();
    EXPECT_FALSE(app.settingsShown);
    EXPECT_EQ(600, WindowSize().cy);
}

// Windows says the window moved onto a monitor of another scale (here
// 150 % -> 100 % -> 150 %, as when it is dragged across and back): it takes
// the rectangle suggested and is drawn there at once, every widget at its
// box for the new DPI, its pictures and fonts loaded for it; the height
// kept in the settings does not change, nor does the window's shape after
// the user moves it.
void SendDpiChange(int dpi, int width, int height) {
    RECT suggested{30, 20, 30 + width, 20 + height};
    SendMessageW(Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    // Drawn before any message is handled, so the old size never shows.
    EXPECT_EQ(width, App().mainWindow->BackBufferSize().cx) << "at " << dpi;
    EXPECT_EQ(height, App().mainWindow->BackBufferSize().cy) << "at " << dpi;
    PumpMessages();
    RECT now{};
    GetWindowRect(Window(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << now.left << "," << now.top << " " << now.right << "," << now.bottom;
    EXPECT_EQ(dpi, App().mainWindow->Dpi());
}

void ExpectUploadPageAt(int dpi, int height) {
    AppState& app = App();
    const struct {
        const char* what;
        GUIObject* widget;
        LayoutBox at96;
    } boxes[] = {
        {"hide", app.hideButton, {274, 24, 9, 5}},         {"drop area", app.dropArea, {42, 32, 232, 62}},
        {"upload", app.uploadButton, {61, 51, 24, 24}},    {"cancel", app.cancelButton, {245, 57, 17, 17}},
        {"count", app.uploadCountText, {42, 95, 232, 13}}, {"header", app.historyHeader, {45, 108, 227, 57}},
        {"search", search->Button(), {250, 113, 14, 14}},  {"search box", search->Box(), {52, 142, 214, 18}},
    };
    for (const auto& box : boxes) EXPECT_EQ(ScaleBox(box.at96, dpi), BoxOf(*box.widget)) << box.what << " at " << dpi;
    const auto scaled = [dpi](int length) { return ScaleLength(length, dpi); };
    EXPECT_EQ((LayoutBox{scaled(52), scaled(143), scaled(216), height - scaled(233)}), BoxOf(*app.historyList));
    EXPECT_EQ(scaled(90), app.historyList->ItemHeight());
    EXPECT_EQ((LayoutBox{scaled(239), height - scaled(53), scaled(45), scaled(8)}), BoxOf(*app.logoButton));
    EXPECT_EQ(scaled(9), app.hideButton->NormalImage()->ImageSize().cx);
    // The count line's own font, set again at the new size.
    GUIText fresh(Window(), TestInstance(), 0, 0, 0, 0, L"");
    fresh.SetFont({{L"Calibri", 9, 400}, {L"Lucida Sans Unicode", 8, 400}});  // as the count line's
    EXPECT_EQ(fresh.Font()->PixelHeight(), app.uploadCountText->Font()->PixelHeight()) << "at " << dpi;
    // The shape's margins and the sizing band at the scale, also once the
    // user has moved the window (its shape covers it all meanwhile).
    SendMessageW(Window(), WM_ENTERSIZEMOVE, 0, 0);
    SendMessageW(Window(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(HTTRANSPARENT, app.mainWindow->HitTest(POINT{scaled(27) - 1, scaled(27)}));
    EXPECT_NE(HTTRANSPARENT, app.mainWindow->HitTest(POINT{scaled(27) + 1, scaled(27)}));
    EXPECT_EQ(HTBOTTOM, app.mainWindow->HitTest(POINT{scaled(158), height - scaled(37) - scaled(7) + 1}));
    EXPECT_EQ(530, Settings().GetInt(L"LiftornHeight"));
}

TEST_F(MainWindowAt150, FollowsTheWindowOntoMonitorsOfOtherScales) {
    AppState& app = App();
    SizeTo(795);
    ExpectUploadPageAt(kDpi, 795);

    SendDpiChange(96, 316, 530);
    ExpectUploadPageAt(96, 530);
    ExpectDropAreaDrawnFromTheSet(96);
    SendDpiChange(kDpi, 474, 795);
    ExpectUploadPageAt(kDpi, 795);
    ExpectDropAreaDrawnFromTheSet(kDpi);

    // With the settings shown: the page's widgets follow, and the upload
    // page comes back at its height for the scale the window is at now.
    SizeTo(600);
    ToggleSettingsPage(nullptr, 0);
    PumpMessages();
    SendDpiChange(96, 316, 530);
    EXPECT_EQ((LayoutBox{120, 111, 143, 17}), BoxOf(*app.usernameEdit));
    EXPECT_EQ((LayoutBox{188, 159, 75, 29}), BoxOf(*app.loginButton));
    EXPECT_EQ(55, app.alwaysOnTopToggle->Position().x);
    EXPECT_EQ(226, app.alwaysOnTopToggle->Position().y);
    ToggleSettingsPage(nullptr, 0);
    PumpMessages();
    EXPECT_EQ(400, WindowSize().cy);
    EXPECT_EQ(400, Settings().GetInt(L"LiftornHeight"));
    SendDpiChange(kDpi, 474, 795);
    EXPECT_EQ(530, Settings().GetInt(L"LiftornHeight"));

    // The message as another program may post it: a rectangle pointer that
    // points nowhere or at no window's size is not followed (nor read
    // through); the window keeps its corner and converts its size.
    const RECT inverted{500, 500, 100, 100};
    const LPARAM hostile[] = {16, static_cast<LPARAM>(-4096), reinterpret_cast<LPARAM>(&inverted)};
    for (const LPARAM rectangle : hostile) {
        RECT before{};
        GetWindowRect(Window(), &before);
        const int dpi = app.mainWindow->Dpi() == kDpi ? 96 : kDpi;
        PostMessageW(Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), rectangle);
        PumpMessages();
        RECT after{};
        GetWindowRect(Window(), &after);
        EXPECT_EQ(dpi, app.mainWindow->Dpi());
        EXPECT_EQ(before.left, after.left);
        EXPECT_EQ(before.top, after.top);
        EXPECT_EQ(ScaleLength(316, dpi), after.right - after.left);
        EXPECT_EQ(ScaleLength(530, dpi), after.bottom - after.top);
    }
    EXPECT_EQ(530, Settings().GetInt(L"LiftornHeight"));
}

}  // namespace
