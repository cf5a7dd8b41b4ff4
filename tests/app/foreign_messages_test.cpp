// Every window of the program that takes posted work, with the work message
// posted by another process: a made-up value (among them the address of a
// live task in this process) runs nothing and crashes nothing, and work this
// process posts still runs there.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/window_task.h"
#include "capture/capture_prompt.h"
#include "capture/capture_state.h"
#include "capture/capture_test_support.h"
#include "gui/gui_test_support.h"
#include "gui/skinnable_window.h"
#include "shell/toast.h"
#include "support/process.h"
#include "updater/updater_window.h"

namespace {

struct Receiver {
    const char* name;
    HWND window;
};

// A visible toast window (not its click-through outer window), waited for.
HWND WaitForToast() {
    HWND found = nullptr;
    PumpUntil(
        [&] {
            EnumWindows(
                [](HWND window, LPARAM data) -> BOOL {
                    wchar_t title[16] = {};
                    GetWindowTextW(window, title, 16);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner == GetCurrentProcessId() && std::wstring(title) == L"toast" &&
                        !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) {
                        *reinterpret_cast<HWND*>(data) = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&found));
            return found != nullptr;
        },
        10000);
    return found;
}

class ForeignMessages : public CaptureTest {};

TEST_F(ForeignMessages, NoWindowRunsWhatAnotherProcessPosts) {
    ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
    SkinnableWindow mainWindow(TestInstance(), 300, 200, 1, L"vantorel liftorn", WS_POPUP, 0);
    CapturePrompt prompt(TestInstance(), L"vantorel liftorn", L"Enter capture filename:", L"capture.png");
    CaptureState overlay;
    ASSERT_TRUE(OpenOverlay(overlay));
    UpdaterWindow updater;
    ASSERT_TRUE(updater.Create(TestInstance()));
    // The toast goes by itself after a few seconds: it comes first.
    ShowToast(TestInstance(), true, L"file.png", nullptr, nullptr);
    const std::vector<Receiver> receivers = {
        {"toast", WaitForToast()},     {"main window", mainWindow.MainWindow()},
        {"overlay", overlay.overlay},  {"prompt", prompt.Window()->MainWindow()},
        {"updater", updater.Handle()},
    };

    std::atomic<int> ran{0};
    // A task object as a message that carried a pointer would have named it.
    auto* canary = new WindowTask([&ran] { ++ran; });
    const LPARAM address = reinterpret_cast<LPARAM>(canary);
    for (const Receiver& receiver : receivers) {
        SCOPED_TRACE(receiver.name);
        ASSERT_NE(nullptr, receiver.window);
        EXPECT_EQ(0, FromAnotherProcess(false, receiver.window, L"Korvane.WindowTask",
                                        {{0, address}, {1, 1}, {0xdeadbeef, 0x7fffffff}, {~WPARAM(0), -1}}));
        PumpUntil([] { return false; }, 200);  // a toast runs its own loop meanwhile
        EXPECT_EQ(0, ran.load());
        // Work of this process's own still arrives (the overlay takes none).
        if (receiver.window == overlay.overlay) continue;
        ASSERT_TRUE(PostToWindowThread(receiver.window, [&ran] { ++ran; }));
        EXPECT_TRUE(PumpUntil([&] { return ran.load() == 1; }, 5000));
        ran = 0;
    }
    delete canary;
    CloseOverlay(overlay);
    updater.Finish();
    PumpMessages();
    WaitForToastThreads();
}

}  // namespace
