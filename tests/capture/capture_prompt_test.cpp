// The capture prompt: the name check and its three messages,
// Enter and Escape in the edit box, the command toggle only when a
// post-capture command is set; and the post-capture command itself, run
// with "%1" replaced and waited for.
#include "capture/capture_prompt.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/display_scale.h"
#include "base/scoped_win.h"
#include "base/seams.h"
#include "base/utf.h"
#include "capture/capture_countdown.h"
#include "capture/capture_test_support.h"
#include "capture/post_capture_command.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/gui_test_support.h"
#include "gui/gui_text.h"
#include "gui/gui_toggle.h"
#include "gui/skinnable_window.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

class PromptTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        Settings().SetAdvanced(L"adv_screenshot_cmd", L"");
        Settings().SetBool(L"RunCommandAfterScreenshot", true);
    }
    std::unique_ptr<CapturePrompt> Make() {
        auto prompt = std::make_unique<CapturePrompt>(GetModuleHandleW(nullptr), L"vantorel liftorn",
                                                      L"Enter capture filename:", L"capture.png");
        prompt->SetValidator(ValidateCaptureFileName);
        return prompt;
    }
    // Whether ending the dialog was asked for (a quit message waits).
    static bool EndRequested() {
        MSG message;
        return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
    // Types `keys` into the edit box from another thread once the dialog
    // shows, as characters arriving while its loop runs.
    static std::thread TypeLater(HWND dialog, HWND edit, std::wstring keys) {
        return std::thread([dialog, edit, keys] {
            for (int i = 0; i < 500 && !IsWindowVisible(dialog); ++i) Sleep(10);
            for (wchar_t key : keys) PostMessageW(edit, WM_CHAR, key, 0);
        });
    }
};

TEST_F(PromptTest, TheNameCheckKeepsTheDialogOpenWithItsMessage) {
    auto prompt = Make();
    EXPECT_EQ(nullptr, prompt->RunCommandToggle());  // no command configured
    struct Case {
        const wchar_t* name;
        const wchar_t* message;  // null: accepted
    } cases[] = {
        {L"a/b.png", L"Files cannot contain any of: \\ / : * ? \" < > |"},
        {L"shot", L"No extension given."},
        {L"shot.tiff", L"Valid extensions: png, jpg and gif."},
        {L"CON.png", L"Windows cannot use this name for a file."},
        {L"a\x01b.png", L"Windows cannot use this name for a file."},
        {L"shot.PNG", nullptr},
        {L".png", nullptr},
    };
    for (const Case& c : cases) {
        prompt->NameEdit()->SetText(c.name);
        prompt->ErrorText()->SetText(L"");
        prompt->Accept();
        EXPECT_EQ(c.message == nullptr, EndRequested()) << c.name;
        EXPECT_EQ(c.message ? c.message : L"", prompt->ErrorText()->Text()) << c.name;
    }
    prompt->Cancel();
    EXPECT_TRUE(EndRequested());
}

LayoutBox BoxOf(const GUIObject& widget) {
    return LayoutBox{widget.Position().x, widget.Position().y, widget.Size().cx, widget.Size().cy};
}

// Where the main window stands on a monitor at 150 %, the prompt is drawn at
// that scale: its size, its boxes and the buttons' pictures of the 150 % set.
TEST_F(PromptTest, IsDrawnAtTheScaleOfTheMonitorItOpensOn) {
    Seams seams = CurrentSeams();
    seams.monitorDpi = [](const RECT& area) { return area.left >= 500 ? 144 : 96; };
    ScopedSeams scoped(seams);
    const int oldX = Settings().GetInt(L"PositionX"), oldY = Settings().GetInt(L"PositionY");
    Settings().SetInt(L"PositionX", 600);
    Settings().SetInt(L"PositionY", 40);
    auto prompt = Make();
    SkinnableWindow& window = *prompt->Window();
    EXPECT_EQ(144, window.Dpi());
    RECT rect{};
    GetWindowRect(window.MainWindow(), &rect);
    EXPECT_EQ(600, rect.left);
    EXPECT_EQ(474, rect.right - rect.left);   // 316
    EXPECT_EQ(263, rect.bottom - rect.top);   // 175
    EXPECT_EQ((LayoutBox{242, 161, 84, 30}), BoxOf(*prompt->OkButton()));      // 161, 107, 56, 20
    EXPECT_EQ((LayoutBox{338, 161, 84, 30}), BoxOf(*prompt->CancelButton()));  // 225, 107
    EXPECT_EQ(53, prompt->NameEdit()->Position().x);                           // 35
    EXPECT_EQ(369, prompt->NameEdit()->Size().cx);                             // 246
    EXPECT_EQ(26, prompt->NameEdit()->Size().cy);                              // 17
    window.Show(SW_SHOWNOACTIVATE);
    window.Relayout(nullptr);
    window.PaintNow();
    const PictureMatch ok = MatchPicture(window, "BTN_OK", 144, prompt->OkButton()->Position());
    EXPECT_EQ(84, ok.size.cx);
    EXPECT_GT(ok.opaque, 500);
    EXPECT_EQ(ok.opaque, ok.same);

    // On the 100 % monitor it is as it always was.
    Settings().SetInt(L"PositionX", 40);
    auto plain = Make();
    EXPECT_EQ(96, plain->Window()->Dpi());
    EXPECT_EQ((LayoutBox{161, 107, 56, 20}), BoxOf(*plain->OkButton()));
    prompt->Cancel();
    plain->Cancel();
    EndRequested();
    Settings().SetInt(L"PositionX", oldX);
    Settings().SetInt(L"PositionY", oldY);
}

// The delayed capture's countdown on a monitor at 150 %: the card and its
// texts at the scale, in the work area's corner.
TEST_F(PromptTest, TheCountdownIsDrawnAtTheScaleOfItsMonitor) {
    Seams seams = CurrentSeams();
    seams.monitorDpi = [](const RECT&) { return 144; };
    ScopedSeams scoped(seams);
    using OwnedWindow = scoped_detail::Owner<HWND, scoped_detail::NullIsNoneTraits<HWND, DestroyWindow>>;
    OwnedWindow owner(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    CountdownRequest request;
    request.owner = owner.get();
    request.seconds = 30;
    ASSERT_TRUE(StartCountdown(request));
    SkinnableWindow* window = FindSkinnableWindow(CountdownWindow());
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(144, window->Dpi());
    RECT rect{}, area{};
    GetWindowRect(window->MainWindow(), &rect);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(330, rect.right - rect.left);  // 220
    EXPECT_EQ(120, rect.bottom - rect.top);  // 80
    EXPECT_EQ(area.right - 9, rect.right);   // 6 from the corner
    EXPECT_EQ(area.bottom - 9, rect.bottom);
    const std::vector<GUIObject*> texts = window->Painters();
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(36, texts[0]->Position().x);  // 24, 20
    EXPECT_EQ(30, texts[0]->Position().y);
    EXPECT_EQ((LayoutBox{240, 21, 75, 66}), BoxOf(*texts[2]));  // the number: 160, 14, 50, 44
    CancelCountdown();
}

TEST_F(PromptTest, EnterInTheEditBoxAcceptsAndEscapeCancels) {
    {
        auto prompt = Make();
        // The proposed name is selected, so typing replaces it.
        std::thread typist =
            TypeLater(prompt->Window()->MainWindow(), prompt->NameEdit()->Window(), L"shot\rbad\b\b\b.jpg\r");
        EXPECT_TRUE(prompt->Run());
        typist.join();
        // The first Enter met "No extension given." and the dialog stayed.
        EXPECT_EQ(L"shot.jpg", prompt->GetText());
    }
    {
        auto prompt = Make();
        std::thread typist =
            TypeLater(prompt->Window()->MainWindow(), prompt->NameEdit()->Window(), L"x\x1B");
        EXPECT_FALSE(prompt->Run());
        typist.join();
    }
    PumpMessages();
}

TEST_F(PromptTest, TheCommandToggleShowsOnlyWithACommandAndStoresItsState) {
    Settings().SetAdvanced(L"adv_screenshot_cmd", L"notepad.exe");
    Settings().SetBool(L"RunCommandAfterScreenshot", false);
    auto prompt = Make();
    GUIToggle* toggle = prompt->RunCommandToggle();
    ASSERT_NE(nullptr, toggle);
    EXPECT_EQ(L"Run adv_cmd", toggle->Label()->Text());
    EXPECT_FALSE(toggle->IsSelected());
    EXPECT_EQ(35, toggle->Position().x);
    EXPECT_EQ(111, toggle->Position().y);
    SendMessageW(toggle->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(toggle->Window(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(toggle->IsSelected());
    EXPECT_TRUE(Settings().GetBool(L"RunCommandAfterScreenshot"));
}

class CommandTest : public PromptTest {
protected:
    std::wstring Recorder() {
        std::wstring path = LiftornPath();
        return path.substr(0, path.find_last_of(L"\\/") + 1) + L"capture_target.exe";
    }
    std::string Record() { return ReadBytes(temp.File("record.txt")); }
    std::wstring RecordPath() { return Utf8ToWide(temp.File("record.txt")); }
    TempDir temp;
};

// The lines after "start": the arguments, then "done" once it has finished.
std::string ArgumentsOf(const std::string& record) {
    std::string lines = record.substr(record.find('\n') + 1);
    const size_t done = lines.find("done ");
    return done == std::string::npos ? lines : lines.substr(0, done) + "done";
}

TEST_F(CommandTest, RunsWithTheFirstPercentOneReplacedAndIsWaitedFor) {
    ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
    Settings().SetAdvanced(L"adv_screenshot_cmd", Recorder());
    Settings().SetAdvanced(L"adv_screenshot_cmd_args", L"record " + RecordPath() + L" -i %1 -o %1");
    ASSERT_EQ(CommandRun::kFinished, RunPostCaptureCommand(L"C:\\my data\\shot - one.png"));
    // Quoted: a path with spaces and dashes arrives as one argument.
    EXPECT_EQ("-i\nC:\\my data\\shot - one.png\n-o\n%1\ndone", ArgumentsOf(Record()));

    Settings().SetAdvanced(L"adv_screenshot_cmd_args", L"record " + RecordPath() + L" --quiet");
    ASSERT_EQ(CommandRun::kFinished, RunPostCaptureCommand(L"C:\\data\\shot.png"));
    EXPECT_EQ("--quiet\ndone", ArgumentsOf(Record()));
}

TEST_F(CommandTest, NothingRunsWhenSwitchedOffOrNotSet) {
    Settings().SetAdvanced(L"adv_screenshot_cmd", Recorder());
    Settings().SetAdvanced(L"adv_screenshot_cmd_args", L"record " + RecordPath());
    Settings().SetBool(L"RunCommandAfterScreenshot", false);
    EXPECT_EQ(CommandRun::kNotRun, RunPostCaptureCommand(L"C:\\shot.png"));
    Settings().SetBool(L"RunCommandAfterScreenshot", true);
    Settings().SetAdvanced(L"adv_screenshot_cmd", L"");
    EXPECT_EQ(CommandRun::kNotRun, RunPostCaptureCommand(L"C:\\shot.png"));
    Sleep(200);
    EXPECT_FALSE(FileExists(temp.File("record.txt")));
}

}  // namespace
