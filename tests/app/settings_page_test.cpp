// The settings page on the real main window and skin, driven with real
// input (SendInput): its make-up, each switch applied at once, the fixed
// size and refused drops while it shows, the account boxes logging out, and
// the credit links.
#include "app/settings_page.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/main_window_fixture.h"
#include "app/login.h"
#include "app/main_commands.h"
#include "app/main_window.h"
#include "base/product.h"
#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_test_support.h"
#include "gui/gui_text.h"
#include "gui/gui_toggle.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "resource_ids.h"
#include "upload/upload_queue.h"

namespace {

std::vector<std::wstring> opened;
bool RecordOpen(const wchar_t* url) {
    opened.push_back(url);
    return true;
}

bool created = false;
// Kept for the whole test program, like the program keeps them.
std::unique_ptr<SkinnableWindow> window;
std::unique_ptr<UploadQueue> queue;
std::unique_ptr<ScopedSeams> seams;

void Settle(int millis = 350) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    while (std::chrono::steady_clock::now() < end) {
        PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

class SettingsPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DefineDefaultSettings(Settings());
        Settings().SetInt(L"LiftornHeight", 400);
        Settings().SetInt(L"PositionX", 40);
        Settings().SetInt(L"PositionY", 40);
        Settings().SetBool(L"UseIEProxy", true);  // one switch starts on that defaults off
        Settings().SetAdvanced(L"adv_main_uri", L"https://files.test");
        PrepareForMainWindow(queue);
        if (HasFatalFailure()) return;
        Seams stand_ins;
        stand_ins.shellOpen = &RecordOpen;
        seams = std::make_unique<ScopedSeams>(stand_ins);
        created = CreateMainWindow(TestInstance(), window, kBaseDpi);
        CreateMainButtons(TestInstance());
        CreateMainPage(TestInstance());
        CreateSettingsPage(TestInstance());
        App().mainWindow->Show(SW_SHOW);
        Settle();
    }

    void SetUp() override {
        ASSERT_TRUE(created);
        SetForegroundWindow(Window());
        SetCursorPos(1200, 1000);
        opened.clear();
        Settle(50);
    }
    void TearDown() override {
        if (App().settingsShown) ToggleSettingsPage();
        Settle();
    }

    static HWND Window() { return App().mainWindow->MainWindow(); }
    static RECT WindowRect() {
        RECT rect{};
        GetWindowRect(Window(), &rect);
        return rect;
    }
    static LONG_PTR ExStyle() { return GetWindowLongPtrW(Window(), GWL_EXSTYLE); }

    // A real left click at a client point of the main window.
    static void Click(int x, int y) {
        POINT point{x, y};
        ClientToScreen(Window(), &point);
        SetCursorPos(point.x, point.y);
        Settle(30);
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, press, sizeof(INPUT));
        Settle(120);
    }
    static void ClickWidget(const GUIObject* widget) {
        Click(widget->Position().x + 5, widget->Position().y + widget->Size().cy / 2);
    }
    static void Wheel(int clicks) {
        POINT point{150, 250};
        ClientToScreen(Window(), &point);
        SetCursorPos(point.x, point.y);
        INPUT wheel = {};
        wheel.type = INPUT_MOUSE;
        wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
        wheel.mi.mouseData = static_cast<DWORD>(clicks * WHEEL_DELTA);
        SendInput(1, &wheel, sizeof(INPUT));
        Settle(200);
    }
    static void Type(const std::wstring& text) {
        for (wchar_t c : text) {
            INPUT key[2] = {};
            key[0].type = key[1].type = INPUT_KEYBOARD;
            key[0].ki.wScan = key[1].ki.wScan = c;
            key[0].ki.dwFlags = KEYEVENTF_UNICODE;
            key[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
            SendInput(2, key, sizeof(INPUT));
        }
        Settle(150);
    }
    static void OpenWithTheButton() {
        ASSERT_FALSE(App().settingsShown);
        ClickWidget(App().settingsButton);
        Settle();
        ASSERT_TRUE(App().settingsShown);
        ASSERT_EQ(255, App().settingsPage->Opacity());
    }
};

TEST_F(SettingsPage, IsBuiltInItsOrderAndPlaces) {
    const AppState& app = App();
    const std::vector<GUIObject*> children = app.settingsPage->Children();
    ASSERT_EQ(25u, children.size());
    const GUIObject* account[] = {app.usernameEdit, app.passwordEdit, app.loginButton, app.logoutButton,
                                  app.alwaysOnTopToggle, app.autocopyToggle, app.hideButtonToggle,
                                  app.toastToggle, app.trayToggle, app.proxyToggle, app.transparencyToggle};
    for (size_t i = 0; i < 11; ++i) EXPECT_EQ(account[i], children[6 + i]) << i;

    // x, y, width, height; a width of -1 is not checked (sized to the text).
    const int places[25][4] = {
        {45, 30, 233, 50}, {45, 92, 230, 107}, {45, 211, 230, 159}, {45, 377, 230, 66},
        {50, 112, 63, 15}, {50, 135, 63, 15}, {120, 111, 143, 17}, {120, 134, 143, 17},
        {188, 159, 75, 29}, {175, 159, 88, 29},
        {55, 226, -1, 13}, {55, 246, -1, 13}, {55, 266, -1, 13}, {55, 306, -1, 13},
        {55, 286, -1, 13}, {55, 326, -1, 13}, {55, 346, -1, 13},
        {53, 381, -1, -1}, {53, 396, -1, -1}, {53, 411, -1, -1},
        {-1, 381, -1, -1}, {-1, 396, -1, -1}, {-1, 411, -1, -1},
        {53, 426, -1, -1}, {-1, 426, -1, -1},
    };
    for (size_t i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        const POINT at = children[i]->Position();
        const SIZE size = children[i]->Size();
        if (places[i][0] >= 0) {
            EXPECT_EQ(places[i][0], at.x);
        }
        EXPECT_EQ(places[i][1], at.y);
        if (places[i][2] >= 0) {
            EXPECT_EQ(places[i][2], size.cx);
        }
        if (places[i][3] >= 0) {
            EXPECT_EQ(places[i][3], size.cy);
        }
    }
    // Each link follows its credit line, both in the credits' colours.
    for (size_t i = 0; i < 4; ++i) {
        const auto* line = static_cast<const GUIText*>(children[i < 3 ? 17 + i : 23]);
        const auto* link = static_cast<const GUIButton*>(children[i < 3 ? 20 + i : 24]);
        EXPECT_EQ(53 + line->Size().cx, link->Position().x);
        EXPECT_EQ(0xA5A5A5u, line->Colour());
        EXPECT_EQ(0xEEEEEEu, link->Label()->Colour());
        EXPECT_EQ(reinterpret_cast<void*>(i + 1), link->UserData());
        EXPECT_LE(link->Position().x + link->Size().cx, 275) << "the credits leave their box";
    }
    EXPECT_EQ(std::wstring(kUserAgentWide) + L", ", static_cast<const GUIText*>(children[17])->Text());
    EXPECT_EQ(L"files.test", static_cast<const GUIButton*>(children[21])->Label()->Text());
    EXPECT_EQ(L"Open log folder", static_cast<const GUIButton*>(children[24])->Label()->Text());

    EXPECT_EQ(32, app.usernameEdit->MaxLength());
    EXPECT_EQ(500, app.passwordEdit->MaxLength());
    EXPECT_TRUE(app.passwordEdit->IsPassword());
    EXPECT_TRUE(app.loginButton->IsVisible());
    EXPECT_FALSE(app.logoutButton->IsVisible());
    EXPECT_EQ(L"Show in superbar (Close will exit)", app.trayToggle->Label()->Text());
    EXPECT_FALSE(app.autocopyToggle->IsSelected());
    EXPECT_TRUE(app.proxyToggle->IsSelected());
    EXPECT_FALSE(app.settingsPage->IsShown());
}

TEST_F(SettingsPage, EachSwitchChangesItsSettingAndItsEffectAtOnce) {
    OpenWithTheButton();
    AppState& app = App();
    // Wine moves the topmost flag to windows the main window owns, so the
    // band the window asks for is read where it asks: its z-order changes.
    static int band;
    band = -1;
    app.mainWindow->SetMessageHandler(WM_WINDOWPOSCHANGING, [](HWND, UINT, WPARAM, LPARAM lParam, LRESULT*) {
        const HWND after = reinterpret_cast<WINDOWPOS*>(lParam)->hwndInsertAfter;
        if (after == HWND_TOPMOST) band = 1;
        if (after == HWND_NOTOPMOST) band = 0;
        return false;
    });
    struct Switch {
        GUIToggle* toggle;
        const wchar_t* setting;
        int (*effect)();  // the switch's effect: 0 off, 1 on, -1 not known yet; or null
    };
    const Switch switches[] = {
        {app.alwaysOnTopToggle, L"AlwaysOnTop", [] { return band; }},
        {app.autocopyToggle, L"AutocopyURL", nullptr},
        {app.hideButtonToggle, L"ShowCloseButton",
         [] { return int(App().hideButton->IsVisible() && IsWindowVisible(App().hideButton->Window())); }},
        // Windows 7 and later: the taskbar button (Wine has no taskbar to ask).
        {app.trayToggle, L"ShowTrayIcon", [] { return int(App().mainWindow->ShowInTaskbar()); }},
        {app.toastToggle, L"ShowToastAlerts", nullptr},
        {app.proxyToggle, L"UseIEProxy", nullptr},
        {app.transparencyToggle, L"EnableTransparentWindowGrab", nullptr},
    };
    for (const Switch& s : switches) {
        SCOPED_TRACE(WideToUtf8(s.setting));
        const bool before = Settings().GetBool(s.setting);
        EXPECT_EQ(before, s.toggle->IsSelected());
        if (s.effect && s.effect() >= 0) {
            EXPECT_EQ(int(before), s.effect());
        }
        for (bool expected : {!before, before}) {
            Settle(GetDoubleClickTime() + 50);  // two clicks, not a double-click
            ClickWidget(s.toggle);
            EXPECT_EQ(expected, s.toggle->IsSelected());
            EXPECT_EQ(expected, Settings().GetBool(s.setting));
            if (s.effect) {
                EXPECT_EQ(int(expected), s.effect());
            }
        }
    }
}

TEST_F(SettingsPage, WhileShownTheWindowIsFixedTakesNoDropsAndTheWheelLeavesTheHistory) {
    AppState& app = App();
    std::vector<std::unique_ptr<ProbeWidget>> items;
    for (int i = 0; i < 6; ++i) {
        items.push_back(std::make_unique<ProbeWidget>(Window(), 0, 0, 216, 90, 0xFF336699, false));
        app.historyList->AddItem(items.back().get(), false);
    }
    Settle();
    app.historyList->SetScrollPosition(0);
    ASSERT_EQ(400, WindowRect().bottom - WindowRect().top);
    POINT bottom{150, 400 - 40};  // inside the sizing band at the foot of the shape
    ClientToScreen(Window(), &bottom);
    const LPARAM bottomEdge = MAKELPARAM(bottom.x, bottom.y);
    ASSERT_EQ(HTBOTTOM, SendMessageW(Window(), WM_NCHITTEST, 0, bottomEdge));

    OpenWithTheButton();
    EXPECT_EQ(kSettingsPageWidth, WindowRect().right - WindowRect().left);
    EXPECT_EQ(kSettingsPageHeight, WindowRect().bottom - WindowRect().top);
    EXPECT_EQ(0, ExStyle() & WS_EX_ACCEPTFILES);
    EXPECT_FALSE(IsWindowVisible(app.uploadButton->Window()));  // it takes drops too
    bottom = POINT{150, kSettingsPageHeight - 40};
    ClientToScreen(Window(), &bottom);
    EXPECT_EQ(HTCAPTION, SendMessageW(Window(), WM_NCHITTEST, 0, MAKELPARAM(bottom.x, bottom.y)));
    Wheel(-3);
    EXPECT_EQ(0, app.historyList->ScrollPosition());
    EXPECT_EQ(400, Settings().GetInt(L"LiftornHeight"));

    ClickWidget(app.settingsButton);
    Settle();
    EXPECT_FALSE(app.settingsShown);
    EXPECT_EQ(400, WindowRect().bottom - WindowRect().top);
    EXPECT_EQ(400, Settings().GetInt(L"LiftornHeight"));
    EXPECT_NE(0, ExStyle() & WS_EX_ACCEPTFILES);
    EXPECT_EQ(HTBOTTOM, SendMessageW(Window(), WM_NCHITTEST, 0, bottomEdge));
    // The same wheel scrolls the history once the upload page is back.
    Wheel(-3);
    EXPECT_GT(app.historyList->ScrollPosition(), 0);

    for (auto& item : items) app.historyList->RemoveItem(item.get(), false);
    Settle();
}

TEST_F(SettingsPage, CreditLinksOpenWebAddressesOnlyAndTheLogFolder) {
    OpenWithTheButton();
    const auto children = App().settingsPage->Children();
    for (size_t i = 20; i < 23; ++i) ClickWidget(children[i]);
    ASSERT_EQ(3u, opened.size());
    EXPECT_EQ(0u, opened[0].rfind(L"https://", 0));
    EXPECT_EQ(L"https://files.test", opened[1]);
    EXPECT_EQ(0u, opened[2].rfind(L"https://", 0));
    EXPECT_NE(opened[0], opened[2]);

    // "Open log folder" opens the data folder, where the log is.
    const std::string dataFolder = std::exchange(App().dataFolder, "C:\\data\\vantorel liftorn\\");
    ClickWidget(children[24]);
    App().dataFolder = dataFolder;
    ASSERT_EQ(4u, opened.size());
    EXPECT_EQ(L"C:\\data\\vantorel liftorn\\", opened[3]);

    // The logo carries link 2; other values open nothing; an address that
    // is not a web page is never handed to the shell.
    opened.pop_back();
    OpenCreditLink(reinterpret_cast<void*>(2));
    OpenCreditLink(reinterpret_cast<void*>(5));
    OpenCreditLink(nullptr);
    EXPECT_EQ(4u, opened.size());
    Settings().SetAdvanced(L"adv_main_uri", L"C:\\Windows\\system32\\calc.exe");
    OpenCreditLink(reinterpret_cast<void*>(2));
    EXPECT_EQ(4u, opened.size());
    Settings().SetAdvanced(L"adv_main_uri", L"https://files.test");
}

}  // namespace
