// The main window built from the real skin: its composition, the size and
// progress layout, the commands and menus, quitting, the upload display
// cycle and a file hand-off from a second start.
#include "app/main_window.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "app/history_list.h"
#include "app/instance_handoff.h"
#include "app/main_commands.h"
#include "app/tray_icon.h"
#include "base/main_window_handle.h"
#include "base/file_io.h"
#include "base/seams.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "base/windows_version.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "gui/gui_test_support.h"
#include "history/history_views.h"
#include "resource_ids.h"
#include "support/temp_dir.h"
#include "upload/copy_url.h"
#include "upload/upload_queue.h"

namespace {

struct Prompt {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};
std::vector<Prompt> prompts;
int promptAnswer = IDYES;

int RecordPrompt(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    prompts.push_back({owner, text, caption, type});
    return promptAnswer;
}

// Paths of finished upload attempts, in order (written by the worker).
std::mutex outcomesLock;
std::vector<std::wstring> outcomes;

bool RecordOutcome(JobOutcome outcome) {
    std::lock_guard<std::mutex> hold(outcomesLock);
    outcomes.push_back(outcome.job->path);
    return outcome.success;
}

std::size_t OutcomeCount() {
    std::lock_guard<std::mutex> hold(outcomesLock);
    return outcomes.size();
}

// Pumps messages until `done` or about `millis` have passed.
template <typename Condition>
bool PumpUntil(Condition done, int millis = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Removes a posted WM_QUIT; true when there was one.
bool TakeQuit() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

struct MenuItem {
    UINT id;
    UINT type;
    std::wstring text;
    HMENU submenu;
};

std::vector<MenuItem> ItemsOf(HMENU menu) {
    std::vector<MenuItem> items;
    for (int index = 0; index < GetMenuItemCount(menu); ++index) {
        wchar_t text[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 63;
        GetMenuItemInfoW(menu, index, TRUE, &info);
        items.push_back({info.wID, info.fType, text, info.hSubMenu});
    }
    return items;
}

std::wstring MenuTitle(HMENU menu, int index) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, index, text, 64, MF_BYPOSITION);
    return text;
}

// The tag a second start puts on its WM_COPYDATA file list.
constexpr ULONG_PTR kDropHandOffTag = 0x564C5444;

// The captures the commands started (true: region, false: window grab).
std::vector<bool> captures;
bool RecordCapture(bool regionMode, bool) {
    captures.push_back(regionMode);
    return true;
}

bool created = false;
// Kept for the whole test program, like the program keeps them.
std::unique_ptr<SkinnableWindow> window;
std::unique_ptr<ScopedSeams> seams;

// The state the drop area shows or is fading to.
int DropTarget(const GUIDropArea& area) { return area.IsFading() ? area.NextState() : area.State(); }

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DefineDefaultSettings(Settings());
        // Nothing listens here, so every upload fails at once.
        Settings().SetAdvanced(L"adv_api_upload_uri", L"http://127.0.0.1:9/api/json");
        Settings().SetInt(L"LiftornHeight", 150);
        Settings().SetInt(L"PositionX", 60);
        Settings().SetInt(L"PositionY", 70);
        App().programFolder = TestProgramFolder();
        ASSERT_TRUE(LoadSkinCatalogue(App().programFolder));
        App().uploadQueue = new UploadQueue();
        App().uploadQueue->SetPaused(true);
        App().uploadQueue->SetCompletionHandler(RecordOutcome);
        Seams replaced{RecordPrompt};
        replaced.startCapture = RecordCapture;
        seams = std::make_unique<ScopedSeams>(replaced);
        created = CreateMainWindow(TestInstance(), window, kBaseDpi);
        CreateMainButtons(TestInstance());
        CreateMainPage(TestInstance());
        App().mainWindow->Show(SW_SHOWNOACTIVATE);
        PumpMessages();
    }

    void SetUp() override {
        ASSERT_TRUE(created);
        prompts.clear();
        promptAnswer = IDYES;
        App().settingsShown = false;
        Settings().SetBool(L"ShowTrayIcon", true);
        PumpMessages();
        TakeQuit();
    }

    void TearDown() override { PumpMessages(); }

    static HWND Window() { return App().mainWindow->MainWindow(); }

    static void SizeTo(int height) {
        SetWindowPos(Window(), nullptr, 0, 0, kMainWindowWidth, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

// A paused queue of the test's own in place of the program's, so the test
// decides how many jobs wait.
class SwappedQueue {
public:
    SwappedQueue() : saved_(App().uploadQueue) {
        queue_.SetPaused(true);
        queue_.SetCompletionHandler(RecordOutcome);
        App().uploadQueue = &queue_;
    }
    ~SwappedQueue() { App().uploadQueue = saved_; }
    UploadQueue& queue() { return queue_; }

private:
    UploadQueue queue_;
    UploadQueue* saved_;
};

TEST_F(MainWindowTest, IsComposedFromTheSettingsAndTheSkin) {
    AppState& app = App();
    // A stored height below the minimum is still used at creation.
    RECT actual{};
    GetWindowRect(Window(), &actual);
    EXPECT_EQ(150, actual.bottom - actual.top);
    EXPECT_EQ(kMainWindowWidth, actual.right - actual.left);
    EXPECT_EQ(60, actual.left);
    EXPECT_EQ(70, actual.top);
    wchar_t title[64] = {};
    GetWindowTextW(Window(), title, 64);
    EXPECT_STREQ(L"vantorel liftorn", title);
    EXPECT_NE(0, GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    // Later starts find the window.
    EXPECT_NE(nullptr, app.instanceMapping);
    EXPECT_EQ(Window(), FindRunningInstanceWindow());
    EXPECT_EQ(Window(), MainWindowHandle());

    // Painters: the five window buttons in order, then the upload page.
    const std::vector<GUIObject*> painters = app.mainWindow->Painters();
    ASSERT_EQ(6u, painters.size());
    EXPECT_EQ(app.hideButton, painters[0]);
    EXPECT_EQ(app.settingsButton, painters[1]);
    EXPECT_EQ(app.screenshotButton, painters[2]);
    EXPECT_EQ(app.windowGrabButton, painters[3]);
    EXPECT_EQ(app.logoButton, painters[4]);
    EXPECT_EQ(app.mainPage, painters[5]);
    EXPECT_EQ(reinterpret_cast<void*>(1), app.screenshotButton->UserData());
    EXPECT_EQ(nullptr, app.windowGrabButton->UserData());
    EXPECT_EQ(reinterpret_cast<void*>(2), app.logoButton->UserData());
    EXPECT_EQ(app.uploadQueue, app.cancelButton->UserData());
    EXPECT_TRUE(app.hideButton->IsVisible());
    EXPECT_NE(nullptr, app.hideButton->NormalImage()->Bitmap());

    // The page's children in order, with their rectangles.
    const std::vector<GUIObject*> children = app.mainPage->Children();
    ASSERT_EQ(10u, children.size());
    EXPECT_EQ(app.dropArea, children[1]);
    EXPECT_EQ(app.uploadButton, children[2]);
    EXPECT_EQ(app.cancelButton, children[3]);
    EXPECT_EQ(app.historyHeader, children[4]);
    EXPECT_EQ(app.historyList, children[5]);
    EXPECT_EQ(app.progressLeft, children[6]);
    EXPECT_EQ(app.progressCenter, children[7]);
    EXPECT_EQ(app.progressRight, children[8]);
    EXPECT_EQ(app.uploadCountText, children[9]);  // under the drop area, empty while nothing waits
    EXPECT_EQ(95, app.uploadCountText->Position().y);
    EXPECT_EQ(L"", app.uploadCountText->Text());
    auto* glow = dynamic_cast<GUIImage*>(children[0]);
    ASSERT_NE(nullptr, glow);
    EXPECT_NE(nullptr, glow->Bitmap());
    EXPECT_EQ(27, glow->Position().x);
    EXPECT_EQ(232, app.dropArea->Size().cx);
    EXPECT_EQ(90, app.historyList->ItemHeight());
    EXPECT_FALSE(app.cancelButton->IsVisible());
    EXPECT_FALSE(app.progressLeft->IsVisible());
    EXPECT_FALSE(app.progressCenter->IsVisible());
    EXPECT_FALSE(app.progressRight->IsVisible());
    EXPECT_TRUE(app.uploadButton->IsVisible());
    EXPECT_NE(0, GetWindowLongPtrW(app.uploadButton->Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(kDropNormal, app.dropArea->State());
}

TEST_F(MainWindowTest, SizingLaysOutTheLowerWidgetsAndRemembersTheHeight) {
    AppState& app = App();
    SizeTo(266);
    EXPECT_TRUE(app.historyList->IsVisible());
    EXPECT_EQ(216, app.historyList->Size().cx);
    EXPECT_EQ(33, app.historyList->Size().cy);
    EXPECT_TRUE(app.historyHeader->IsVisible());
    EXPECT_EQ(266, Settings().GetInt(L"LiftornHeight"));
    EXPECT_EQ(239, app.logoButton->Position().x);
    EXPECT_EQ(266 - 53, app.logoButton->Position().y);
    EXPECT_EQ(120, app.settingsButton->Position().x);
    EXPECT_EQ(266 - 72, app.settingsButton->Position().y);
    EXPECT_EQ(146, app.screenshotButton->Position().x);
    EXPECT_EQ(176, app.windowGrabButton->Position().x);
    EXPECT_EQ(266 - 71, app.windowGrabButton->Position().y);

    SizeTo(265);
    EXPECT_FALSE(app.historyList->IsVisible());
    EXPECT_TRUE(app.historyHeader->IsVisible());
    EXPECT_EQ(265, Settings().GetInt(L"LiftornHeight"));

    SizeTo(215);
    EXPECT_TRUE(app.historyHeader->IsVisible());
    SizeTo(214);
    EXPECT_FALSE(app.historyHeader->IsVisible());
    EXPECT_EQ(214, Settings().GetInt(L"LiftornHeight"));

    // With the settings page open only the buttons follow.
    app.settingsShown = true;
    SizeTo(400);
    EXPECT_EQ(400 - 53, app.logoButton->Position().y);
    EXPECT_FALSE(app.historyList->IsVisible());
    EXPECT_EQ(214, Settings().GetInt(L"LiftornHeight"));
    app.settingsShown = false;

    SizeTo(530);
    EXPECT_TRUE(app.historyList->IsVisible());
    EXPECT_EQ(530 - 233, app.historyList->Size().cy);
    EXPECT_EQ(530, Settings().GetInt(L"LiftornHeight"));
}

TEST_F(MainWindowTest, MovingRemembersThePosition) {
    SetWindowPos(Window(), nullptr, 80, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(80, Settings().GetInt(L"PositionX"));
    EXPECT_EQ(90, Settings().GetInt(L"PositionY"));
}

TEST_F(MainWindowTest, ProgressBarFollowsThePercentage) {
    AppState& app = App();
    for (int percent : {0, 1, 37, 50, 99, 100}) {
        ShowProgress(percent);
        const int width = percent * 119 / 100;
        EXPECT_EQ(width, app.progressCenter->Size().cx) << percent;
        EXPECT_EQ(10, app.progressCenter->Size().cy) << percent;
        EXPECT_EQ(kProgressCentreX + width, app.progressRight->Position().x) << percent;
        EXPECT_EQ(kProgressY, app.progressRight->Position().y) << percent;
        EXPECT_EQ(kProgressX, app.progressLeft->Position().x) << percent;
    }
    // No transfer yet: the bar starts empty...
    ShowProgress(-1);
    EXPECT_EQ(0, app.progressCenter->Size().cx);
    EXPECT_EQ(kProgressCentreX, app.progressRight->Position().x);

    // ...and a tick without a transfer leaves it as it is.
    ShowProgress(37);
    ASSERT_EQ(-1, app.uploadQueue->GetProgress());
    EXPECT_EQ(0, SendMessageW(Window(), WM_TIMER, kProgressTimer, 0));
    EXPECT_EQ(44, app.progressCenter->Size().cx);
    EXPECT_EQ(kProgressCentreX + 44, app.progressRight->Position().x);
    LRESULT result = 0;
    EXPECT_FALSE(OnProgressTimer(Window(), WM_TIMER, 7, 0, &result));
    EXPECT_TRUE(OnProgressTimer(Window(), WM_TIMER, kProgressTimer, 0, &result));
}

TEST_F(MainWindowTest, ScreenshotInstructionsAppearOnce) {
    Settings().SetBool(L"UnderstoodScreenshot", false);
    captures.clear();
    EXPECT_EQ(0, SendMessageW(Window(), WM_COMMAND, CMD_SCREENSHOT, 0));
    ASSERT_EQ(1u, prompts.size());
    EXPECT_EQ(Window(), prompts[0].owner);
    EXPECT_EQ(L"vantorel liftorn", prompts[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), prompts[0].type);
    EXPECT_EQ(0u, prompts[0].text.find(L"Taking a screenshot:\n\t\u2022 Select the area"));
    EXPECT_NE(std::wstring::npos, prompts[0].text.find(L"This message will only appear this one time."));
    EXPECT_TRUE(Settings().GetBool(L"UnderstoodScreenshot"));

    SendMessageW(Window(), WM_COMMAND, CMD_SCREENSHOT, 0);
    SendMessageW(Window(), WM_COMMAND, CMD_WINDOW_GRAB, 0);
    EXPECT_EQ(1u, prompts.size());
    // Each command starts its capture, after the instructions.
    EXPECT_EQ((std::vector<bool>{true, true, false}), captures);
}

TEST_F(MainWindowTest, CommandsShowHideAndQuit) {
    ASSERT_TRUE(IsWindowVisible(Window()));
    SendMessageW(Window(), WM_COMMAND, CMD_SHOW_HIDE, 0);
    EXPECT_FALSE(IsWindowVisible(Window()));
    SendMessageW(Window(), WM_COMMAND, CMD_BRING_TO_FRONT, 0);
    EXPECT_FALSE(IsWindowVisible(Window()));
    SendMessageW(Window(), WM_COMMAND, CMD_SHOW_HIDE, 0);
    EXPECT_TRUE(IsWindowVisible(Window()));
    // The tray's double click toggles too.
    SendMessageW(Window(), kTrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsWindowVisible(Window()));
    SendMessageW(Window(), kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(Window()));

    // A control notification is not a command.
    LRESULT result = 0;
    EXPECT_FALSE(OnCommand(Window(), WM_COMMAND, MAKEWPARAM(CMD_EXIT, 1), 0, &result));
    EXPECT_FALSE(TakeQuit());

    // Exit with nothing to upload quits without asking; so does closing.
    SendMessageW(Window(), WM_COMMAND, CMD_EXIT, 0);
    EXPECT_TRUE(TakeQuit());
    SendMessageW(Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(TakeQuit());
    EXPECT_TRUE(IsWindow(Window()));
    EXPECT_TRUE(prompts.empty());

    // The capture buttons post their commands.
    OnCaptureButton(reinterpret_cast<void*>(1), 0);
    OnCaptureButton(nullptr, 0);
    MSG first{}, second{};
    ASSERT_TRUE(PeekMessageW(&first, Window(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&second, Window(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(CMD_SCREENSHOT), first.wParam);
    EXPECT_EQ(static_cast<WPARAM>(CMD_WINDOW_GRAB), second.wParam);
}

TEST_F(MainWindowTest, MenusComeFromTheResources) {
    HMENU upload = LoadUploadMenu(TestInstance());
    ASSERT_NE(nullptr, upload);
    EXPECT_EQ(L"Upload", MenuTitle(upload, 0));
    const std::vector<MenuItem> uploadItems = ItemsOf(GetSubMenu(upload, 0));
    ASSERT_EQ(8u, uploadItems.size());
    const UINT uploadIds[] = {CMD_SCREENSHOT,       CMD_WINDOW_GRAB, CMD_UPLOAD_FILE,     CMD_UPLOAD_FOLDER,
                              CMD_UPLOAD_CLIPBOARD, 0,               CMD_SCREENSHOT_IN_3, CMD_SCREENSHOT_IN_10};
    const wchar_t* uploadTexts[] = {L"Upload &Screenshot",        L"Upload &Window Grab",
                                    L"Upload F&ile",              L"Upload F&older",
                                    L"Upload from &clipboard",    L"",
                                    L"Screenshot in &3 seconds", L"Screenshot in 1&0 seconds"};
    for (int index = 0; index < 8; ++index) {
        EXPECT_EQ(uploadIds[index], uploadItems[index].id);
        EXPECT_EQ(uploadTexts[index], uploadItems[index].text);
    }
    DestroyMenu(upload);

    HMENU shown = LoadTrayMenu(TestInstance(), true);
    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(L"vantorel", MenuTitle(shown, 0));
    const std::vector<MenuItem> shownItems = ItemsOf(GetSubMenu(shown, 0));
    ASSERT_EQ(7u, shownItems.size());
    EXPECT_EQ(static_cast<UINT>(CMD_BRING_TO_FRONT), shownItems[0].id);
    EXPECT_EQ(L"&Bring to front", shownItems[0].text);
    EXPECT_EQ(static_cast<UINT>(CMD_SHOW_HIDE), shownItems[1].id);
    EXPECT_EQ(L"&Hide liftorn", shownItems[1].text);
    EXPECT_NE(0u, shownItems[2].type & MFT_SEPARATOR);
    EXPECT_EQ(L"&Settings", shownItems[3].text);
    EXPECT_EQ(L"&Upload", shownItems[4].text);
    ASSERT_NE(nullptr, shownItems[4].submenu);
    EXPECT_EQ(8, GetMenuItemCount(shownItems[4].submenu));
    EXPECT_NE(0u, shownItems[5].type & MFT_SEPARATOR);
    EXPECT_EQ(static_cast<UINT>(CMD_EXIT), shownItems[6].id);
    EXPECT_EQ(L"E&xit", shownItems[6].text);
    DestroyMenu(shown);

    // A hidden window offers no "Bring to front".
    HMENU hidden = LoadTrayMenu(TestInstance(), false);
    const std::vector<MenuItem> hiddenItems = ItemsOf(GetSubMenu(hidden, 0));
    ASSERT_EQ(6u, hiddenItems.size());
    EXPECT_EQ(static_cast<UINT>(CMD_SHOW_HIDE), hiddenItems[0].id);
    EXPECT_EQ(L"S&how liftorn", hiddenItems[0].text);
    for (const MenuItem& item : hiddenItems) EXPECT_NE(static_cast<UINT>(CMD_BRING_TO_FRONT), item.id);
    DestroyMenu(hidden);
}

TEST_F(MainWindowTest, EscapeQuitsWithoutTrayIconAndAsksWhileBusy) {
    Settings().SetBool(L"ShowTrayIcon", false);
    SendMessageW(Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(TakeQuit());
    EXPECT_TRUE(prompts.empty());

    TempDir temp;
    ASSERT_TRUE(WriteBytes(temp.File("waiting.txt"), "x"));
    {
        SwappedQueue swapped;
        swapped.queue().EnqueueFile(Utf8ToWide(temp.File("waiting.txt")), nullptr);
        promptAnswer = IDNO;
        SendMessageW(Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_EQ(1u, prompts.size());
        EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING | MB_YESNO), prompts[0].type);
        EXPECT_EQ(Window(), prompts[0].owner);
        EXPECT_EQ(0u, prompts[0].text.find(L"vantorel liftorn is currently uploading, or has items in the queue.\n"));
        EXPECT_FALSE(TakeQuit());
        promptAnswer = IDYES;
        SendMessageW(Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(2u, prompts.size());
        EXPECT_TRUE(TakeQuit());
    }

    // Other keys do nothing.
    SendMessageW(Window(), WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(TakeQuit());
}

TEST_F(MainWindowTest, EscapeWithTrayIconPutsTheWindowAway) {
    const int height = Settings().GetInt(L"LiftornHeight");
    SendMessageW(Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_FALSE(TakeQuit());
    if (IsWindows7OrLater()) {
        EXPECT_TRUE(IsIconic(Window()));
    } else {
        EXPECT_FALSE(IsWindowVisible(Window()));
    }
    // Minimising is no new height.
    EXPECT_EQ(height, Settings().GetInt(L"LiftornHeight"));
    ShowWindow(Window(), SW_RESTORE);
    ShowWindow(Window(), SW_SHOWNOACTIVATE);
    PumpMessages();
    EXPECT_FALSE(IsIconic(Window()));
}

TEST_F(MainWindowTest, DropTransitionsRedirectAndPause) {
    AppState& app = App();
    TempDir temp;
    ASSERT_TRUE(WriteBytes(temp.File("a.txt"), "a"));
    const std::wstring file = Utf8ToWide(temp.File("a.txt"));
    SwappedQueue swapped;
    UploadQueue& queue = swapped.queue();

    // With nothing waiting, the error state falls back to normal.
    int current = kDropError, target = kDropNormal;
    OnDropTransition(&current, &target);
    EXPECT_EQ(kDropError, current);
    EXPECT_EQ(kDropNormal, target);

    // Leaving the upload hides the bar and pauses the queue.
    ShowProgress(0);
    for (GUIObject* image : {static_cast<GUIObject*>(app.progressLeft),
                             static_cast<GUIObject*>(app.progressCenter),
                             static_cast<GUIObject*>(app.progressRight)}) {
        image->Show(SW_SHOW);
    }
    queue.SetPaused(false);
    current = kDropUploading;
    target = kDropNormal;
    OnDropTransition(&current, &target);
    EXPECT_EQ(kDropNormal, target);
    EXPECT_FALSE(app.progressLeft->IsVisible());
    EXPECT_FALSE(app.progressCenter->IsVisible());
    EXPECT_FALSE(app.progressRight->IsVisible());
    queue.EnqueueFile(file, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(1u, queue.QueuedCount());

    // Waiting jobs turn a return to normal (also from an error) into uploading.
    current = kDropUploading;
    target = kDropNormal;
    OnDropTransition(&current, &target);
    EXPECT_EQ(kDropUploading, target);
    current = kDropError;
    target = kDropNormal;
    OnDropTransition(&current, &target);
    EXPECT_EQ(kDropUploading, target);

    // Entering the error state pauses as well.
    current = kDropNormal;
    target = kDropError;
    OnDropTransition(&current, &target);
    EXPECT_EQ(kDropError, target);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(1u, queue.QueuedCount());
}

TEST_F(MainWindowTest, DropStateChangesDriveTheQueueAndTheButtons) {
    AppState& app = App();
    TempDir temp;
    ASSERT_TRUE(WriteBytes(temp.File("b.txt"), "b"));
    SwappedQueue swapped;
    UploadQueue& queue = swapped.queue();
    queue.EnqueueFile(Utf8ToWide(temp.File("b.txt")), nullptr);
    const std::size_t before = OutcomeCount();

    // Uploading: cancel button and an empty bar appear, the queue runs.
    ShowProgress(80);
    OnDropStateChanged(kDropNormal, kDropUploading);
    EXPECT_TRUE(app.cancelButton->IsVisible());
    EXPECT_FALSE(app.uploadButton->IsVisible());
    EXPECT_TRUE(app.progressLeft->IsVisible());
    EXPECT_TRUE(app.progressCenter->IsVisible());
    EXPECT_TRUE(app.progressRight->IsVisible());
    EXPECT_EQ(0, app.progressCenter->Size().cx);
    EXPECT_TRUE(PumpUntil([&] { return OutcomeCount() > before; }));
    EXPECT_EQ(0u, queue.QueuedCount());

    // Back to normal with nothing waiting: the timer stops, the upload
    // button returns.
    OnDropStateChanged(kDropUploading, kDropNormal);
    EXPECT_TRUE(app.uploadButton->IsVisible());
    EXPECT_FALSE(KillTimer(Window(), kProgressTimer));

    OnDropStateChanged(kDropNormal, kDropError);
    EXPECT_FALSE(app.uploadButton->IsVisible());
    OnDropStateChanged(kDropError, kDropNormal);
    EXPECT_TRUE(app.uploadButton->IsVisible());

    // The timer runs while uploading.
    queue.SetPaused(true);
    OnDropStateChanged(kDropNormal, kDropUploading);
    queue.SetPaused(true);
    EXPECT_TRUE(KillTimer(Window(), kProgressTimer));

    // Normal with jobs waiting goes straight back to uploading.
    queue.EnqueueFile(Utf8ToWide(temp.File("b.txt")), nullptr);
    OnDropStateChanged(kDropUploading, kDropNormal);
    EXPECT_EQ(kDropUploading, DropTarget(*app.dropArea));
    EXPECT_FALSE(app.uploadButton->IsVisible());
    // Let the drop area finish its fades on the test's paused queue, then
    // settle back to normal once the job has gone.
    PumpUntil([&] { return !app.dropArea->IsFading(); }, 3000);
    queue.SetPaused(false);
    EXPECT_TRUE(PumpUntil([&] { return queue.QueuedCount() == 0 && !queue.IsBusy(); }));
    app.dropArea->SetState(kDropNormal);
    EXPECT_TRUE(PumpUntil([&] { return !app.dropArea->IsFading(); }, 3000));
    EXPECT_EQ(kDropNormal, app.dropArea->State());
    EXPECT_TRUE(app.uploadButton->IsVisible());
    EXPECT_FALSE(app.progressCenter->IsVisible());
    app.cancelButton->Show(SW_HIDE);
}

TEST_F(MainWindowTest, ChosenFilesAreEnqueuedInDialogOrder) {
    AppState& app = App();
    SwappedQueue swapped;
    // One file: the buffer is exactly its path.
    const wchar_t single[] = L"C:\\x\\one.txt\0";
    EnqueueChosenFiles(single, 5);
    EXPECT_EQ(1u, swapped.queue().QueuedCount());
    // Several: the folder, then the names.
    const wchar_t several[] = L"C:\\x\0a.txt\0b.txt\0c.txt\0";
    EnqueueChosenFiles(several, 5);
    EXPECT_EQ(4u, swapped.queue().QueuedCount());
    EXPECT_EQ(kDropUploading, DropTarget(*app.dropArea));

    // Without a queue nothing happens.
    app.uploadQueue = nullptr;
    EnqueueDroppedFile(L"C:\\x\\one.txt", nullptr);
    EnqueueDroppedFolder(L"C:\\x");
    app.uploadQueue = &swapped.queue();
    EXPECT_EQ(4u, swapped.queue().QueuedCount());

    // Let the fade end (it releases this queue, whose jobs then fail) and
    // stop the progress timer; the next test returns the display to normal.
    PumpUntil([&] { return !app.dropArea->IsFading(); }, 3000);
    KillTimer(Window(), kProgressTimer);
}

TEST_F(MainWindowTest, HistoryEntriesFromTheWorkerJoinTheListOnTheMainThread) {
    GUIScrollArea& list = *App().historyList;
    list.SetViewSource(std::make_unique<HistoryViews>(TestInstance(), App().dataFolder, nullptr, nullptr));
    const auto row = std::make_shared<const HistoryRow>(
        MakeHistoryRow(7, "http://127.0.0.1/x.png", "x.png", "2026-01-01 10:00:00", "missing.png", ""));
    auto entries = [&] { return list.Items().size() + list.PendingInsertCount(); };
    const std::size_t before = entries();
    DWORD ranOn = 0;
    std::thread worker([&] {
        PostToWindowThread(MainWindowHandle(), [&] {
            ranOn = GetCurrentThreadId();
            AddToHistoryList(row);
        });
    });
    worker.join();
    EXPECT_EQ(before, entries());  // nothing ran on the worker
    PumpMessages();
    EXPECT_EQ(GetCurrentThreadId(), ranOn);
    EXPECT_EQ(before + 1, entries());
    for (int i = 0; i < 50 && list.IsAnimating(); ++i) {
        SendMessageW(list.ThumbWindow(), WM_TIMER, GUIScrollArea::kAnimationTimer, 0);
    }
    EXPECT_NE(nullptr, list.RemoveItem(row.get(), false));
    list.SetViewSource(nullptr);
}

TEST_F(MainWindowTest, TrayIconRecordIsFilledEvenWhenSwitchedOff) {
    Settings().SetBool(L"ShowTrayIcon", false);
    CreateTrayIcon(TestInstance());
    const NOTIFYICONDATAW& icon = App().trayIcon;
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), icon.cbSize);
    EXPECT_EQ(Window(), icon.hWnd);
    EXPECT_EQ(1u, icon.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), icon.uFlags);
    EXPECT_EQ(0x402u, icon.uCallbackMessage);
    EXPECT_NE(nullptr, icon.hIcon);
    EXPECT_STREQ(L"vantorel liftorn", icon.szTip);
}

TEST_F(MainWindowTest, TheEndOfTheSessionSavesTheSettings) {
    TempDir temp;
    const std::string saved = App().dataFolder;
    App().dataFolder = temp.path() + "\\";
    const std::wstring file = Utf8ToWide(App().dataFolder + "vantorel.conf");
    Settings().SetInt(L"PositionX", 321);

    // Asked whether it may end: nothing is written yet.
    SendMessageW(Window(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(Window(), WM_ENDSESSION, FALSE, 0);  // another program refused
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));

    EXPECT_EQ(0, SendMessageW(Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));
    std::string text;
    ASSERT_TRUE(ReadWholeFile(WideToUtf8(file), text));
    EXPECT_NE(std::string::npos, text.find("positionx 321\r\n"));
    // Saved whole and in place: no temporary file left beside it.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((file + L".new").c_str()));
    App().dataFolder = saved;
}

// Records the foreground window while a menu is up, then closes the menu.
HWND foregroundDuringMenu = nullptr;
void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    foregroundDuringMenu = GetForegroundWindow();
    EndMenu();
}

TEST_F(MainWindowTest, TrayMenuComesUpWithTheWindowInFront) {
    foregroundDuringMenu = nullptr;
    SetForegroundWindow(GetDesktopWindow());
    SetTimer(nullptr, 0, 200, CloseMenuSoon);
    SendMessageW(Window(), kTrayCallbackMessage, 1, WM_RBUTTONUP);  // returns once the menu is closed
    EXPECT_EQ(Window(), foregroundDuringMenu);
}

TEST_F(MainWindowTest, SecondStartHandsItsFilesToTheDropArea) {
    AppState& app = App();
    TempDir temp;
    std::vector<std::wstring> paths;
    for (const char* name : {"first.txt", "second.txt", "third.txt"}) {
        ASSERT_TRUE(WriteBytes(temp.File(name), name));
        paths.push_back(Utf8ToWide(temp.File(name)));
    }
    // Settle whatever an earlier test left.
    app.dropArea->SetState(kDropNormal);
    PumpUntil([&] { return !app.dropArea->IsFading(); }, 3000);
    {
        std::lock_guard<std::mutex> hold(outcomesLock);
        outcomes.clear();
    }

    HGLOBAL block = BuildDropBlock(paths);
    ASSERT_NE(nullptr, block);
    COPYDATASTRUCT data{};
    data.dwData = kDropHandOffTag;
    data.cbData = static_cast<DWORD>(GlobalSize(block));
    data.lpData = GlobalLock(block);
    EXPECT_EQ(TRUE, SendMessageW(Window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    GlobalUnlock(block);
    GlobalFree(block);

    // Some other WM_COPYDATA is not ours.
    COPYDATASTRUCT other{};
    other.dwData = 1;
    EXPECT_EQ(0, SendMessageW(Window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&other)));

    ASSERT_TRUE(PumpUntil([&] { return OutcomeCount() >= 3; }));
    {
        std::lock_guard<std::mutex> hold(outcomesLock);
        EXPECT_EQ(paths, outcomes);
    }
    EXPECT_EQ(kDropUploading, app.dropArea->State());
    EXPECT_TRUE(app.cancelButton->IsVisible());

    // The completion would now return the display to normal.
    app.dropArea->SetState(kDropNormal);
    EXPECT_TRUE(PumpUntil([&] { return !app.dropArea->IsFading(); }, 3000));
    EXPECT_EQ(kDropNormal, app.dropArea->State());
    EXPECT_TRUE(app.uploadButton->IsVisible());
    EXPECT_FALSE(KillTimer(Window(), kProgressTimer));
}

}  // namespace
