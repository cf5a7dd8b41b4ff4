// The main window built from the real skin for a monitor at 150 %: its size,
// shape and sizing band, the widgets' boxes, the pictures of the 150 % set
// drawn as they are, fonts at the scaled size, and the height kept at 96 DPI.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

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

// The art is the 150 % set's, drawn as it is (not the 100 % picture
// stretched): every opaque pixel of the drop area's picture is in the back
// buffer at its place, and the hide button's picture has the set's size.
TEST_F(MainWindowAt150, DrawsThePicturesOfTheSetAsTheyAre) {
    AppState& app = App();
    EXPECT_EQ(14, app.hideButton->NormalImage()->ImageSize().cx);
    EXPECT_EQ(8, app.hideButton->NormalImage()->ImageSize().cy);

    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    SIZE size{};
    ASSERT_TRUE(LoadImageBitmap(SkinPath("DROP_NORMAL"), &bitmap, &bits, &size, kDpi));
    ScopedBitmap owner(bitmap);
    ASSERT_EQ(348, size.cx);
    ASSERT_EQ(93, size.cy);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    const POINT at = app.dropArea->Position();
    int opaque = 0, same = 0;
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            const std::uint32_t picture = pixels[(size.cy - 1 - y) * size.cx + x];
            if ((picture >> 24) != 0xFF) continue;
            ++opaque;
            if (app.mainWindow->BackBufferPixel(at.x + x, at.y + y) == picture) ++same;
        }
    }
    ASSERT_GT(opaque, 1000);
    EXPECT_EQ(opaque, same);
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

}  // namespace
