// The shell registration and the jump list: the registry layout read back
// from a private classes root, the elevation road and its failures, and
// what the jump list hands the shell (through recording stand-ins, since the
// shell may accept a list without showing it).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "shell/jump_list.h"
#include "shell/register_types.h"
#include "shell/shell_stand_ins.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::wstring> promptTexts;
std::vector<UINT> promptTypes;
int promptAnswer = IDCANCEL;
int Answer(HWND, const wchar_t* text, const wchar_t*, UINT type) {
    promptTexts.push_back(text);
    promptTypes.push_back(type);
    return promptAnswer;
}

bool elevated = true;
bool Elevated() { return elevated; }

struct Run {
    std::wstring program, parameters, directory;
};
std::vector<Run> runs;
int runResult = 0;
int RecordRun(const wchar_t* program, const wchar_t* parameters, const wchar_t* directory) {
    runs.push_back({program, parameters, directory});
    return runResult;
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

constexpr const wchar_t* kProgId = L"Korvane.vantorel-liftorn";
constexpr const wchar_t* kRegisteredProblem =
    L"There was a problem initialising the jump list settings, jump list support will be disabled. If you wish "
    L"to re-enable jump list support you will need to manually enable the option in the config file.";

// One value under the classes root: its type and exact bytes, or type
// REG_NONE with `found` false when missing.
struct Value {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};
Value Read(HKEY root, const std::wstring& key, const wchar_t* name) {
    Value value;
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return value;
    }
    value.bytes.resize(size);
    value.found = RegGetValueW(root, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                               value.bytes.data(), &size) == ERROR_SUCCESS;
    value.bytes.resize(size);
    return value;
}
// A string's bytes as they must be stored: UTF-16 with the terminating null.
std::vector<BYTE> Stored(const std::wstring& text) {
    const auto* begin = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(begin, begin + (text.size() + 1) * sizeof(wchar_t));
}

// Classes-root writes of this process land in a scratch key of its own.
class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        DefineDefaultSettings(Settings());
        scratchName = L"Software\\LiftornTest" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, scratchName.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &scratch, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch));
        promptTexts.clear();
        promptTypes.clear();
        promptAnswer = IDCANCEL;
        runs.clear();
        runResult = 0;
        elevated = true;
        Seams stand_ins;
        stand_ins.askUser = &Answer;
        stand_ins.processElevated = &Elevated;
        stand_ins.runElevated = &RecordRun;
        seams = std::make_unique<ScopedSeams>(stand_ins);
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(scratch);
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchName.c_str());
        seams.reset();
    }
    bool Registered() { return Read(scratch, kProgId, L"FriendlyTypeName").found; }
    void StoreCommand(const std::wstring& command) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(scratch, L"Korvane.vantorel-liftorn\\shell\\Open\\Command", 0,
                                                 nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        RegSetValueExW(key, nullptr, 0, REG_SZ, Stored(command).data(), static_cast<DWORD>(Stored(command).size()));
        RegCloseKey(key);
    }

    std::wstring scratchName;
    HKEY scratch = nullptr;
    std::unique_ptr<ScopedSeams> seams;
};

TEST_F(Registration, TheElevatedProcessWritesTheLayoutExactly) {
    EXPECT_EQ(0, RegisterTypes(nullptr, true));
    const std::wstring prog = kProgId;
    struct Expected {
        std::wstring key;
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    const Expected table[] = {
        {prog, L"FriendlyTypeName", REG_SZ, Stored(L"vantorel liftorn")},
        {prog + L"\\DefaultIcon", nullptr, REG_SZ, Stored(OwnPath())},
        {prog + L"\\CurVer", nullptr, REG_SZ, Stored(prog)},
        {prog, L"AppUserModelID", REG_SZ, Stored(prog)},
        {prog + L"\\shell\\Open\\Command", nullptr, REG_SZ, Stored(OwnPath() + L" /uri \"%1\"")},
        {prog + L"\\shell", nullptr, REG_SZ, Stored(L"Open")},
        {L".URL\\OpenWithProgids", kProgId, REG_NONE, {}},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(ToUtf8(e.key + L" " + (e.name ? e.name : L"(default)")));
        const Value value = Read(scratch, e.key, e.name);
        ASSERT_TRUE(value.found);
        EXPECT_EQ(e.type, value.type);
        EXPECT_EQ(e.bytes, value.bytes);
    }
    EXPECT_TRUE(promptTexts.empty());
}

TEST_F(Registration, WithoutElevationTheUserChoosesBetweenElevatingAndGoingWithout) {
    elevated = false;
    EXPECT_EQ(1, RegisterTypes(nullptr, true));  // "/registertypes" never asks
    EXPECT_TRUE(promptTexts.empty());

    promptAnswer = IDOK;
    runResult = 7;
    EXPECT_EQ(7, RegisterTypes(nullptr, false));
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(OwnPath(), runs[0].program);
    EXPECT_EQ(L"/registertypes", runs[0].parameters);
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    EXPECT_EQ(directory, runs[0].directory);
    ASSERT_EQ(1u, promptTexts.size());
    EXPECT_EQ(L"vantorel liftorn needs to run with elevated privileges to initialise the jump list settings. "
              L"Select Ok to elevate vantorel liftorn or Cancel to disable jump list support.",
              promptTexts[0]);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION), promptTypes[0]);
    EXPECT_TRUE(Settings().GetBool(L"EnableJumpLists"));

    promptAnswer = IDCANCEL;
    EXPECT_EQ(0, RegisterTypes(nullptr, false));
    EXPECT_EQ(1u, runs.size());
    EXPECT_FALSE(Settings().GetBool(L"EnableJumpLists"));
    EXPECT_FALSE(Registered());
}

TEST_F(Registration, StartUpRegistersOnlyWhatIsMissingOrMoved) {
    // Missing: written at once by the elevated process.
    RegisterShellIntegration(nullptr);
    EXPECT_TRUE(Registered());
    EXPECT_TRUE(promptTexts.empty());

    // In place (in any case): nothing to do, so nothing is asked.
    elevated = false;
    StoreCommand(OwnPath() + L" /URI \"%1\"");
    RegisterShellIntegration(nullptr);
    EXPECT_TRUE(promptTexts.empty());
    EXPECT_TRUE(runs.empty());

    // Moved: the elevated copy is started; its failure switches jump lists off and says so.
    StoreCommand(L"C:\\old place\\liftorn.exe /uri \"%1\"");
    promptAnswer = IDOK;
    runResult = 1;
    RegisterShellIntegration(nullptr);
    EXPECT_EQ(1u, runs.size());
    ASSERT_EQ(2u, promptTexts.size());
    EXPECT_EQ(kRegisteredProblem, promptTexts[1]);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), promptTypes[1]);
    EXPECT_FALSE(Settings().GetBool(L"EnableJumpLists"));

    // Cancel switches them off too, without a second message.
    Settings().SetBool(L"EnableJumpLists", true);
    promptTexts.clear();
    promptAnswer = IDCANCEL;
    RegisterShellIntegration(nullptr);
    EXPECT_EQ(1u, promptTexts.size());
    EXPECT_FALSE(Settings().GetBool(L"EnableJumpLists"));
}

// The real road: the program itself started through the shell with
// "/registertypes", waited for, its exit code the answer.
TEST(RegistrationRoad, TheElevatedCopyRegistersTheProgram) {
    ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    EXPECT_EQ(0, RunElevated(LiftornPath(), L"/registertypes", directory));
    const Value command = Read(HKEY_CLASSES_ROOT, L"Korvane.vantorel-liftorn\\shell\\Open\\Command", nullptr);
    ASSERT_TRUE(command.found);
    EXPECT_EQ(REG_SZ, command.type);
    EXPECT_EQ(0, _wcsicmp((LiftornPath() + L" /uri \"%1\"").c_str(),
                          reinterpret_cast<const wchar_t*>(command.bytes.data())));
    EXPECT_EQ(1, RunElevated(L"C:\\no such program.exe", L"/registertypes", directory));
}

class JumpList : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        DefineDefaultSettings(Settings());
        Recorded() = RecordedJumpList();
        StandIns() = StandInSettings();
    }
    void TearDown() override { CoUninitialize(); }
    // n shortcut files, newest first.
    std::vector<std::wstring> Shortcuts(int n) {
        std::vector<std::wstring> paths;
        for (int i = n; i >= 1; --i) {
            const std::string path = dir.File("upload" + std::to_string(i) + ".url");
            EXPECT_TRUE(WriteBytes(path, "[InternetShortcut]\r\r\nURL=http://x/" + std::to_string(i) + "\r\n"));
            paths.push_back(ToWide(path));
        }
        return paths;
    }

    TempDir dir;
};

TEST_F(JumpList, TheNewestUploadsFillTheSlotsAndTheFourTasksFollow) {
    std::vector<std::wstring> paths = Shortcuts(5);
    paths.insert(paths.begin() + 1, ToWide(dir.File("deleted meanwhile.url")));  // no file: no item
    StandIns().slots = 3;
    EXPECT_EQ(JumpListResult::Built, RebuildJumpList(paths, RecordingShell()));

    const RecordedJumpList& list = Recorded();
    EXPECT_EQ(kProgId, list.appId);
    EXPECT_TRUE(list.committed);
    EXPECT_EQ(L"Recent Uploads", list.categoryName);
    EXPECT_EQ((std::vector<std::wstring>{paths[0], paths[2], paths[3]}), list.categoryPaths);

    const std::wstring own = OwnPath();
    struct Task {
        const wchar_t *arguments, *title, *description;
        std::wstring iconFile;
        int iconIndex;
    };
    const Task expected[] = {
        {L"/screenshot", L"Upload Screenshot", L"Take a custom drawn screenshot and upload it", own, 4},
        {L"/windowgrab", L"Upload Window Grab", L"Take a window grab and upload it", own, 5},
        {L"/file", L"Upload File", L"Select a file to upload", L"shell32.dll", 68},
        {L"/folder", L"Upload Folder", L"Select a folder to zip up and upload ", L"shell32.dll", 45},
    };
    ASSERT_EQ(4u, list.tasks.size());
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(own, list.tasks[i].path);
        EXPECT_EQ(expected[i].arguments, list.tasks[i].arguments);
        EXPECT_EQ(expected[i].title, list.tasks[i].title);
        EXPECT_EQ(expected[i].description, list.tasks[i].description);
        EXPECT_EQ(expected[i].iconFile, list.tasks[i].iconFile);
        EXPECT_EQ(expected[i].iconIndex, list.tasks[i].iconIndex);
    }
}

TEST_F(JumpList, RemovedItemsLoseTheirFileAndAreNotOfferedAgain) {
    const std::vector<std::wstring> paths = Shortcuts(3);
    StandIns().removedPaths = {paths[1]};
    EXPECT_EQ(JumpListResult::Built, RebuildJumpList(paths, RecordingShell()));
    EXPECT_EQ((std::vector<std::wstring>{paths[0], paths[2]}), Recorded().categoryPaths);
    EXPECT_FALSE(FileExists(ToUtf8(paths[1])));
    EXPECT_TRUE(FileExists(ToUtf8(paths[0])));
}

TEST_F(JumpList, ShortListsRefusalsAndTheSwitch) {
    // No uploads: no category, the tasks all the same; a task the shell
    // refuses a step of is left out.
    StandIns().refusedTitle = L"Upload File";
    EXPECT_EQ(JumpListResult::Built, RebuildJumpList({}, RecordingShell()));
    EXPECT_EQ(L"", Recorded().categoryName);
    ASSERT_EQ(3u, Recorded().tasks.size());
    EXPECT_EQ(L"/folder", Recorded().tasks[2].arguments);

    // A refused category leaves the list as it was.
    Recorded() = RecordedJumpList();
    StandIns().refuseCategory = true;
    EXPECT_EQ(JumpListResult::Failed, RebuildJumpList(Shortcuts(1), RecordingShell()));
    EXPECT_TRUE(Recorded().aborted);
    EXPECT_FALSE(Recorded().committed);
    EXPECT_TRUE(Recorded().tasks.empty());

    // Switched off: the list is deleted and nothing else is built.
    Recorded() = RecordedJumpList();
    Settings().SetBool(L"EnableJumpLists", false);
    EXPECT_EQ(JumpListResult::Deleted, RebuildJumpList(Shortcuts(2), RecordingShell()));
    EXPECT_EQ(kProgId, Recorded().deletedAppId);
    EXPECT_FALSE(Recorded().begun);

    // Without the shell's item lookup there is no list at all.
    JumpListShell bare = RecordingShell();
    bare.itemFromPath = nullptr;
    EXPECT_EQ(JumpListResult::Skipped, RebuildJumpList(Shortcuts(2), bare));
}

}  // namespace
