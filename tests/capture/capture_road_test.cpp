// Captures end to end under Wine: the real program, started with
// "/screenshot" and "/windowgrab" by a second start, driven by real mouse
// and keyboard input, uploading to the development service. The pixels the
// service receives are checked against what the test's own windows paint.
#include <windows.h>

#include <IL/il.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/instance_handoff.h"
#include "base/utf.h"
#include "capture/capture_target_pattern.h"
#include "gui/image_library.h"
#include "support/devservice.h"
#include "support/process.h"
#include "support/real_input.h"
#include "support/temp_dir.h"

namespace {

// Where the pattern window stands on the screen.
constexpr int kPatternX = 600, kPatternY = 300, kPatternW = 320, kPatternH = 240;

// ---------------------------------------------------------------- windows
// A visible top-level window of `processId` with that class (and size).
HWND VisibleWindow(DWORD processId, const wchar_t* className, SIZE size = {0, 0}) {
    for (HWND window : VisibleWindowsOf(processId)) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        RECT rect{};
        GetWindowRect(window, &rect);
        if (lstrcmpW(name, className) == 0 &&
            (size.cx == 0 || (rect.right - rect.left == size.cx && rect.bottom - rect.top == size.cy))) {
            return window;
        }
    }
    return nullptr;
}

HWND WaitVisible(DWORD processId, const wchar_t* className, SIZE size = {0, 0}, DWORD millis = 20000) {
    HWND found = nullptr;
    PumpUntil([&] { return (found = VisibleWindow(processId, className, size)) != nullptr; }, millis);
    return found;
}

bool WaitGone(DWORD processId, const wchar_t* className, SIZE size = {0, 0}, DWORD millis = 20000) {
    return PumpUntil([&] { return VisibleWindow(processId, className, size) == nullptr; }, millis);
}

// What process `processId` shows, for failure messages: class, title and
// size of each visible top-level window; whether it still runs.
std::string Shown(DWORD processId) {
    std::string text;
    for (HWND window : VisibleWindowsOf(processId)) {
        wchar_t name[64] = {}, title[64] = {};
        GetClassNameW(window, name, 64);
        GetWindowTextW(window, title, 64);
        RECT r{};
        GetWindowRect(window, &r);
        text += ToUtf8(name) + " \"" + ToUtf8(title) + "\" " + std::to_string(r.right - r.left) + "x" +
                std::to_string(r.bottom - r.top) + "; ";
    }
    HWND foreground = GetForegroundWindow();
    wchar_t name[64] = {};
    GetClassNameW(foreground, name, 64);
    return text + "foreground: " + ToUtf8(name);
}

// The capture prompt's size (the main window is as wide).
constexpr SIZE kPromptSize{316, 175};

// ---------------------------------------------------------------- images
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // rows top first
    const std::uint8_t* At(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};

Image Decode(const std::string& bytes) {
    Image image;
    LockImageLibrary();
    const ILuint name = ilGenImage();
    ilBindImage(name);
    if (ilLoadL(IL_TYPE_UNKNOWN, bytes.data(), static_cast<ILuint>(bytes.size()))) {
        image.width = ilGetInteger(IL_IMAGE_WIDTH);
        image.height = ilGetInteger(IL_IMAGE_HEIGHT);
        std::vector<std::uint8_t> bottomUp(std::size_t(image.width) * image.height * 4);
        ilCopyPixels(0, 0, 0, image.width, image.height, 1, IL_RGBA, IL_UNSIGNED_BYTE, bottomUp.data());
        image.rgba.resize(bottomUp.size());
        for (int y = 0; y < image.height; ++y) {
            std::copy_n(&bottomUp[std::size_t(image.height - 1 - y) * image.width * 4], image.width * 4,
                        &image.rgba[std::size_t(y) * image.width * 4]);
        }
    }
    ilDeleteImage(name);
    UnlockImageLibrary();
    return image;
}

// Whether the selection's pixels are the pattern's at (x0, y0) on screen.
int WrongPatternPixels(const Image& shot, int x0, int y0) {
    int wrong = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const std::uint32_t want = TestPattern(x0 + x - kPatternX, y0 + y - kPatternY);
            const std::uint8_t* got = shot.At(x, y);
            if (got[0] != (want >> 16 & 0xFF) || got[1] != (want >> 8 & 0xFF) || got[2] != (want & 0xFF) ||
                got[3] != 255) {
                if (++wrong < 4) ADD_FAILURE() << "pixel " << x << "," << y;
            }
        }
    }
    return wrong;
}

// ---------------------------------------------------------------- fixture
class CaptureRoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
        ASSERT_TRUE(DevService::Available());
        ASSERT_EQ(nullptr, FindRunningInstanceWindow());
        InitImageLibrary();
        SetCursorPos(0, 0);
        CreateDirectoryW(ToWide(DataFolder()).c_str(), nullptr);
        // The post-capture command records when it ran.
        const std::string command = ToUtf8(Beside(L"capture_target.exe"));
        WriteServiceConfiguration(DataFolder(), "showtoastalerts false\r\nadv_screenshot_cmd " + command +
                                                    "\r\nadv_screenshot_cmd_args record " +
                                                    files.File("command.txt") + " %1\r\n");
        DevService::ClearLog();
    }
    void TearDown() override {
        if (instance.process) {
            if (HWND window = FindRunningInstanceWindow()) PostMessageW(window, WM_COMMAND, 205, 0);
            for (int i = 0; i < 40 && WaitForExit(instance.process, 500) == -1; ++i) {
                ConfirmQuitQuestion(instance.id);
            }
            TerminateProcess(instance.process, 0);
            CloseHandle(instance.process);
        }
        for (HANDLE process : targets) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }

    std::string DataFolder() { return root.path() + "\\vantorel liftorn"; }
    std::wstring Beside(const std::wstring& name) {
        const std::wstring path = LiftornPath();
        return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
    }
    std::map<std::wstring, std::wstring> Environment() { return {{L"APPDATA", ToWide(root.path())}}; }

    void StartTarget(const std::vector<std::wstring>& arguments) {
        Child child = StartProcess(Beside(L"capture_target.exe"), arguments);
        ASSERT_NE(nullptr, child.process);
        targets.push_back(child.process);
        ASSERT_NE(nullptr, WaitVisible(child.id, L"CaptureTarget"));
    }
    void StartInstance() {
        instance = StartProcess(LiftornPath(), {}, Environment());
        ASSERT_NE(nullptr, instance.process);
        ASSERT_TRUE(PumpUntil([] { return FindRunningInstanceWindow() != nullptr; }, 30000));
    }
    // A second start with `option`; the instance runs the command.
    void Forward(const wchar_t* option) {
        // Under heavy load Wine now and then fails a start: try again.
        Child second;
        DWORD error = 0;
        for (int attempt = 0; attempt < 3 && !second.process; ++attempt) {
            second = StartProcess(LiftornPath(), {option}, Environment());
            if (!second.process) {
                error = GetLastError();
                Sleep(500);
            }
        }
        ASSERT_NE(nullptr, second.process) << "CreateProcess error " << error;
        EXPECT_EQ(0, WaitForExit(second.process, 30000));
        CloseHandle(second.process);
    }
    // The overlay of a new capture, once it shows.
    // The overlay, once it shows and has the keyboard (keys sent before it
    // takes the foreground would go to the window behind it).
    HWND Overlay() {
        HWND overlay = WaitVisible(instance.id, L"SnippingWindow");
        if (overlay) PumpUntil([&] { return GetForegroundWindow() == overlay; }, 10000);
        return overlay;
    }
    // The capture prompt, once it shows; the pointer rests
    // on it, where the keyboard goes on a desktop without a window manager.
    HWND Prompt() {
        HWND prompt = nullptr;
        PumpUntil(
            [&] {
                // The dialog itself, not the click-through window of its shadow.
                for (HWND window : VisibleWindowsOf(instance.id)) {
                    wchar_t name[64] = {};
                    GetClassNameW(window, name, 64);
                    RECT rect{};
                    GetWindowRect(window, &rect);
                    if (lstrcmpW(name, L"SkinnableWindow") == 0 && rect.right - rect.left == kPromptSize.cx &&
                        rect.bottom - rect.top == kPromptSize.cy &&
                        !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) {
                        prompt = window;
                    }
                }
                return prompt != nullptr;
            },
            20000);
        if (prompt) {
            RECT rect{};
            GetWindowRect(prompt, &rect);
            MouseTo(rect.left + 150, rect.top + 60);
        }
        return prompt;
    }
    HWND MessageBoxShown() { return WaitVisible(instance.id, L"#32770"); }
    // A region capture of (from)-(to), both inclusive, named `name` in the
    // prompt; the prompt, or null when it did not show.
    HWND Capture(POINT from, POINT to, const wchar_t* name) {
        Forward(L"/screenshot");
        if (!Overlay()) return nullptr;
        Drag(from, to);
        Press(VK_RETURN);
        HWND prompt = Prompt();
        if (!prompt) return nullptr;
        TypeText(name);
        Press(VK_RETURN);
        return prompt;
    }
    // Whether a capture runs: its overlay exists until its very end (hidden
    // while the prompt asks).
    bool CaptureRuns() {
        std::pair<DWORD, bool> search{instance.id, false};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<std::pair<DWORD, bool>*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (owner == s->first && lstrcmpW(name, L"SnippingWindow") == 0) s->second = true;
                return !s->second;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.second;
    }
    bool CaptureOver() {
        return PumpUntil([&] { return !CaptureRuns(); }, 20000);
    }
    // The files the program keeps its captures in.
    std::vector<std::string> KeptCaptures() { return FileNamesIn(DataFolder() + "\\captures"); }

    std::vector<LoggedRequest> Uploads() {
        std::vector<LoggedRequest> uploads;
        for (const auto& request : DevService::Requests()) {
            if (request.method == "POST" && request.path == "/api/json") uploads.push_back(request);
        }
        return uploads;
    }
    // filename|url of each history row, oldest first.
    std::vector<std::pair<std::string, std::string>> History() {
        std::vector<std::pair<std::string, std::string>> rows;
        sqlite3* db = nullptr;
        const std::string path = DataFolder() + "\\history.db";
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT filename, url FROM history ORDER BY rowid", -1, &statement,
                                   nullptr) == SQLITE_OK) {
                while (sqlite3_step(statement) == SQLITE_ROW) {
                    rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                                      reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
                }
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return rows;
    }
    // The image the service stored for history row `row`.
    Image Uploaded(std::size_t row) {
        const auto rows = History();
        if (row >= rows.size()) return {};
        std::string url = rows[row].second;
        for (size_t at; (at = url.find("%20")) != std::string::npos;) url.replace(at, 3, " ");
        const std::string bytes = DevService::StoredUpload(url);
        return Decode(bytes);
    }
    // Waits for the `count`th upload at the service, then for its history
    // row. The database is read sparingly: the program writes it without a
    // busy timeout, so a reader at the wrong moment would fail its insert.
    bool WaitForRows(std::size_t count) {
        if (!PumpUntil([&] { return Uploads().size() >= count; }, 60000)) return false;
        return PumpUntil(
            [&] {
                PumpUntil([] { return false; }, 500);
                return History().size() >= count;
            },
            20000);
    }

    TempDir root;
    TempDir files;
    Child instance;
    std::vector<HANDLE> targets;
};

TEST_F(CaptureRoad, RegionScreenshotsFromSelectionToHistory) {
    StartTarget({L"pattern", std::to_wstring(kPatternX), std::to_wstring(kPatternY),
                 std::to_wstring(kPatternW), std::to_wstring(kPatternH)});
    StartInstance();
    HWND main = FindRunningInstanceWindow();

    // The first screenshot explains itself once.
    Forward(L"/screenshot");
    HWND instructions = MessageBoxShown();
    ASSERT_NE(nullptr, instructions);
    EXPECT_EQ(0u, MessageBoxText(instructions).find(L"Taking a screenshot:"));
    PostMessageW(instructions, WM_COMMAND, IDOK, 0);

    ASSERT_NE(nullptr, Overlay());
    EXPECT_FALSE(IsWindowVisible(main));  // hidden during a region capture
    // Drag a selection, move it, resize it from its bottom-right corner.
    Drag({640, 330}, {820, 480});  // (640, 330)-(820, 480)
    Drag({730, 400}, {750, 410});  // moved by (20, 10): (660, 340)-(840, 490)
    Drag({838, 488}, {808, 468});  // the corner follows the pointer: (660, 340)-(808, 468)
    Press(VK_RETURN);

    ASSERT_NE(nullptr, Prompt());
    TypeText(L"pattern.png");
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForRows(1));
    // The command had finished with the file when the upload arrived; it
    // had the capture's own file as one argument (the data folder's path
    // holds a space).
    const std::string record = ReadBytes(files.File("command.txt"));
    EXPECT_NE(std::string::npos, record.find("\ndone ")) << record;
    EXPECT_NE(std::string::npos, record.find("\n" + DataFolder() + "\\captures\\capture-")) << record;
    ASSERT_EQ(1u, Uploads().size());
    EXPECT_EQ("pattern.png", Uploads()[0].parts.at(0).filename);
    EXPECT_EQ("pattern.png", History()[0].first);

    // The pixels are exactly the pattern inside the final selection.
    const Image shot = Uploaded(0);
    ASSERT_EQ(149, shot.width);
    ASSERT_EQ(129, shot.height);
    EXPECT_EQ(0, WrongPatternPixels(shot, 660, 340));
    // The capture file went with its upload; the main window is back.
    EXPECT_TRUE(PumpUntil([&] { return KeptCaptures().empty(); }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));

    // Ctrl+Enter: the whole virtual screen at its full size.
    Forward(L"/screenshot");
    ASSERT_NE(nullptr, Overlay());
    Key(VK_CONTROL, true);
    Press(VK_RETURN);
    Key(VK_CONTROL, false);
    ASSERT_NE(nullptr, Prompt());
    TypeText(L"full.png");
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForRows(2));
    const Image full = Uploaded(1);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), full.width);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), full.height);

    // A click without a drag: the no-selection message, the overlay stays;
    // Escape then ends it with nothing saved.
    Forward(L"/screenshot");
    HWND overlay = Overlay();
    ASSERT_NE(nullptr, overlay);
    ClickAt(700, 400);
    Press(VK_RETURN);
    HWND message = MessageBoxShown();
    ASSERT_NE(nullptr, message);
    EXPECT_EQ(0u, MessageBoxText(message).find(L"No selection detected"));
    PostMessageW(message, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitGone(instance.id, L"#32770"));
    EXPECT_TRUE(IsWindowVisible(overlay));
    MouseTo(700, 400);  // the keyboard follows the pointer here
    Press(VK_ESCAPE);
    EXPECT_TRUE(WaitGone(instance.id, L"SnippingWindow"));

    // Cancel in the prompt: nothing saved, nothing uploaded.
    Forward(L"/screenshot");
    ASSERT_NE(nullptr, Overlay());
    Drag({650, 350}, {700, 400});
    Press(VK_RETURN);
    HWND prompt = Prompt();
    ASSERT_NE(nullptr, prompt) << Shown(instance.id);
    RECT rect{};
    GetWindowRect(prompt, &rect);
    ClickAt(rect.left + 225 + 28, rect.top + 107 + 10);  // the Cancel button
    EXPECT_TRUE(WaitGone(instance.id, L"SkinnableWindow", kPromptSize));
    Sleep(1500);
    EXPECT_EQ(2u, Uploads().size());
    EXPECT_EQ(2u, History().size());
    EXPECT_TRUE(KeptCaptures().empty());
}

// Captures named alike while the queue is busy each keep their own file
// and arrive as taken; a capture whose upload fails stays on disk; the
// program quit under the prompt ends the capture with nothing left behind.
TEST_F(CaptureRoad, RegionCapturesKeepTheirOwnFilesUntilTheServiceHasThem) {
    WriteServiceConfiguration(DataFolder(), "showtoastalerts false\r\nunderstoodscreenshot true\r\n");
    StartTarget({L"pattern", std::to_wstring(kPatternX), std::to_wstring(kPatternY),
                 std::to_wstring(kPatternW), std::to_wstring(kPatternH)});
    StartInstance();
    HWND main = FindRunningInstanceWindow();

    // The first upload takes its time, so the two named alike wait behind it.
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "slow", "path": "/api/json", "delay": 20.0, "count": 1})"));
    ASSERT_NE(nullptr, Capture({610, 310}, {650, 350}, L"slow.png"));
    ASSERT_TRUE(CaptureOver());
    ASSERT_NE(nullptr, Capture({620, 320}, {700, 380}, L"same.png"));
    ASSERT_TRUE(CaptureOver());
    ASSERT_NE(nullptr, Capture({640, 340}, {800, 460}, L"same.png"));
    ASSERT_TRUE(CaptureOver());
    // Both wait behind the first.
    EXPECT_LE(Uploads().size(), 1u);
    ASSERT_TRUE(WaitForRows(3));
    const auto rows = History();
    EXPECT_EQ("slow.png", rows[0].first);
    EXPECT_EQ("same.png", rows[1].first);
    EXPECT_EQ("same.png", rows[2].first);
    const Image first = Uploaded(1), second = Uploaded(2);
    EXPECT_EQ(81, first.width);
    EXPECT_EQ(61, first.height);
    EXPECT_EQ(0, WrongPatternPixels(first, 620, 320));
    EXPECT_EQ(161, second.width);
    EXPECT_EQ(121, second.height);
    EXPECT_EQ(0, WrongPatternPixels(second, 640, 340));
    EXPECT_TRUE(PumpUntil([&] { return KeptCaptures().empty(); }, 10000));

    // The service refuses it: the user's only copy stays. (A refusal, not a
    // 500, which would be tried again a few seconds later and could succeed
    // before the quit below.)
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "path": "/api/json", "status": 413, "count": 1})"));
    ASSERT_NE(nullptr, Capture({700, 400}, {760, 450}, L"kept.png"));
    ASSERT_TRUE(CaptureOver());
    ASSERT_TRUE(PumpUntil([&] { return Uploads().size() == 4; }, 30000));
    PumpUntil([] { return false; }, 1000);
    const auto kept = KeptCaptures();
    ASSERT_EQ(1u, kept.size());
    const Image keptImage = Decode(ReadBytes(DataFolder() + "\\captures\\" + kept[0]));
    EXPECT_EQ(61, keptImage.width);
    EXPECT_EQ(51, keptImage.height);

    // A name Windows keeps for a device is refused and the prompt stays;
    // quitting meanwhile ends the capture and the program, nothing saved.
    ASSERT_NE(nullptr, Capture({650, 350}, {700, 400}, L"CON.png"));
    PumpUntil([] { return false; }, 1000);
    ASSERT_NE(nullptr, Prompt());
    PostMessageW(main, WM_COMMAND, 205, 0);
    EXPECT_EQ(0, WaitForExit(instance.process, 30000));
    EXPECT_EQ(kept, KeptCaptures());
    EXPECT_EQ(4u, Uploads().size());
}

// The keys and the countdown with the real program: Print Screen starts
// the overlay (pressed again, it only brings the running one forward) and
// the capture uploads; "/screenshot /delay N" from a second start counts
// down without taking the focus, then captures; Escape cancels a countdown.
TEST_F(CaptureRoad, RegionScreenshotsByKeyAndAfterACountdown) {
    WriteServiceConfiguration(DataFolder(), "showtoastalerts false\r\nunderstoodscreenshot true\r\n");
    StartTarget({L"pattern", std::to_wstring(kPatternX), std::to_wstring(kPatternY),
                 std::to_wstring(kPatternW), std::to_wstring(kPatternH)});
    StartInstance();
    HWND main = FindRunningInstanceWindow();
    // The program takes its keys before it waits for input; looking earlier
    // (by taking the key for a moment) could take it from under the program.
    EXPECT_EQ(0u, WaitForInputIdle(instance.process, 30000));
    // The keys are the program's once no one else can have Print Screen.
    ASSERT_TRUE(PumpUntil(
        [] {
            if (!RegisterHotKey(nullptr, 1, 0, VK_SNAPSHOT)) return true;
            UnregisterHotKey(nullptr, 1);
            return false;
        },
        20000));

    Press(VK_SNAPSHOT);
    ASSERT_NE(nullptr, Overlay()) << Shown(instance.id);
    Press(VK_SNAPSHOT);
    PumpUntil([] { return false; }, 500);
    std::size_t overlays = 0;
    for (HWND window : VisibleWindowsOf(instance.id)) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        overlays += lstrcmpW(name, L"SnippingWindow") == 0;
    }
    EXPECT_EQ(1u, overlays);
    Drag({650, 350}, {749, 429});
    Press(VK_RETURN);
    ASSERT_NE(nullptr, Prompt());
    TypeText(L"by key.png");
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForRows(1));
    EXPECT_EQ("by key.png", History()[0].first);
    const Image byKey = Uploaded(0);
    EXPECT_EQ(100, byKey.width);
    EXPECT_EQ(0, WrongPatternPixels(byKey, 650, 350));
    ASSERT_TRUE(CaptureOver());
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));

    // A countdown from a second start: beside the tray, never in front of
    // the keyboard, then the overlay on the screen as it was.
    auto delayed = [&](const wchar_t* seconds) {
        Child second = StartProcess(LiftornPath(), {L"/screenshot", L"/delay", seconds}, Environment());
        ASSERT_NE(nullptr, second.process);
        EXPECT_EQ(0, WaitForExit(second.process, 30000));
        CloseHandle(second.process);
    };
    const DWORD started = GetTickCount();
    delayed(L"2");
    HWND countdown = WaitVisible(instance.id, L"SkinnableWindow", SIZE{220, 80});
    ASSERT_NE(nullptr, countdown) << Shown(instance.id);
    EXPECT_NE(countdown, GetForegroundWindow());
    EXPECT_FALSE(IsWindowVisible(main));
    ASSERT_NE(nullptr, Overlay());
    EXPECT_GE(GetTickCount() - started, 2000u);
    EXPECT_FALSE(IsWindowVisible(countdown));
    Key(VK_CONTROL, true);
    Press(VK_RETURN);
    Key(VK_CONTROL, false);
    ASSERT_NE(nullptr, Prompt());
    TypeText(L"later.png");
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForRows(2));
    const Image later = Uploaded(1);
    ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), later.width);
    // The pattern where it stands; the whole screen is as it was.
    Image pattern;
    pattern.width = kPatternW, pattern.height = kPatternH;
    for (int y = 0; y < kPatternH; ++y) {
        const std::uint8_t* row = later.At(kPatternX, kPatternY + y);
        pattern.rgba.insert(pattern.rgba.end(), row, row + kPatternW * 4);
    }
    EXPECT_EQ(0, WrongPatternPixels(pattern, kPatternX, kPatternY));
    ASSERT_TRUE(CaptureOver());
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));

    // Escape cancels a countdown: no overlay, the main window back.
    delayed(L"3");
    ASSERT_NE(nullptr, WaitVisible(instance.id, L"SkinnableWindow", SIZE{220, 80}));
    // The user works in another program meanwhile (under Wine without a
    // window manager, keys reach no one while no window has the focus).
    ClickAt(kPatternX + 20, kPatternY + 20);
    Press(VK_ESCAPE);
    EXPECT_TRUE(WaitGone(instance.id, L"SkinnableWindow", SIZE{220, 80}, 2000));
    EXPECT_FALSE(PumpUntil([&] { return CaptureRuns(); }, 4000));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));
    EXPECT_EQ(2u, Uploads().size());
}

// Run with a compositor (tests/capture/with-compositor.sh), so the shadow
// really blends over whatever lies behind it.
TEST_F(CaptureRoad, WindowGrabsKeepRealTransparencyInPngOnly) {
    // Clear of the main window, which stays up during a window grab.
    constexpr int x = 620, y = 260, w = 300, h = 200;
    StartTarget({L"shadow", std::to_wstring(x), std::to_wstring(y), std::to_wstring(w), std::to_wstring(h),
                 L"a/b:c"});
    StartInstance();
    HWND main = FindRunningInstanceWindow();
    DWORD instanceId = instance.id;

    const wchar_t* names[] = {nullptr, L"shot.jpg", L"shot.gif"};
    for (std::size_t round = 0; round < 3; ++round) {
        Forward(L"/windowgrab");
        ASSERT_NE(nullptr, Overlay()) << round;
        EXPECT_TRUE(IsWindowVisible(main));
        MouseTo(x + w / 2, y + h / 2);  // outlines the window
        MouseTo(x + w / 2 + 5, y + h / 2);
        ClickAt(x + w / 2 + 5, y + h / 2);
        ASSERT_NE(nullptr, Prompt()) << round;
        // Hidden while the prompt asks, back afterwards.
        EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 5000)) << round;
        RECT mainRect{};
        GetWindowRect(main, &mainRect);
        const SIZE mainSize{mainRect.right - mainRect.left, mainRect.bottom - mainRect.top};
        EXPECT_EQ(nullptr, VisibleWindow(instanceId, L"SkinnableWindow", mainSize))
            << round << ": " << Shown(instanceId);
        if (names[round]) TypeText(names[round]);  // else the offered name
        Press(VK_RETURN);
        ASSERT_TRUE(WaitForRows(round + 1))
            << round << ": " << Shown(instanceId) << " uploads " << Uploads().size();
        EXPECT_TRUE(WaitGone(instanceId, L"SnippingWindow"));
    }
    const auto rows = History();
    EXPECT_EQ("abc.png", rows[0].first);  // the title without / and :
    EXPECT_EQ("shot.jpg", rows[1].first);
    EXPECT_EQ("shot.gif", rows[2].first);

    // The PNG: the window's core opaque in its own colour, its shadow black
    // at half alpha, outside it (the margin, when the desktop composes)
    // nothing at all.
    const Image png = Uploaded(0);
    ASSERT_GE(png.width, w);
    ASSERT_GE(png.height, h);
    const int mx = (png.width - w) / 2, my = (png.height - h) / 2;
    const std::uint8_t* core = png.At(mx + w / 2, my + h / 2);
    EXPECT_EQ(255, core[3]);
    EXPECT_NEAR(0x33, core[0], 2);
    EXPECT_NEAR(0x66, core[1], 2);
    EXPECT_NEAR(0xCC, core[2], 2);
    const std::uint8_t* shadow = png.At(mx + 5, my + h / 2);
    EXPECT_NEAR(128, shadow[3], 3);
    EXPECT_LE(shadow[0] + shadow[1] + shadow[2], 12);
    if (mx > 0) {
        EXPECT_EQ(0, png.At(mx / 2, my + h / 2)[3]);
    }

    // JPEG and GIF: laid over white, no alpha.
    for (std::size_t row : {1u, 2u}) {
        const Image flat = Uploaded(row);
        ASSERT_EQ(png.width, flat.width) << row;
        const std::uint8_t* grey = flat.At(mx + 5, my + h / 2);
        EXPECT_NEAR(127, grey[0], 10) << row;
        EXPECT_NEAR(127, grey[2], 10) << row;
        EXPECT_EQ(255, grey[3]) << row;
        const std::uint8_t* blue = flat.At(mx + w / 2, my + h / 2);
        EXPECT_NEAR(0xCC, blue[2], 10) << row;
    }
    // The grabbed window is not left topmost.
    HWND target = nullptr;
    PumpUntil([&] { return (target = WindowFromPoint(POINT{x + w / 2, y + h / 2})) != nullptr; }, 1000);
    ASSERT_NE(nullptr, target);
    EXPECT_EQ(0, GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

}  // namespace
