// Keyboard shortcuts, uploads from the clipboard and delayed screenshots on
// the real main window, its pages and skin, driven by real input
// (SendInput) and uploading to the development service:
// - the registered keys run their commands; a key another program holds
//   shows on its row (and in the start-up balloon) while the others work;
//   Windows' own snipping on Print Screen is read, shown and turned off;
//   a key chosen in the page works at once;
// - every kind of clipboard content reaches the service byte for byte or
//   pixel for pixel, and other text only gets the message;
// - a countdown takes neither the focus nor the capture's place, ends in a
//   capture on a still screen after its time (on the test's clock), and
//   Escape or a click cancels it.
#include <windows.h>
#include <shlobj.h>

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/clipboard_upload.h"
#include "app/hotkey_page.h"
#include "app/hotkeys.h"
#include "app/main_window.h"
#include "app/settings_page.h"
#include "base/seams.h"
#include "base/utf.h"
#include "capture/capture_countdown.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_key_field.h"
#include "gui/gui_page.h"
#include "gui/gui_test_support.h"
#include "gui/gui_text.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "resource_ids.h"
#include "support/devservice.h"
#include "support/png_writer.h"
#include "support/process.h"
#include "support/prompts.h"
#include "support/real_input.h"
#include "support/temp_dir.h"
#include "upload/upload_queue.h"

namespace {

constexpr wchar_t kTestKeyboardKey[] = L"Software\\vantorel liftorn tests\\Keyboard";

// ------------------------------------------------------------ stand-ins
std::vector<std::pair<bool, bool>> captures;  // region?, frozen?
bool RecordCapture(bool regionMode, bool frozen) {
    captures.emplace_back(regionMode, frozen);
    return true;
}

std::uint64_t clockMillis = 1000000;
std::uint64_t TestClock() { return clockMillis; }

SYSTEMTIME TestLocalTime() {
    SYSTEMTIME time{};
    time.wYear = 2024, time.wMonth = 2, time.wDay = 29, time.wHour = 7, time.wMinute = 5, time.wSecond = 9;
    return time;
}

std::vector<std::wstring> balloons;
void RecordBalloon(HWND, const wchar_t* title, const wchar_t* text) {
    balloons.push_back(std::wstring(title) + L": " + text);
}

// What the service answered for each upload, in order.
std::mutex repliesLock;
std::vector<std::string> replies;
bool RecordReply(JobOutcome outcome) {
    std::lock_guard<std::mutex> hold(repliesLock);
    replies.push_back(outcome.reply);
    return outcome.success && !ReplyPath(outcome.reply).empty();
}
std::size_t ReplyCount() {
    std::lock_guard<std::mutex> hold(repliesLock);
    return replies.size();
}

// ------------------------------------------------------------ clipboard
void PutOnClipboard(std::initializer_list<std::pair<UINT, std::string>> formats) {
    ASSERT_TRUE(PumpUntil([] { return OpenClipboard(nullptr) != FALSE; }, 5000));
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        SetClipboardData(format, memory);  // the clipboard owns it now
    }
    CloseClipboard();
}

std::string Wide(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

std::string Le32(std::uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// A packed bitmap: `headerSize` 40 (24 bits) or 124 (32 bits, alpha mask).
std::string Bitmap(std::uint32_t headerSize, int width, int height, const std::string& pixels) {
    std::string b = Le32(headerSize) + Le32(width) + Le32(height) + std::string{1, 0};
    b += headerSize == 124 ? std::string{32, 0} + Le32(3) : std::string{24, 0} + Le32(0);
    b += Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
    if (headerSize == 124) {
        b += Le32(0xFF0000) + Le32(0xFF00) + Le32(0xFF) + Le32(0xFF000000);
        b.resize(124, '\0');
    }
    return b + pixels;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // top row first
};

Picture Decode(const std::string& bytes) {
    Picture picture;
    LockImageLibrary();
    const ILuint name = ilGenImage();
    ilBindImage(name);
    if (ilLoadL(IL_PNG, bytes.data(), static_cast<ILuint>(bytes.size()))) {
        picture.width = ilGetInteger(IL_IMAGE_WIDTH);
        picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
        picture.rgba.resize(std::size_t(picture.width) * picture.height * 4);
        ilCopyPixels(0, 0, 0, picture.width, picture.height, 1, IL_RGBA, IL_UNSIGNED_BYTE, picture.rgba.data());
        if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT) {
            const std::size_t row = std::size_t(picture.width) * 4;
            for (int y = 0; y < picture.height / 2; ++y) {
                std::swap_ranges(picture.rgba.begin() + y * row, picture.rgba.begin() + (y + 1) * row,
                                 picture.rgba.end() - (y + 1) * row);
            }
        }
    }
    ilDeleteImage(name);
    UnlockImageLibrary();
    return picture;
}

// ------------------------------------------------------------ fixture
void Settle(DWORD millis = 300) { PumpUntil([] { return false; }, millis); }

void Chord(std::initializer_list<WORD> keys) {
    for (WORD key : keys) Key(key, true);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) Key(*key, false);
    Settle(200);
}

bool created = false;
std::unique_ptr<SkinnableWindow> window;
std::unique_ptr<UploadQueue> queue;
std::unique_ptr<ScopedSeams> seams;
std::unique_ptr<TempDir> data;

class Shortcuts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DefineDefaultSettings(Settings());
        Settings().SetBool(L"UnderstoodScreenshot", true);
        Settings().SetBool(L"ShowToastAlerts", false);
        Settings().SetInt(L"PositionX", 40);
        Settings().SetInt(L"PositionY", 40);
        App().programFolder = TestProgramFolder();
        data = std::make_unique<TempDir>();
        App().dataFolder = data->path() + "\\";
        ASSERT_TRUE(LoadSkinCatalogue(App().programFolder));
        SetDefaultFonts(StartupFontList());
        InitImageLibrary();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\vantorel liftorn tests");
        Seams stand_ins;
        stand_ins.startCapture = RecordCapture;
        stand_ins.steadyMillis = TestClock;
        stand_ins.localTime = TestLocalTime;
        stand_ins.notify = RecordBalloon;
        stand_ins.keyboardSettingsKey = kTestKeyboardKey;
        seams = std::make_unique<ScopedSeams>(stand_ins);
        queue = std::make_unique<UploadQueue>();
        queue->SetPaused(true);
        queue->SetCompletionHandler(RecordReply);
        queue->SetArchiveFolder(Utf8ToWide(App().dataFolder));
        App().uploadQueue = queue.get();
        created = CreateMainWindow(TestInstance(), window, kBaseDpi);
        CreateMainButtons(TestInstance());
        CreateMainPage(TestInstance());
        CreateSettingsPage(TestInstance());
        CreateHotkeyPage(TestInstance());
        App().mainWindow->Show(SW_SHOW);
        Settle();
    }
    static void TearDownTestSuite() {
        UnregisterHotkeys();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\vantorel liftorn tests");
    }

    void SetUp() override {
        ASSERT_TRUE(created);
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        Settings().SetAdvanced(L"adv_api_upload_uri", Utf8ToWide(DevService::UploadUrl()));
        Settings().SetString(L"HotkeyScreenshot", L"Print");
        Settings().SetString(L"HotkeyWindowGrab", L"Alt+Print");
        Settings().SetString(L"HotkeyClipboard", L"Ctrl+Shift+V");
        SetSnipping(-1);
        ShowWindow(Main(), SW_SHOW);
        SetForegroundWindow(Main());
        RegisterHotkeys(Main());
        captures.clear();
        balloons.clear();
        Settle(100);
    }
    void TearDown() override {
        CancelCountdown();
        if (HotkeyPageShown()) LeaveHotkeyPage();
        if (App().settingsShown) ToggleSettingsPage();
        Settle();
    }

    static HWND Main() { return App().mainWindow->MainWindow(); }

    // The snipping value under the test's keyboard key: -1 removes it.
    static void SetSnipping(int value) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kTestKeyboardKey, 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &key, nullptr));
        if (value < 0) {
            RegDeleteValueW(key, L"PrintScreenKeyForSnippingEnabled");
        } else {
            const DWORD dword = static_cast<DWORD>(value);
            RegSetValueExW(key, L"PrintScreenKeyForSnippingEnabled", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&dword), sizeof dword);
        }
        RegCloseKey(key);
    }
    static DWORD Snipping() {
        DWORD value = 99, size = sizeof value;
        RegGetValueW(HKEY_CURRENT_USER, kTestKeyboardKey, L"PrintScreenKeyForSnippingEnabled", RRF_RT_REG_DWORD,
                     nullptr, &value, &size);
        return value;
    }

    static void ClickWidget(const GUIObject* widget) {
        POINT point{widget->Position().x + 4, widget->Position().y + widget->Size().cy / 2};
        ClientToScreen(Main(), &point);
        ClickAt(point.x, point.y);
        Settle(200);
    }
    static std::wstring RowStatus(HotkeyAction action) {
        const HotkeyRow row = HotkeyPageRow(action);
        std::wstring text = row.status[0]->Text();
        if (!row.status[1]->Text().empty()) text += L" " + row.status[1]->Text();
        return text;
    }
    static void OpenHotkeyPage() {
        ToggleSettingsPage();
        Settle();
        ClickWidget(HotkeyPageLink());
        Settle();
        ASSERT_TRUE(HotkeyPageShown());
    }

    // The upload of `count` jobs, at the service.
    static std::vector<LoggedRequest> Uploads() {
        std::vector<LoggedRequest> uploads;
        for (const auto& request : DevService::Requests()) {
            if (request.method == "POST") uploads.push_back(request);
        }
        return uploads;
    }
};

TEST_F(Shortcuts, RegisteredKeysRunTheirCommandsAndAKeyTakenElsewhereShowsOnItsRow) {
    for (HotkeyAction action : {HotkeyAction::kScreenshot, HotkeyAction::kWindowGrab, HotkeyAction::kClipboard}) {
        EXPECT_EQ(HotkeyState::kActive, StatusOf(action).state) << HotkeySetting(action);
    }
    EXPECT_EQ(L"", HotkeyProblems());
    AnnounceHotkeyProblems(Main());
    EXPECT_TRUE(balloons.empty());

    RecordedPrompts prompts;
    PutOnClipboard({{CF_UNICODETEXT, Wide(L"just some words")}});
    Chord({VK_SNAPSHOT});
    Chord({VK_MENU, VK_SNAPSHOT});
    Chord({VK_CONTROL, VK_SHIFT, 'V'});
    EXPECT_EQ((std::vector<std::pair<bool, bool>>{{true, false}, {false, false}}), captures);
    EXPECT_EQ((std::vector<std::wstring>{L"The clipboard holds no image, file or folder to upload"}),
              prompts.Texts());

    // Another program holds Alt+Print: its row says so, the balloon says it
    // once, the other keys still work.
    UnregisterHotkeys();
    const std::wstring program = LiftornPath();
    Child holder = StartProcess(program.substr(0, program.find_last_of(L"\\/") + 1) + L"capture_target.exe",
                                {L"hotkey", std::to_wstring(MOD_ALT), std::to_wstring(VK_SNAPSHOT)});
    ASSERT_NE(nullptr, holder.process);
    // Until the holder has the key, it is free (and let go at once).
    ASSERT_TRUE(PumpUntil(
        [] {
            if (!RegisterHotKey(nullptr, 77, MOD_ALT, VK_SNAPSHOT)) return true;
            UnregisterHotKey(nullptr, 77);
            return false;
        },
        10000));
    RegisterHotkeys(Main());
    EXPECT_EQ(HotkeyState::kTaken, StatusOf(HotkeyAction::kWindowGrab).state);
    OpenHotkeyPage();
    EXPECT_EQ(L"Taken by another program", RowStatus(HotkeyAction::kWindowGrab));
    EXPECT_TRUE(HotkeyPageRow(HotkeyAction::kWindowGrab).status[0]->IsVisible());
    EXPECT_EQ(L"", RowStatus(HotkeyAction::kScreenshot));
    EXPECT_EQ(L"Alt+Print", HotkeyPageRow(HotkeyAction::kWindowGrab).field->GetText());
    AnnounceHotkeyProblems(Main());
    EXPECT_EQ((std::vector<std::wstring>{
                  L"Keyboard shortcuts: Alt+Print: Taken by another program."}),
              balloons);
    captures.clear();
    prompts.Clear();
    Chord({VK_SNAPSHOT});
    Chord({VK_CONTROL, VK_SHIFT, 'V'});
    EXPECT_EQ((std::vector<std::pair<bool, bool>>{{true, false}}), captures);
    EXPECT_EQ(1u, prompts.Texts().size());

    // Once it lets go, registering again takes it.
    TerminateProcess(holder.process, 0);
    WaitForExit(holder.process, 10000);
    CloseHandle(holder.process);
    RegisterHotkeys(Main());
    EXPECT_EQ(HotkeyState::kActive, StatusOf(HotkeyAction::kWindowGrab).state);
    EXPECT_EQ(L"", RowStatus(HotkeyAction::kWindowGrab));

    // A setting that is not a combination is reported and left unused.
    Settings().SetString(L"HotkeyClipboard", L"Ctrl+Banana");
    RegisterHotkeys(Main());
    EXPECT_EQ(HotkeyState::kUnreadable, StatusOf(HotkeyAction::kClipboard).state);
    EXPECT_EQ(L"HotkeyClipboard in vantorel.conf is not a key combination: \"Ctrl+Banana\".", HotkeyProblems());
    EXPECT_EQ(L"Not a key combination: \"Ctrl+Banana\"", RowStatus(HotkeyAction::kClipboard));
    EXPECT_EQ(L"None", HotkeyPageRow(HotkeyAction::kClipboard).field->GetText());
}

TEST_F(Shortcuts, WindowsSnippingOnPrintScreenIsShownAndTurnedOffOnlyAfterYes) {
    SetSnipping(1);
    RegisterHotkeys(Main());
    EXPECT_EQ(HotkeyState::kSnipping, StatusOf(HotkeyAction::kScreenshot).state);
    EXPECT_EQ(HotkeyState::kActive, StatusOf(HotkeyAction::kWindowGrab).state);  // Alt+Print is ours
    EXPECT_EQ(L"Print: Windows opens its own screen snipping on this key.", HotkeyProblems());
    OpenHotkeyPage();
    const HotkeyRow row = HotkeyPageRow(HotkeyAction::kScreenshot);
    EXPECT_EQ(L"Windows opens its own screen snipping on this key", RowStatus(HotkeyAction::kScreenshot));
    EXPECT_FALSE(row.status[1]->Text().empty());  // two lines: it does not fit one
    for (const GUIText* line : row.status) {
        EXPECT_LE(line->Position().x + line->Size().cx, 275) << "the state leaves its card";
    }
    ASSERT_TRUE(row.giveBack->IsVisible());
    EXPECT_FALSE(HotkeyPageRow(HotkeyAction::kWindowGrab).giveBack->IsVisible());

    RecordedPrompts no(IDNO);
    ClickWidget(row.giveBack);
    ASSERT_EQ(1u, no.All().size());
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), no.All()[0].type);
    EXPECT_EQ(1u, Snipping());
    EXPECT_EQ(HotkeyState::kSnipping, StatusOf(HotkeyAction::kScreenshot).state);

    RecordedPrompts yes(IDYES);
    Settle(GetDoubleClickTime() + 50);  // a click of its own, not a double-click
    ClickWidget(row.giveBack);
    EXPECT_EQ(1u, yes.All().size());
    EXPECT_EQ(0u, Snipping());
    EXPECT_EQ(HotkeyState::kActive, StatusOf(HotkeyAction::kScreenshot).state);
    EXPECT_FALSE(row.giveBack->IsVisible());
    EXPECT_EQ(L"", RowStatus(HotkeyAction::kScreenshot));
    Chord({VK_SNAPSHOT});
    EXPECT_EQ((std::vector<std::pair<bool, bool>>{{true, false}}), captures);
}

TEST_F(Shortcuts, AKeyChosenInThePageWorksAtOnce) {
    OpenHotkeyPage();
    GUIKeyField* field = HotkeyPageRow(HotkeyAction::kScreenshot).field;
    EXPECT_EQ(L"Print", field->GetText());

    // While the box listens, the registered keys choose instead of running.
    ClickWidget(field);
    ASSERT_TRUE(field->IsListening());
    Chord({VK_MENU, VK_SNAPSHOT});  // Alt+Print, the window grab's key
    EXPECT_TRUE(captures.empty());
    EXPECT_EQ(L"Alt+Print", field->GetText());
    EXPECT_EQ(L"Alt+Print", Settings().GetString(L"HotkeyScreenshot"));
    EXPECT_EQ(HotkeyState::kDuplicate, StatusOf(HotkeyAction::kWindowGrab).state);

    // A new combination takes effect at once; the old key does nothing.
    ClickWidget(field);
    Chord({VK_CONTROL, VK_MENU, 'K'});
    EXPECT_FALSE(field->IsListening());
    EXPECT_EQ(L"Ctrl+Alt+K", Settings().GetString(L"HotkeyScreenshot"));
    EXPECT_EQ(HotkeyState::kActive, StatusOf(HotkeyAction::kWindowGrab).state);
    Chord({VK_CONTROL, VK_MENU, 'K'});
    Chord({VK_SNAPSHOT});
    EXPECT_EQ((std::vector<std::pair<bool, bool>>{{true, false}}), captures);

    // A key that types needs a modifier: the box keeps listening and says so.
    ClickWidget(field);
    Chord({'K'});
    EXPECT_TRUE(field->IsListening());
    EXPECT_EQ(L"Add Ctrl, Alt or Win to that key", RowStatus(HotkeyAction::kScreenshot));
    // Escape leaves the key as it was; Backspace clears it.
    Chord({VK_ESCAPE});
    EXPECT_FALSE(field->IsListening());
    EXPECT_EQ(L"Ctrl+Alt+K", field->GetText());
    EXPECT_EQ(L"", RowStatus(HotkeyAction::kScreenshot));
    ClickWidget(field);
    Chord({VK_BACK});
    EXPECT_EQ(L"None", field->GetText());
    EXPECT_EQ(L"None", Settings().GetString(L"HotkeyScreenshot"));
    EXPECT_EQ(HotkeyState::kNone, StatusOf(HotkeyAction::kScreenshot).state);
    captures.clear();
    Chord({VK_CONTROL, VK_MENU, 'K'});
    EXPECT_TRUE(captures.empty());

    // Leaving the page while a box listens gives the keys back.
    ClickWidget(field);
    ASSERT_TRUE(field->IsListening());
    LeaveHotkeyPage();
    Settle();
    EXPECT_FALSE(field->IsListening());
    EXPECT_EQ(HotkeyState::kActive, StatusOf(HotkeyAction::kWindowGrab).state);
    Chord({VK_MENU, VK_SNAPSHOT});
    EXPECT_EQ((std::vector<std::pair<bool, bool>>{{false, false}}), captures);
}

TEST_F(Shortcuts, ACountdownTakesNoFocusThenCapturesAStillScreen) {
    // Something of the user's has the focus (a menu, say).
    HWND users = CreateWindowExW(0, L"STATIC", L"the user's", WS_POPUP | WS_VISIBLE, 600, 300, 200, 100, nullptr,
                                 nullptr, TestInstance(), nullptr);
    SetForegroundWindow(users);
    Settle();
    ASSERT_EQ(users, GetForegroundWindow());

    struct Way {
        const char* name;
        void (*act)();
        bool captures;
    } ways[] = {
        {"the time is up", [] {}, true},
        {"Escape", [] { Chord({VK_ESCAPE}); }, false},
        {"a click", [] {
             RECT rect{};
             GetWindowRect(CountdownWindow(), &rect);
             ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
         }, false},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        captures.clear();
        SendMessageW(Main(), WM_COMMAND, CMD_SCREENSHOT_IN_3, 0);
        HWND countdown = CountdownWindow();
        ASSERT_NE(nullptr, countdown);
        Settle();
        EXPECT_TRUE(IsWindowVisible(countdown));
        EXPECT_NE(0, GetWindowLongPtrW(countdown, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
        EXPECT_EQ(users, GetForegroundWindow());
        EXPECT_FALSE(IsWindowVisible(Main()));  // out of the picture
        EXPECT_EQ(3, CountdownSecondsShown());
        // Another request while it counts: no second capture, no second
        // countdown.
        SendMessageW(Main(), WM_COMMAND, CMD_SCREENSHOT, 0);
        SendMessageW(Main(), WM_COMMAND, CMD_SCREENSHOT_IN_10, 0);
        Chord({VK_SNAPSHOT});
        EXPECT_EQ(countdown, CountdownWindow());
        EXPECT_TRUE(captures.empty());

        clockMillis += 1200;
        Settle(250);
        EXPECT_EQ(2, CountdownSecondsShown());
        way.act();
        clockMillis += 1799;
        Settle(250);
        EXPECT_TRUE(captures.empty());
        clockMillis += 1;
        EXPECT_TRUE(PumpUntil([] { return !CountdownRunning(); }, 3000));
        EXPECT_EQ(users, GetForegroundWindow());
        if (way.captures) {
            EXPECT_EQ((std::vector<std::pair<bool, bool>>{{true, true}}), captures);
        } else {
            EXPECT_TRUE(captures.empty());
            EXPECT_TRUE(PumpUntil([] { return IsWindowVisible(Main()) != FALSE; }, 3000));
        }
        ShowWindow(Main(), SW_SHOWNA);
    }

    // The hand-off of "/screenshot /delay 5" keeps its seconds; nothing out
    // of range starts anything.
    SendMessageW(Main(), WM_COMMAND, CMD_SCREENSHOT_DELAYED, 0);
    SendMessageW(Main(), WM_COMMAND, CMD_SCREENSHOT_DELAYED, 31);
    EXPECT_FALSE(CountdownRunning());
    SendMessageW(Main(), WM_COMMAND, CMD_SCREENSHOT_DELAYED, 5);
    EXPECT_EQ(5, CountdownSecondsShown());
    CancelCountdown();
    DestroyWindow(users);
}

TEST_F(Shortcuts, TheClipboardIsUploadedAsItWasRead) {
    TempDir files;
    ASSERT_TRUE(WriteBytes(files.File("notes.txt"), "some notes"));
    CreateDirectoryW(Utf8ToWide(files.File("folder")).c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(files.File("folder\\inside.txt"), "inside"));
    const std::string png = EncodePng(3, 2, SolidRgba(3, 2, 10, 200, 30, 128));
    // A bottom-up 2 x 2 bitmap with alpha (B, G, R, A; bottom row first)
    // and a 24-bit one of 2 x 1.
    const std::string withAlpha =
        Bitmap(124, 2, 2, std::string{1, 2, 3, 4, 5, 6, 7, 8} + std::string{9, 10, 11, 12, 13, 14, 15, 16});
    const std::string plain = Bitmap(40, 2, 1, std::string{50, 60, 70, 80, 90, 100, 0, 0});
    const std::wstring dropped = Utf8ToWide(files.File("notes.txt")) + L'\0' + Utf8ToWide(files.File("folder")) + L'\0' + L'\0';
    std::string dropBlock = Le32(20) + Le32(0) + Le32(0) + Le32(0) + Le32(1);
    dropBlock += std::string(reinterpret_cast<const char*>(dropped.data()), dropped.size() * sizeof(wchar_t));
    const UINT pngFormat = RegisterClipboardFormatW(L"PNG");

    ASSERT_TRUE(DevService::ClearLog());
    {
        std::lock_guard<std::mutex> hold(repliesLock);
        replies.clear();
    }
    RecordedPrompts prompts;
    // The registered PNG wins over the bitmap beside it.
    PutOnClipboard({{CF_DIB, plain}, {pngFormat, png + std::string(16, '\0')}});
    // Ctrl+V on the main window.
    SetForegroundWindow(Main());
    Settle(100);
    Chord({VK_CONTROL, 'V'});
    ASSERT_TRUE(PumpUntil([] { return ReplyCount() == 1; }, 30000));
    PutOnClipboard({{CF_DIBV5, withAlpha}});
    UploadFromClipboard();
    // The clipboard changes at once: what was read goes up.
    PutOnClipboard({{CF_DIB, plain}});
    ASSERT_TRUE(PumpUntil([] { return ReplyCount() == 2; }, 30000));
    UploadFromClipboard();
    ASSERT_TRUE(PumpUntil([] { return ReplyCount() == 3; }, 30000));
    PutOnClipboard({{CF_HDROP, dropBlock}});
    UploadFromClipboard();
    ASSERT_TRUE(PumpUntil([] { return ReplyCount() == 5; }, 30000));
    PutOnClipboard({{CF_UNICODETEXT, Wide(L"  \"" + Utf8ToWide(files.File("notes.txt")) + L"\"\r\n")}});
    UploadFromClipboard();
    ASSERT_TRUE(PumpUntil([] { return ReplyCount() == 6; }, 30000));
    // Nothing that can go up: a message and no upload.
    const std::wstring others[] = {L"hello", L"C:\\no such file here.txt", L"notes.txt",
                                   Utf8ToWide(files.File("notes.txt")) + L"\nsecond line"};
    for (const std::wstring& text : others) {
        PutOnClipboard({{CF_UNICODETEXT, Wide(text)}});
        UploadFromClipboard();
    }
    EXPECT_EQ(std::vector<std::wstring>(4, L"The clipboard holds no image, file or folder to upload"),
              prompts.Texts());
    // A bitmap whose header claims more rows than it holds is refused.
    PutOnClipboard({{CF_DIB, Bitmap(40, 2, 9, std::string(8, '\1'))}});
    UploadFromClipboard();
    ASSERT_EQ(5u, prompts.Texts().size());
    EXPECT_EQ(L"The picture on the clipboard cannot be read.", prompts.Texts()[4]);
    Settle(500);
    EXPECT_EQ(6u, ReplyCount());

    // The service logs a request once it has answered it.
    std::vector<LoggedRequest> uploads;
    PumpUntil([&] { return (uploads = Uploads()).size() >= 6; }, 10000);
    ASSERT_EQ(6u, uploads.size());
    const std::string pictureName = "clipboard 2024-02-29 07.05.09.png";
    // The PNG as it was, without the clipboard's slack.
    EXPECT_EQ(pictureName, uploads[0].parts.at(0).filename);
    EXPECT_EQ(Sha256Hex(png), uploads[0].parts.at(0).sha256);
    // The bitmaps pixel for pixel, the alpha kept.
    std::vector<std::string> stored;
    {
        std::lock_guard<std::mutex> hold(repliesLock);
        for (const std::string& reply : replies) {
            std::string url = ReplyPath(reply);
            for (std::size_t at; (at = url.find("%20")) != std::string::npos;) url.replace(at, 3, " ");
            stored.push_back(DevService::StoredUpload(url));
        }
    }
    EXPECT_EQ(pictureName, uploads[1].parts.at(0).filename);
    const Picture alpha = Decode(stored[1]);
    ASSERT_EQ(2, alpha.width);
    EXPECT_EQ((std::vector<std::uint8_t>{11, 10, 9, 12, 15, 14, 13, 16, 3, 2, 1, 4, 7, 6, 5, 8}), alpha.rgba);
    const Picture opaque = Decode(stored[2]);
    ASSERT_EQ(2, opaque.width);
    EXPECT_EQ((std::vector<std::uint8_t>{70, 60, 50, 255, 100, 90, 80, 255}), opaque.rgba);
    // Files as if dropped: the file, the folder packed; the path from text.
    EXPECT_EQ("notes.txt", uploads[3].parts.at(0).filename);
    EXPECT_EQ(Sha256Hex("some notes"), uploads[3].parts.at(0).sha256);
    EXPECT_EQ("folder.zip", uploads[4].parts.at(0).filename);
    EXPECT_EQ("notes.txt", uploads[5].parts.at(0).filename);
    // The pictures' own files went with their uploads.
    EXPECT_TRUE(FileNamesIn(App().dataFolder + "captures").empty());
}

}  // namespace
