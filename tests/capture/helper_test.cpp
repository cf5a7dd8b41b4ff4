// The window-grab helper across processes: vlt-helper.exe raises a window
// of a third process to topmost and back, leaves when told or when there is
// nothing to undo, and obeys no process but the one that started it; the
// caller gives up on a helper whose window never comes.
#include "capture/helper_client.h"

#include <gtest/gtest.h>

#include "support/process.h"

namespace {

bool IsTopmost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The first top-level window of process `id`, waited for.
HWND WindowOf(DWORD id) {
    HWND found = nullptr;
    PumpUntil(
        [&] {
            struct Search {
                DWORD id;
                HWND found;
            } search{id, nullptr};
            EnumWindows(
                [](HWND window, LPARAM data) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(data);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner == s->id && IsWindowVisible(window)) {
                        s->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            found = search.found;
            return found != nullptr;
        },
        10000);
    return found;
}

class HelperTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH"; }
    void TearDown() override {
        for (HANDLE process : children) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
    HWND StartTarget(std::vector<std::wstring> arguments) {
        Child child = StartProcess(BesideLiftorn(L"capture_target.exe"), arguments);
        if (!child.process) return nullptr;
        children.push_back(child.process);
        return WindowOf(child.id);
    }
    std::vector<HANDLE> children;
};

TEST_F(HelperTest, RaisesAWindowOfAnotherProcessAndPutsItBack) {
    HWND target = StartTarget({L"pattern", L"40", L"40", L"120", L"80"});
    ASSERT_NE(nullptr, target);
    ASSERT_FALSE(IsTopmost(target));

    HelperSession session;
    ASSERT_TRUE(StartHelper(BesideLiftorn(L"vlt-helper.exe"), session));
    ASSERT_NE(nullptr, session.window);
    DWORD helperId = 0;
    GetWindowThreadProcessId(session.window, &helperId);
    EXPECT_EQ(GetProcessId(session.process.get()), helperId);

    RaiseWithHelper(session, target);
    EXPECT_TRUE(session.raised);
    EXPECT_TRUE(IsTopmost(target));  // done before the reply
    UndoWithHelper(session, target);
    EXPECT_TRUE(PumpUntil([&] { return !IsTopmost(target); }, 5000));
    // The close follows the undo: the helper ends.
    EXPECT_EQ(0, WaitForExit(session.process.get(), 5000));
}

TEST_F(HelperTest, NothingToUndoForAWindowAlreadyTopmost) {
    HWND target = StartTarget({L"pattern", L"40", L"40", L"120", L"80", L"topmost"});
    ASSERT_NE(nullptr, target);
    ASSERT_TRUE(IsTopmost(target));
    HelperSession session;
    ASSERT_TRUE(StartHelper(BesideLiftorn(L"vlt-helper.exe"), session));
    RaiseWithHelper(session, target);
    EXPECT_FALSE(session.raised);
    UndoWithHelper(session, target);  // nothing is posted
    EXPECT_TRUE(IsTopmost(target));
    // It leaves by itself after replying.
    EXPECT_EQ(0, WaitForExit(session.process.get(), 5000));
}

TEST_F(HelperTest, ObeysOnlyTheProcessThatStartedIt) {
    HWND target = StartTarget({L"pattern", L"40", L"40", L"120", L"80"});
    ASSERT_NE(nullptr, target);
    HelperSession session;
    ASSERT_TRUE(StartHelper(BesideLiftorn(L"vlt-helper.exe"), session));
    const WPARAM targetNumber = reinterpret_cast<WPARAM>(target);

    // Another process asks for the raise, and then for the close.
    EXPECT_EQ(0, FromAnotherProcess(true, session.window, L"VLT_HelperMessage", {{targetNumber, 1}}));
    EXPECT_FALSE(IsTopmost(target));
    EXPECT_EQ(0, FromAnotherProcess(false, session.window, L"16", {{0, 0}}));  // WM_CLOSE
    EXPECT_EQ(-1, WaitForExit(session.process.get(), 500));

    // The starter is still served; another process cannot undo its raise.
    RaiseWithHelper(session, target);
    EXPECT_TRUE(session.raised);
    EXPECT_TRUE(IsTopmost(target));
    EXPECT_EQ(0, FromAnotherProcess(false, session.window, L"VLT_HelperMessage", {{targetNumber, 2}}));
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(IsTopmost(target));
    UndoWithHelper(session, target);
    EXPECT_TRUE(PumpUntil([&] { return !IsTopmost(target); }, 5000));
    EXPECT_EQ(0, WaitForExit(session.process.get(), 5000));

    // Started by anyone without the mailbox, it ends at once.
    for (const std::vector<std::wstring>& arguments :
         {std::vector<std::wstring>{}, {L"/mailbox", L"4", L"/starter", L"8"}}) {
        Child stray = StartProcess(BesideLiftorn(L"vlt-helper.exe"), arguments);
        ASSERT_NE(nullptr, stray.process);
        children.push_back(stray.process);
        EXPECT_EQ(2, WaitForExit(stray.process, 5000));
    }
}

TEST_F(HelperTest, TheWaitGivesUpOnAMissingHelper) {
    HelperSession missing;
    EXPECT_FALSE(StartHelper(BesideLiftorn(L"no-such-helper.exe"), missing));
    EXPECT_EQ(nullptr, missing.window);

    // A program that starts but never shows the window: the wait ends at
    // its bound, with the program still running.
    HelperSession silent;
    EXPECT_FALSE(StartHelper(BesideLiftorn(L"capture_target.exe"), silent, 1500));
    EXPECT_EQ(nullptr, silent.window);
    ASSERT_TRUE(silent.process);
    EXPECT_EQ(-1, WaitForExit(silent.process.get(), 0));
    TerminateProcess(silent.process.get(), 0);
}

}  // namespace
