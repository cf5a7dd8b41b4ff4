// The one road from other threads to a window's thread.
#include "base/window_task.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WindowTaskMessage()) {
        RunPostedTask(window, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window of this thread that accepts tasks.
HWND MakeTaskWindow() {
    static const ATOM registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = TaskWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"WindowTaskTest";
        return RegisterClassW(&windowClass);
    }();
    EXPECT_NE(0, registered);
    return CreateWindowExW(0, L"WindowTaskTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

TEST(WindowTask, WorkFromOtherThreadsRunsOnTheWindowsThreadInOrder) {
    HWND window = MakeTaskWindow();
    ASSERT_NE(nullptr, window);
    std::vector<int> ran;
    std::vector<DWORD> threads;
    std::thread poster([&] {
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(PostToWindowThread(window, [&, i] {
                ran.push_back(i);
                threads.push_back(GetCurrentThreadId());
            }));
        }
    });
    poster.join();
    EXPECT_TRUE(ran.empty());  // nothing runs before the window's thread takes its messages
    Pump();
    EXPECT_EQ((std::vector<int>{0, 1, 2}), ran);
    for (DWORD thread : threads) EXPECT_EQ(GetCurrentThreadId(), thread);

    // Posting to oneself still waits for the message loop.
    bool later = false;
    ASSERT_TRUE(PostToWindowThread(window, [&] { later = true; }));
    EXPECT_FALSE(later);
    Pump();
    EXPECT_TRUE(later);
    DestroyWindow(window);
}

TEST(WindowTask, TasksThatCannotRunAreFreedUnrun) {
    // What a task holds is released whether or not it runs.
    auto held = std::make_shared<int>(0);
    EXPECT_FALSE(PostToWindowThread(nullptr, [held] { ++*held; }));
    HWND gone = MakeTaskWindow();
    DestroyWindow(gone);
    EXPECT_FALSE(PostToWindowThread(gone, [held] { ++*held; }));
    EXPECT_FALSE(PostToWindowThread(MakeTaskWindow(), WindowTask()));
    EXPECT_EQ(1, held.use_count());

    // Queued for a window that is being torn down: discarded, not run.
    HWND window = MakeTaskWindow();
    ASSERT_TRUE(PostToWindowThread(window, [held] { ++*held; }));
    ASSERT_TRUE(PostToWindowThread(window, [held] { ++*held; }));
    EXPECT_EQ(3, held.use_count());
    DiscardPostedTasks(window);
    EXPECT_EQ(1, held.use_count());
    DestroyWindow(window);
    Pump();
    EXPECT_EQ(0, *held);
    EXPECT_EQ(0u, PendingWindowTasks());
}

// A task is known by its key and runs only in the window it was posted to,
// once. (What other processes post: tests/app/foreign_messages_test.cpp.)
TEST(WindowTask, AKeyRunsItsTaskOnlyInItsOwnWindowAndOnce) {
    HWND window = MakeTaskWindow();
    HWND other = MakeTaskWindow();
    ASSERT_NE(nullptr, window);
    // A key of this process's own reaching another window runs nothing there,
    // and is still good for its own window.
    bool mine = false;
    ASSERT_TRUE(PostToWindowThread(window, [&] { mine = true; }));
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, window, WindowTaskMessage(), WindowTaskMessage(), PM_REMOVE));
    EXPECT_FALSE(RunPostedTask(other, message.wParam, message.lParam));
    EXPECT_FALSE(mine);
    EXPECT_TRUE(RunPostedTask(window, message.wParam, message.lParam));
    EXPECT_TRUE(mine);
    EXPECT_FALSE(RunPostedTask(window, message.wParam, message.lParam));  // once only
    DestroyWindow(other);
    DestroyWindow(window);
}

}  // namespace
