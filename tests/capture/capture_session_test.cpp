// Whole captures on their own thread, as the main window starts them: one at
// a time (a second request only brings the first forward), every way out of
// the prompt ends the capture and brings the main window back, each saved
// capture gets a file of its own whatever it is named, the post-capture
// command gets that file as one argument, an ending program leaves no file
// behind, a screen too large says so, a grab of a program that does not
// answer does not wait for it, and a frozen capture takes the screen as it
// was when it opened.
#include "capture/capture.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "base/scoped_win.h"
#include "base/seams.h"
#include "base/utf.h"
#include "capture/capture_state.h"
#include "capture/capture_test_support.h"
#include "capture/window_grab.h"
#include "config/settings_store.h"
#include "gui/argb_bitmap.h"
#include "gui/gui_test_support.h"
#include "gui/image_library.h"
#include "gui/skinnable_window.h"
#include "support/process.h"
#include "support/prompts.h"
#include "support/temp_dir.h"

namespace {

constexpr SIZE kPromptSize{316, 175};

std::mutex handedLock;
std::vector<std::pair<std::wstring, std::wstring>> handed;  // path, name

void RecordHandOff(const wchar_t* path, const wchar_t* name) {
    std::lock_guard<std::mutex> hold(handedLock);
    handed.emplace_back(path, name);
}

std::vector<std::pair<std::wstring, std::wstring>> Handed() {
    std::lock_guard<std::mutex> hold(handedLock);
    return handed;
}

// This process's windows of `className`, shown or not.
std::vector<HWND> Windows(const wchar_t* className, bool visibleOnly) {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId() && (!visibleOnly || IsWindowVisible(window))) found.push_back(window);
    }
    return found;
}

HWND SizedChild(HWND parent, SIZE size) {
    std::pair<SIZE, HWND> search{size, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<std::pair<SIZE, HWND>*>(data);
            RECT rect{};
            GetWindowRect(child, &rect);
            if (rect.right - rect.left == s->first.cx && rect.bottom - rect.top == s->first.cy) {
                s->second = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::wstring Beside(const std::wstring& name) {
    const std::wstring path = LiftornPath();
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

class CaptureSessionTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
        Settings().SetAdvanced(L"adv_screenshot_cmd", L"");
        Settings().SetBool(L"EnableTransparentWindowGrab", false);
        // A data folder whose path holds a space and a dash, as the real
        // one ("...\vantorel liftorn\") does.
        dataFolder = Utf8ToWide(temp.path()) + L"\\my data - x\\";
        CreateDirectoryW(dataFolder.c_str(), nullptr);
        main = std::make_unique<SkinnableWindow>(TestInstance(), 300, 200, 1, L"main", 0, WS_EX_TOOLWINDOW);
        main->Show(SW_SHOW);
        PumpMessages();
        std::lock_guard<std::mutex> hold(handedLock);
        handed.clear();
    }
    void TearDown() override {
        EXPECT_TRUE(StopCapture(10000));
        PumpMessages();
        main.reset();
    }

    CaptureRequest Request(bool regionMode = true) {
        CaptureRequest request;
        request.onCaptured = RecordHandOff;
        request.mainWindow = main->MainWindow();
        request.instance = TestInstance();
        request.regionMode = regionMode;
        request.dataFolder = dataFolder;
        return request;
    }
    static HWND Overlay() {
        HWND overlay = nullptr;
        PumpUntil(
            [&] {
                const auto shown = Windows(L"SnippingWindow", true);
                overlay = shown.empty() ? nullptr : shown[0];
                return overlay != nullptr;
            },
            10000);
        return overlay;
    }
    static HWND Prompt() {
        HWND prompt = nullptr;
        PumpUntil(
            [&] {
                for (HWND window : Windows(L"SkinnableWindow", true)) {
                    RECT rect{};
                    GetWindowRect(window, &rect);
                    // Not the click-through window that shows its shadow.
                    const bool outer = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
                    if (!outer && rect.right - rect.left == kPromptSize.cx &&
                        rect.bottom - rect.top == kPromptSize.cy) {
                        prompt = window;
                    }
                }
                return prompt != nullptr;
            },
            20000);
        return prompt;
    }
    // A region capture of the whole screen (Ctrl+Enter), up to its prompt.
    HWND OpenPrompt() {
        EXPECT_TRUE(StartCapture(Request()));
        HWND overlay = Overlay();
        if (!overlay) return nullptr;
        PostMessageW(overlay, WM_KEYDOWN, VK_CONTROL, 0);
        PostMessageW(overlay, WM_KEYDOWN, VK_RETURN, 0);
        return Prompt();
    }
    static HWND NameEdit(HWND prompt) { return SizedChild(prompt, SIZE{246, 17}); }
    bool Ended() {
        return PumpUntil([] { return !CaptureRunning(); }, 20000) && Windows(L"SnippingWindow", false).empty();
    }
    std::wstring Captures() const { return dataFolder + L"captures\\"; }

    TempDir temp;
    std::wstring dataFolder;
    std::unique_ptr<SkinnableWindow> main;
};

TEST_F(CaptureSessionTest, OneAtATimeAndEveryWayOutOfThePromptCancels) {
    struct Way {
        const char* name;
        void (*close)(HWND prompt);
    } ways[] = {
        {"Escape", [](HWND prompt) { PostMessageW(NameEdit(prompt), WM_CHAR, VK_ESCAPE, 0); }},
        // Alt+F4 as the focused edit box receives it.
        {"Alt+F4", [](HWND prompt) { PostMessageW(NameEdit(prompt), WM_SYSKEYDOWN, VK_F4, 0x20000001); }},
        {"WM_CLOSE", [](HWND prompt) { PostMessageW(prompt, WM_CLOSE, 0, 0); }},
        {"the program ending", [](HWND) { EXPECT_TRUE(StopCapture(10000)); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        ASSERT_TRUE(StartCapture(Request()));
        ASSERT_NE(nullptr, Overlay());
        EXPECT_TRUE(CaptureRunning());
        EXPECT_FALSE(IsWindowVisible(main->MainWindow()));
        // A second request shows the first capture: still one overlay.
        EXPECT_TRUE(StartCapture(Request(false)));
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(1u, Windows(L"SnippingWindow", false).size());

        HWND overlay = Overlay();
        PostMessageW(overlay, WM_KEYDOWN, VK_CONTROL, 0);
        PostMessageW(overlay, WM_KEYDOWN, VK_RETURN, 0);
        HWND prompt = Prompt();
        ASSERT_NE(nullptr, prompt);
        ASSERT_NE(nullptr, NameEdit(prompt));
        // A second start shows the main window before it hands over; the
        // capture hides it again and shows its prompt.
        ShowWindow(main->MainWindow(), SW_SHOW);
        EXPECT_TRUE(StartCapture(Request()));
        EXPECT_FALSE(IsWindowVisible(main->MainWindow()));
        EXPECT_TRUE(Windows(L"SnippingWindow", true).empty());

        way.close(prompt);
        EXPECT_TRUE(Ended());
        EXPECT_FALSE(IsWindow(prompt));
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main->MainWindow()) != FALSE; }, 5000));
    }
    EXPECT_TRUE(Handed().empty());
    EXPECT_TRUE(FileNamesIn(WideToUtf8(Captures())).empty());
}

TEST_F(CaptureSessionTest, EachCaptureKeepsAFileOfItsOwnAndAnEndingProgramLeavesNone) {
    TempDir records;
    const std::wstring record = Utf8ToWide(records.File("record.txt"));
    Settings().SetAdvanced(L"adv_screenshot_cmd", Beside(L"capture_target.exe"));
    Settings().SetAdvanced(L"adv_screenshot_cmd_args", L"record \"" + record + L"\" %1");
    Settings().SetBool(L"RunCommandAfterScreenshot", true);

    // Twice the offered name, "capture.png": two files all the same.
    for (std::size_t round = 1; round <= 2; ++round) {
        HWND prompt = OpenPrompt();
        ASSERT_NE(nullptr, prompt);
        PostMessageW(NameEdit(prompt), WM_CHAR, VK_RETURN, 0);
        ASSERT_TRUE(PumpUntil([&] { return Handed().size() == round; }, 30000)) << round;
        ASSERT_TRUE(Ended());
        // The command had the file as one argument, however many spaces
        // and dashes its path holds.
        const std::string lines = ReadBytes(WideToUtf8(record));
        const std::size_t first = lines.find('\n') + 1;
        EXPECT_EQ(WideToUtf8(Handed().back().first), lines.substr(first, lines.find('\n', first) - first));
    }
    const auto files = Handed();
    EXPECT_EQ(L"capture.png", files[0].second);
    EXPECT_EQ(L"capture.png", files[1].second);
    EXPECT_NE(files[0].first, files[1].first);
    for (const auto& file : files) {
        EXPECT_EQ(0u, file.first.rfind(Captures() + L"capture-", 0)) << WideToUtf8(file.first);
        EXPECT_GT(ReadBytes(WideToUtf8(file.first)).size(), 1000u);
    }

    // The program ends while the command still works on the third: the
    // capture ends at once, hands nothing over and deletes its file.
    Settings().SetAdvanced(L"adv_screenshot_cmd_args", L"record-hold \"" + record + L"\" %1");
    DeleteFileW(record.c_str());
    HWND prompt = OpenPrompt();
    ASSERT_NE(nullptr, prompt);
    PostMessageW(NameEdit(prompt), WM_CHAR, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return ReadBytes(WideToUtf8(record)).find('\n') != std::string::npos; }, 20000));
    EXPECT_EQ(3u, FileNamesIn(WideToUtf8(Captures())).size());
    EXPECT_TRUE(StopCapture(10000));
    EXPECT_FALSE(CaptureRunning());
    PumpMessages();
    EXPECT_EQ(2u, Handed().size());
    EXPECT_EQ(2u, FileNamesIn(WideToUtf8(Captures())).size());
    const std::string started = ReadBytes(WideToUtf8(record));
    const DWORD recorder = std::stoul(started.substr(started.rfind(' ', started.find('\n')) + 1));
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, recorder)) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
}

// A window of one colour, repainted when the colour changes.
COLORREF shownColour = RGB(255, 0, 0);
LRESULT CALLBACK ColourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(shownColour));
    FillRect(dc, &paint.rcPaint, brush.get());
    EndPaint(window, &paint);
    return 0;
}

// The colour of pixel (x, y) of a saved picture, as 0xRRGGBB.
std::uint32_t SavedPixel(const std::wstring& path, int x, int y) {
    LockImageLibrary();
    const ILuint image = ilGenImage();
    ilBindImage(image);
    std::uint8_t rgb[3] = {};
    if (ilLoadImage(path.c_str())) {
        if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT) y = ilGetInteger(IL_IMAGE_HEIGHT) - 1 - y;
        ilCopyPixels(x, y, 0, 1, 1, 1, IL_RGB, IL_UNSIGNED_BYTE, rgb);
    }
    ilDeleteImage(image);
    UnlockImageLibrary();
    return std::uint32_t(rgb[0]) << 16 | rgb[1] << 8 | rgb[2];
}

// After a countdown the selection is made on the screen as it was when the
// overlay came: what changes under the overlay is not in the capture.
TEST_F(CaptureSessionTest, AFrozenCaptureTakesTheScreenAsItWasWhenItOpened) {
    WNDCLASSW colourClass{};
    colourClass.lpfnWndProc = ColourProc;
    colourClass.hInstance = GetModuleHandleW(nullptr);
    colourClass.lpszClassName = L"ColourWindow";
    RegisterClassW(&colourClass);
    shownColour = RGB(255, 0, 0);
    HWND colour = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"ColourWindow", L"", WS_POPUP | WS_VISIBLE, 700,
                                  312, 200, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, colour);
    PumpUntil([] { return false; }, 300);

    CaptureRequest request = Request();
    request.freezeScreen = true;
    ASSERT_TRUE(StartCapture(request));
    HWND overlay = Overlay();
    ASSERT_NE(nullptr, overlay);
    // The window turns blue under the overlay.
    shownColour = RGB(0, 0, 255);
    InvalidateRect(colour, nullptr, TRUE);
    UpdateWindow(colour);
    PostMessageW(overlay, WM_KEYDOWN, VK_CONTROL, 0);
    PostMessageW(overlay, WM_KEYDOWN, VK_RETURN, 0);
    HWND prompt = Prompt();
    ASSERT_NE(nullptr, prompt);
    PostMessageW(NameEdit(prompt), WM_CHAR, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return Handed().size() == 1; }, 30000));
    EXPECT_TRUE(Ended());
    DestroyWindow(colour);
    // The middle row of the screen lies inside the window whichever way
    // the file's rows run.
    EXPECT_EQ(0xFF0000u, SavedPixel(Handed()[0].first, 800, GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2));
}

// Width and height of a saved picture.
SIZE SavedSize(const std::wstring& path) {
    ImageLibraryLock lock(ImageLibraryMutex());
    const ILuint image = ilGenImage();
    ilBindImage(image);
    SIZE size{};
    if (ilLoadImage(path.c_str())) size = SIZE{ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT)};
    ilDeleteImage(image);
    return size;
}

// A window of one colour, painted by its class's brush.
HWND SolidWindow(const wchar_t* className, COLORREF colour, RECT r) {
    WNDCLASSW solidClass{};
    solidClass.lpfnWndProc = DefWindowProcW;
    solidClass.hInstance = GetModuleHandleW(nullptr);
    solidClass.hbrBackground = CreateSolidBrush(colour);  // the class keeps it for the process
    solidClass.lpszClassName = className;
    RegisterClassW(&solidClass);
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, L"", WS_POPUP | WS_VISIBLE, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A 100 % monitor left of column 800 and a 150 % one right of it: a region
// drawn across both holds exactly the screen's pixels, as many as selected.
TEST_F(CaptureSessionTest, ARegionAcrossMonitorsOfDifferentScalingHoldsTheScreensPixels) {
    Seams seams = CurrentSeams();
    seams.monitorDpi = [](const RECT& area) { return area.left + area.right > 1600 ? 144 : 96; };
    ScopedSeams scoped(seams);
    HWND red = SolidWindow(L"RedWindow", RGB(255, 0, 0), RECT{600, 300, 800, 500});
    HWND blue = SolidWindow(L"BlueWindow", RGB(0, 0, 255), RECT{800, 300, 1000, 500});
    ASSERT_TRUE(red && blue);
    PumpUntil([] { return false; }, 300);

    ASSERT_TRUE(StartCapture(Request()));
    HWND overlay = Overlay();
    ASSERT_NE(nullptr, overlay);
    // The overlay covers the virtual screen from (0, 0) here.
    PostMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(700, 350));
    PostMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(899, 449));
    PostMessageW(overlay, WM_LBUTTONUP, 0, MAKELPARAM(899, 449));
    PostMessageW(overlay, WM_KEYDOWN, VK_RETURN, 0);
    HWND prompt = Prompt();
    ASSERT_NE(nullptr, prompt);
    PostMessageW(NameEdit(prompt), WM_CHAR, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return Handed().size() == 1; }, 30000));
    DestroyWindow(red);
    DestroyWindow(blue);
    const std::wstring saved = Handed()[0].first;
    const SIZE size = SavedSize(saved);
    EXPECT_EQ(200, size.cx);
    EXPECT_EQ(100, size.cy);
    for (const int y : {0, 50, 99}) {
        EXPECT_EQ(0xFF0000u, SavedPixel(saved, 0, y));
        EXPECT_EQ(0xFF0000u, SavedPixel(saved, 99, y));
        EXPECT_EQ(0x0000FFu, SavedPixel(saved, 100, y));
        EXPECT_EQ(0x0000FFu, SavedPixel(saved, 199, y));
    }
}

TEST_F(CaptureSessionTest, AScreenTooLargeForItsPictureIsReported) {
    RecordedPrompts prompts;
    CaptureRequest request = Request();
    request.pictureLimit = 1024;
    ASSERT_TRUE(StartCapture(request));
    EXPECT_TRUE(Ended());
    const std::wstring size = std::to_wstring(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + L" x " +
                              std::to_wstring(GetSystemMetrics(SM_CYVIRTUALSCREEN));
    ASSERT_EQ(1u, prompts.All().size());
    EXPECT_EQ(L"vantorel liftorn cannot capture a screen this large (" + size + L" pixels over all monitors).",
              prompts.All()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), prompts.All()[0].type);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main->MainWindow()) != FALSE; }, 5000));
}

// The window of a program whose thread is stopped: raising it, copying it
// (over the backdrops, when asked for) and putting it back must not wait
// for it. Stops at a generous bound rather than hanging the suite.
TEST_F(CaptureSessionTest, AGrabOfAProgramThatDoesNotAnswerDoesNotWaitForIt) {
    Settings().SetBool(L"EnableTransparentWindowGrab", true);
    Child target = StartProcess(Beside(L"capture_target.exe"), {L"pattern", L"300", L"200", L"160", L"120"});
    ASSERT_NE(nullptr, target.process);
    HWND window = nullptr;
    PumpUntil(
        [&] {
            for (HWND shown : VisibleWindowsOf(target.id)) window = shown;
            return window != nullptr;
        },
        10000);
    ASSERT_NE(nullptr, window);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));
    ASSERT_NE(nullptr, thread);
    ASSERT_NE(static_cast<DWORD>(-1), SuspendThread(thread));

    auto state = std::make_shared<CaptureState>();
    state->request = Request(false);
    state->targetWindow = window;
    state->screen.emplace(nullptr);
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread grab([state, done] {
        ScopedMemoryDC memory(CreateCompatibleDC(state->ScreenDC()));
        void* bits = nullptr;
        ScopedBitmap bitmap(CreateArgbBitmap(state->ScreenDC(), 160, 120, &bits));
        ScopedSelect selected(memory.get(), bitmap.get());
        RaiseTarget(*state);
        CopyTarget(*state, memory.get(), static_cast<std::uint8_t*>(bits), POINT{300, 200}, 160, 120);
        PutTargetBack(*state);
        *done = true;
    });
    const bool returned = PumpUntil([&] { return done->load(); }, 20000);
    ResumeThread(thread);  // lets a grab that did wait finish
    grab.join();
    CloseHandle(thread);
    TerminateProcess(target.process, 0);
    CloseHandle(target.process);
    EXPECT_TRUE(returned);
    EXPECT_TRUE(state->targetHung);
    EXPECT_FALSE(state->restoreTopmost);
    EXPECT_TRUE(Windows(L"BlankerWindow", false).empty());
}

}  // namespace
