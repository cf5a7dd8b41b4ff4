// Crash reports from the real program: a test build of it
// (liftorn-crash.exe) fails on each named thread in turn; every failure
// leaves a minidump and a text file in the crashes folder and a line in the
// log, the newest five are kept, and the next start of liftorn.exe says so
// once. The shipped program has no switch that crashes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/crash_notice.h"
#include "app/instance_handoff.h"
#include "base/product.h"
#include "base/seams.h"
#include "resource_ids.h"
#include "support/devservice.h"
#include "support/process.h"
#include "support/prompts.h"
#include "support/temp_dir.h"

namespace {

constexpr DWORD kAccessViolation = 0xC0000005;
constexpr DWORD kTerminate = 0xE0000001;
constexpr wchar_t kNotice[] = L"vantorel liftorn closed unexpectedly last time. A report was saved.";

std::wstring CrashProgram() {
    std::wstring path = LiftornPath();
    return path.substr(0, path.rfind(L'\\') + 1) + L"liftorn-crash.exe";
}

std::vector<std::string> Names(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(ToWide(folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(ToUtf8(found.cFileName));
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

HWND FindDialog(DWORD processId) {
    for (HWND window : VisibleWindowsOf(processId)) {
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (std::wstring(className) == L"#32770") return window;
    }
    return nullptr;
}

std::wstring ButtonText(HWND dialog, int id) {
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

class CrashReports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
        ASSERT_TRUE(DevService::Available());
        ASSERT_EQ(nullptr, FindRunningInstanceWindow());
        CreateDirectoryW(ToWide(data).c_str(), nullptr);
        // No update question; the uploads go to the test's service.
        WriteServiceConfiguration(data, "lastupdatecheck 2000000000\r\n");
        SetCursorPos(0, 0);
    }
    void TearDown() override {
        if (HWND window = FindRunningInstanceWindow()) QuitInstance(window);
    }

    // `dump` false: the report without its minidump (Wine takes some twenty
    // seconds to write one).
    std::map<std::wstring, std::wstring> Environment(const std::string& crash = "", bool dump = true) {
        return {{L"APPDATA", ToWide(root.path())},
                {L"LIFTORN_CRASH_THREAD", ToWide(crash.empty() || dump ? crash : crash + ":nodump")}};
    }

    HWND WaitForInstance() {
        HWND window = nullptr;
        PumpUntil([&] { return (window = FindRunningInstanceWindow()) != nullptr; }, 30000);
        return window;
    }

    TempDir root;
    TempDir files;
    std::string data = root.path() + "\\vantorel liftorn";
    std::string crashes = data + "\\crashes";
};

TEST_F(CrashReports, EachThreadLeavesAReportTheNewestFiveStayAndTheNextStartSaysSoOnce) {
    WriteBytes(files.File("to toast.txt"), "a file whose upload ends in a toast\r\n");
    struct Case {
        const char* crash;
        const char* thread;
        DWORD code;
        bool dump;
    };
    const Case cases[] = {
        {"main", "main", kAccessViolation, false},       {"worker", "worker", kAccessViolation, true},
        {"capture", "capture", kAccessViolation, false}, {"toast", "toast", kAccessViolation, false},
        {"main:terminate", "main", kTerminate, false},   {"worker", "worker", kAccessViolation, false},
    };
    std::vector<std::string> before;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.crash);
        std::vector<std::wstring> arguments;
        if (std::string(c.thread) == "toast") arguments.push_back(ToWide(files.File("to toast.txt")));
        Child child = StartProcess(CrashProgram(), arguments, Environment(c.crash, c.dump));
        ASSERT_NE(nullptr, child.process);
        if (std::string(c.thread) == "capture") {
            HWND window = WaitForInstance();
            ASSERT_NE(nullptr, window);
            PostMessageW(window, WM_COMMAND, CMD_WINDOW_GRAB, 0);
        }
        EXPECT_EQ(c.code, static_cast<DWORD>(WaitForExit(child.process, 60000)));
        CloseHandle(child.process);

        // One new report: its text and its minidump.
        const auto reports = Names(crashes, "crash-*.txt");
        std::vector<std::string> added;
        std::set_difference(reports.begin(), reports.end(), before.begin(), before.end(),
                            std::back_inserter(added));
        ASSERT_EQ(1u, added.size());
        before = reports;
        const std::string text = ReadBytes(crashes + "\\" + added[0]);
        EXPECT_NE(std::string::npos, text.find("Version: " + std::string(kProductVersion) + "\r\n")) << text;
        EXPECT_NE(std::string::npos, text.find("Thread: " + std::string(c.thread) + " (id ")) << text;
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", c.code);
        EXPECT_NE(std::string::npos, text.find("Exception: " + std::string(code))) << text;
        if (c.code == kAccessViolation) {
            EXPECT_NE(std::string::npos, text.find("Access: writing 0x0000000000000010")) << text;
        }
        const std::string dumpFile = crashes + "\\" + added[0].substr(0, added[0].size() - 4) + ".dmp";
        if (c.dump) {
            const std::string dump = ReadBytes(dumpFile);
            EXPECT_EQ("MDMP", dump.substr(0, 4));
            EXPECT_LT(dump.size(), 4u * 1024 * 1024);  // a small dump, not the whole memory
        } else {
            EXPECT_FALSE(FileExists(dumpFile));
        }
        const std::string log = ReadBytes(data + "\\liftorn.log");
        EXPECT_NE(std::string::npos,
                  log.find("[" + std::string(c.thread) + "] crash: thread=" + c.thread + " exception=" + code))
            << log;
    }
    ASSERT_EQ(6u, Names(crashes, "crash-*.txt").size());

    // The real program: keeps the newest five and tells once.
    Child child = StartProcess(LiftornPath(), {}, Environment());
    ASSERT_NE(nullptr, child.process);
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (dialog = FindDialog(child.id)) != nullptr; }, 30000));
    EXPECT_EQ(kNotice, MessageBoxText(dialog));
    EXPECT_EQ(L"Open folder", ButtonText(dialog, IDOK));
    EXPECT_EQ(L"Close", ButtonText(dialog, IDCANCEL));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    const auto kept = Names(crashes, "crash-*.txt");
    EXPECT_EQ(std::vector<std::string>(before.begin() + 1, before.end()), kept);
    EXPECT_EQ(1u, Names(crashes, "crash-*.dmp").size());
    HWND window = WaitForInstance();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, QuitInstance(window));
    CloseHandle(child.process);

    child = StartProcess(LiftornPath(), {}, Environment());
    ASSERT_NE(nullptr, child.process);
    window = WaitForInstance();
    ASSERT_NE(nullptr, window);
    PumpUntil([] { return false; }, 2000);
    EXPECT_EQ(nullptr, FindDialog(child.id));
    EXPECT_EQ(0, QuitInstance(window));
    CloseHandle(child.process);
}

TEST_F(CrashReports, TheShippedProgramHasNoSwitchThatCrashesIt) {
    const std::string shipped = ReadBytes(ToUtf8(LiftornPath()));
    const std::string seam = ReadBytes(ToUtf8(CrashProgram()));
    ASSERT_GT(shipped.size(), 100000u);
    EXPECT_EQ(std::string::npos, shipped.find("LIFTORN_CRASH_THREAD"));
    EXPECT_NE(std::string::npos, seam.find("LIFTORN_CRASH_THREAD"));
}

TEST_F(CrashReports, TheNoticesButtonOpensTheCrashesFolder) {
    App().dataFolder = data + "\\";
    CreateDirectoryW(ToWide(crashes).c_str(), nullptr);
    static std::vector<std::wstring> opened;
    for (const int answer : {IDOK, IDCANCEL}) {
        WriteBytes(crashes + "\\new-report", "");
        RecordedPrompts prompts(answer);
        Seams seams = CurrentSeams();  // the prompts' answer stays
        seams.shellOpen = [](const wchar_t* target) {
            opened.push_back(target);
            return true;
        };
        ScopedSeams useSeams(seams);
        TellAboutLastCrash();
        TellAboutLastCrash();  // once only
        EXPECT_EQ(std::vector<std::wstring>{kNotice}, prompts.Texts());
    }
    EXPECT_EQ(std::vector<std::wstring>{ToWide(crashes + "\\")}, opened);
}

}  // namespace
