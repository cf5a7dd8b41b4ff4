// A second start of the real program against a running instance played by
// this test: it owns the instance mutex and publishes a window of its own.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/instance_handoff.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

struct Received {
    std::vector<std::vector<std::wstring>> drops;
    std::vector<WPARAM> commands;
    std::vector<WPARAM> sysCommands;
};
Received received;

LRESULT CALLBACK InstanceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DROPFILES: {
        auto drop = reinterpret_cast<HDROP>(wParam);
        std::vector<std::wstring> names;
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            wchar_t name[MAX_PATH] = {};
            DragQueryFileW(drop, i, name, MAX_PATH);
            names.push_back(name);
        }
        DragFinish(drop);
        received.drops.push_back(names);
        return 0;
    }
    case WM_COPYDATA:
        if (ReceiveDropHandOff(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam))) return TRUE;
        break;
    case WM_COMMAND:
        received.commands.push_back(wParam);
        return 0;
    case WM_SYSCOMMAND:
        received.sysCommands.push_back(wParam & 0xFFF0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class RunningInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
        received = Received{};
        mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
        ASSERT_NE(ERROR_ALREADY_EXISTS, GetLastError()) << "an instance is already running";
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = InstanceProc;
        windowClass.lpszClassName = L"liftorn handoff test";
        RegisterClassW(&windowClass);
        window = CreateWindowW(windowClass.lpszClassName, L"instance", WS_OVERLAPPEDWINDOW, 10, 10,
                               200, 100, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOW);
    }
    void TearDown() override {
        if (mapping) CloseHandle(mapping);
        DestroyWindow(window);
        CloseHandle(mutex);
    }
    void Publish() { mapping = PublishMainWindow(window); }

    // Runs a second start to its end while this thread keeps its window
    // answering, then lets posted messages arrive.
    long SecondStart(const std::vector<std::wstring>& arguments) {
        Child child = StartProcess(LiftornPath(), arguments, {{L"APPDATA", ToWide(appData.path())}});
        EXPECT_NE(nullptr, child.process);
        if (!child.process) return -2;
        PumpUntil([&] { return WaitForSingleObject(child.process, 0) == WAIT_OBJECT_0; }, 30000);
        const long code = WaitForExit(child.process, 0);
        CloseHandle(child.process);
        PumpUntil([] { return false; }, 200);
        return code;
    }

    TempDir appData;
    HANDLE mutex = nullptr;
    HANDLE mapping = nullptr;
    HWND window = nullptr;
};

TEST_F(RunningInstance, FilesOfASecondStartArriveInOrderAsOneDrop) {
    Publish();
    EXPECT_EQ(0, SecondStart({L"C:\\one.txt", L"C:\\two words.png", L"C:\\\u00e9t\u00e9.jpg"}));
    ASSERT_EQ(1u, received.drops.size());
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\one.txt", L"C:\\two words.png",
                                          L"C:\\\u00e9t\u00e9.jpg"}),
              received.drops[0]);
    EXPECT_TRUE(received.commands.empty());
    // No data folder is made by a start that only hands over.
    EXPECT_FALSE(FileExists(appData.File("vantorel liftorn")));
}

TEST_F(RunningInstance, UploadSwitchesBecomeCommands) {
    Publish();
    EXPECT_EQ(0, SecondStart({L"/file"}));
    EXPECT_EQ(0, SecondStart({L"/screenshot"}));
    EXPECT_EQ(0, SecondStart({L"/windowgrab"}));
    EXPECT_EQ(0, SecondStart({L"/folder"}));
    EXPECT_EQ((std::vector<WPARAM>{304, 302, 303, 305}), received.commands);
    EXPECT_TRUE(received.drops.empty());
}

TEST_F(RunningInstance, AMisspelledSwitchIsHandedOverAsAFileName) {
    Publish();
    EXPECT_EQ(0, SecondStart({L"/Screenshot"}));
    ASSERT_EQ(1u, received.drops.size());
    EXPECT_EQ(std::vector<std::wstring>{L"/Screenshot"}, received.drops[0]);
    EXPECT_TRUE(received.commands.empty());
}

TEST_F(RunningInstance, RemoveDeletesTheFileBeforeHandingOverTheRest) {
    Publish();
    TempDir dir;
    const std::string capture = dir.File("capture.png");
    WriteBytes(capture, "png");
    EXPECT_EQ(0, SecondStart({L"/remove", ToWide(capture)}));
    EXPECT_FALSE(FileExists(capture));
    EXPECT_TRUE(received.drops.empty());
}

TEST_F(RunningInstance, AMinimisedInstanceIsRestored) {
    Publish();
    ShowWindow(window, SW_MINIMIZE);
    PumpUntil([] { return false; }, 200);
    ASSERT_TRUE(IsIconic(window));
    EXPECT_EQ(0, SecondStart({}));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_NE(received.sysCommands.end(),
              std::find(received.sysCommands.begin(), received.sysCommands.end(), SC_RESTORE));
    EXPECT_TRUE(received.drops.empty());
}

TEST_F(RunningInstance, AnInstanceWithoutAWindowIsReported) {
    // The mutex exists but nothing is published.
    Child child = StartProcess(LiftornPath(), {L"C:\\a.txt"}, {{L"APPDATA", ToWide(appData.path())}});
    ASSERT_NE(nullptr, child.process);
    HWND box = WaitForDialog(child.id, L"vantorel liftorn", 20000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"vantorel liftorn is already running, but we couldn't find the window.\n"
              L"Please close the current running vantorel liftorn.",
              MessageBoxText(box));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, WaitForExit(child.process, 20000));
    CloseHandle(child.process);
}

}  // namespace
