// The real program as the running instance: start-up, the files it leaves,
// a second start, the self-start of a forwarded command, and shutdown.
#include <gtest/gtest.h>

#include "app/instance_handoff.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

class RealInstance : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH"; }
    void TearDown() override {
        if (HWND window = FindRunningInstanceWindow()) Quit(window);
    }

    std::map<std::wstring, std::wstring> Environment() {
        return {{L"APPDATA", ToWide(appData)}};
    }
    std::string DataFile(const std::string& name) {
        return appData + "\\vantorel liftorn\\" + name;
    }

    // Waits until an instance publishes its window.
    HWND WaitForInstance() {
        HWND window = nullptr;
        PumpUntil([&] { return (window = FindRunningInstanceWindow()) != nullptr; }, 30000);
        return window;
    }

    // Asks the instance to exit through its Exit command; its exit code.
    long Quit(HWND window) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        PostMessageW(window, WM_COMMAND, 205, 0);
        const long code = process ? WaitForExit(process, 30000) : -3;
        if (process) CloseHandle(process);
        return code;
    }

    TempDir root;
    std::string appData = root.path();
};

TEST_F(RealInstance, StartsWithDefaultsAndSavesThemAtExit) {
    Child child = StartProcess(LiftornPath(), {}, Environment());
    ASSERT_NE(nullptr, child.process);
    HWND window = WaitForInstance();
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(FileExists(DataFile("thumbs")));
    EXPECT_TRUE(FileExists(DataFile("urls")));  // the prefix reports Windows 7
    EXPECT_FALSE(FileExists(DataFile("vantorel.conf")));  // written only at exit

    EXPECT_EQ(0, Quit(window));
    CloseHandle(child.process);
    const std::string saved = ReadBytes(DataFile("vantorel.conf"));
    EXPECT_EQ(0u, saved.find("alwaysontop true\r\nautocopyurl false\r\n"));
    EXPECT_NE(std::string::npos, saved.find("\r\nliftornheight 530\r\n"));
    EXPECT_NE(std::string::npos, saved.find("\r\nusername \r\n"));
    EXPECT_NE(std::string::npos, saved.find("\r\nhotkeyclipboard Ctrl+Shift+V\r\n"));
    size_t lines = 0;
    for (size_t at = saved.find("\r\n"); at != std::string::npos; at = saved.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(19u, lines);
    EXPECT_EQ(std::string::npos, saved.find("adv_"));
}

TEST_F(RealInstance, KeepsSettingsFromTheFileAcrossARun) {
    CreateDirectoryW(ToWide(appData + "\\vantorel liftorn").c_str(), nullptr);
    WriteBytes(DataFile("vantorel.conf"),
               "autocopyurl yes\r\nadv_main_uri http://127.0.0.1:9\r\nfoo bar\r\n");
    Child child = StartProcess(LiftornPath(), {}, Environment());
    ASSERT_NE(nullptr, child.process);
    HWND window = WaitForInstance();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, Quit(window));
    CloseHandle(child.process);
    const std::string saved = ReadBytes(DataFile("vantorel.conf"));
    EXPECT_NE(std::string::npos, saved.find("autocopyurl true\r\n"));
    EXPECT_NE(std::string::npos, saved.find("adv_main_uri http://127.0.0.1:9\r\n"));
    EXPECT_EQ(std::string::npos, saved.find("foo"));
}

TEST_F(RealInstance, WorksInADataFolderOutsideAscii) {
    appData = root.File("J\xc3\xb6rg \xe6\x97\xa5\xe6\x9c\xac");
    CreateDirectoryW(ToWide(appData).c_str(), nullptr);
    Child child = StartProcess(LiftornPath(), {}, Environment());
    ASSERT_NE(nullptr, child.process);
    HWND window = WaitForInstance();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, Quit(window));
    CloseHandle(child.process);
    EXPECT_TRUE(FileExists(DataFile("thumbs")));
    EXPECT_NE(std::string::npos, ReadBytes(DataFile("vantorel.conf")).find("liftornheight 530"));
}

TEST_F(RealInstance, ASecondStartLeavesOnlyTheFirstRunning) {
    Child first = StartProcess(LiftornPath(), {}, Environment());
    ASSERT_NE(nullptr, first.process);
    HWND window = WaitForInstance();
    ASSERT_NE(nullptr, window);
    Child second = StartProcess(LiftornPath(), {L"C:\\nothing-here.txt"}, Environment());
    ASSERT_NE(nullptr, second.process);
    EXPECT_EQ(0, WaitForExit(second.process, 30000));
    CloseHandle(second.process);
    EXPECT_EQ(-1, WaitForExit(first.process, 0));
    EXPECT_EQ(window, FindRunningInstanceWindow());
    EXPECT_EQ(0, Quit(window));
    CloseHandle(first.process);
}

TEST_F(RealInstance, AForwardedCommandStartsTheProgramWhenNoneRuns) {
    // A window grab needs no dialog of its own, so the instance stays free.
    ASSERT_EQ(nullptr, FindRunningInstanceWindow());
    Child forwarder = StartProcess(LiftornPath(), {L"/windowgrab"}, Environment());
    ASSERT_NE(nullptr, forwarder.process);
    // The forwarder waits for the instance it started, posts, and ends.
    EXPECT_EQ(0, WaitForExit(forwarder.process, 30000));
    CloseHandle(forwarder.process);
    HWND window = FindRunningInstanceWindow();
    ASSERT_NE(nullptr, window);
    DWORD started = 0;
    GetWindowThreadProcessId(window, &started);
    EXPECT_NE(forwarder.id, started);
    EXPECT_EQ(0, Quit(window));
    EXPECT_TRUE(FileExists(DataFile("vantorel.conf")));
}

}  // namespace
