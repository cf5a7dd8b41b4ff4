// The shell registration and the jump list: the registry layout read back
// from private registry roots, that it lands in the user's classes alone
// and never asks for anything, and
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
int Answer(HWND, const wchar_t* text, const wchar_t*, UINT type) {
    promptTexts.push_back(text);
    promptTypes.push_back(type);
    return IDOK;
}

std::vector<std::wstring> starts;
bool RecordStart(const wchar_t* program, const wchar_t* parameters, const wchar_t*) {
    starts.push_back(std::wstring(program) + L" " + parameters);
    return true;
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

constexpr const wchar_t* kProgId = L"Korvane.vantorel-liftorn";
constexpr const wchar_t* kCommandKey = L"Software\\Classes\\Korvane.vantorel-liftorn\\shell\\Open\\Command";
constexpr const wchar_t* kRegisteredProblem =
    L"There was a problem initialising the jump list settings, jump list support will be disabled. If you wish "
    L"to re-enable jump list support you will need to manually enable the option in the config file.";

// One registry value: its type and exact bytes; `found` false when missing.
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
bool IsEmptyKey(HKEY key) {
    DWORD subkeys = 1, values = 1;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}
std::wstring QuotedCommand(const std::wstring& program) { return L"\"" + program + L"\" /uri \"%1\""; }

// The user's, the machine's and the merged classes of this process land in
// scratch keys of their own; the shell's stand-ins record every question
// and every program started.
class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        DefineDefaultSettings(Settings());
        scratchName = L"Software\\LiftornTest" + std::to_wstring(GetCurrentProcessId());
        for (int i = 0; i < 3; ++i) {
            const std::wstring name = scratchName + L"\\" + std::to_wstring(i);
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                     nullptr, &scratch[i], nullptr));
        }
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, user()));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine()));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, classes()));
        promptTexts.clear();
        promptTypes.clear();
        starts.clear();
        Seams stand_ins;
        stand_ins.askUser = &Answer;
        stand_ins.startProgram = &RecordStart;
        seams = std::make_unique<ScopedSeams>(stand_ins);
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        for (HKEY key : scratch) RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchName.c_str());
        seams.reset();
    }
    HKEY user() const { return scratch[0]; }
    HKEY machine() const { return scratch[1]; }
    HKEY classes() const { return scratch[2]; }
    void StoreCommand(const std::wstring& command) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(user(), kCommandKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        RegSetValueExW(key, nullptr, 0, REG_SZ, Stored(command).data(), static_cast<DWORD>(Stored(command).size()));
        RegCloseKey(key);
    }
    std::wstring StoredCommand() {
        const Value value = Read(user(), kCommandKey, nullptr);
        return value.found ? reinterpret_cast<const wchar_t*>(value.bytes.data()) : L"";
    }
    // Nothing outside the user's classes, nothing asked, nothing started.
    void ExpectOnlyTheUsersClasses() {
        EXPECT_TRUE(IsEmptyKey(machine()));
        EXPECT_TRUE(IsEmptyKey(classes()));
        EXPECT_TRUE(promptTexts.empty());
        EXPECT_TRUE(starts.empty());
    }

    std::wstring scratchName;
    HKEY scratch[3] = {};
    std::unique_ptr<ScopedSeams> seams;
};

TEST_F(Registration, TheUsersClassesGetTheLayoutExactly) {
    EXPECT_EQ(0, RegisterTypes());
    const std::wstring prog = std::wstring(L"Software\\Classes\\") + kProgId;
    struct Expected {
        std::wstring key;
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    const Expected table[] = {
        {prog, L"FriendlyTypeName", REG_SZ, Stored(L"vantorel liftorn")},
        {prog + L"\\DefaultIcon", nullptr, REG_SZ, Stored(OwnPath())},
        {prog + L"\\CurVer", nullptr, REG_SZ, Stored(kProgId)},
        {prog, L"AppUserModelID", REG_SZ, Stored(kProgId)},
        {prog + L"\\shell\\Open\\Command", nullptr, REG_SZ, Stored(QuotedCommand(OwnPath()))},
        {prog + L"\\shell", nullptr, REG_SZ, Stored(L"Open")},
        {L"Software\\Classes\\.URL\\OpenWithProgids", kProgId, REG_NONE, {}},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(ToUtf8(e.key + L" " + (e.name ? e.name : L"(default)")));
        const Value value = Read(user(), e.key, e.name);
        ASSERT_TRUE(value.found);
        EXPECT_EQ(e.type, value.type);
        EXPECT_EQ(e.bytes, value.bytes);
    }
    ExpectOnlyTheUsersClasses();
}

TEST_F(Registration, StartUpRegistersOnlyWhatIsMissingOrDiffers) {
    RegisterShellIntegration();  // missing
    EXPECT_EQ(QuotedCommand(OwnPath()), StoredCommand());

    // In place (in any case): left as it is.
    const std::wstring upper = L"\"" + OwnPath() + L"\" /URI \"%1\"";
    StoreCommand(upper);
    RegisterShellIntegration();
    EXPECT_EQ(upper, StoredCommand());

    // Another program file, or this one unquoted: written again.
    for (const std::wstring& old : {QuotedCommand(L"C:\\old place\\liftorn.exe"), OwnPath() + L" /uri \"%1\""}) {
        StoreCommand(old);
        RegisterShellIntegration();
        EXPECT_EQ(QuotedCommand(OwnPath()), StoredCommand());
    }
    EXPECT_TRUE(Settings().GetBool(L"EnableJumpLists"));
    ExpectOnlyTheUsersClasses();

    // Classes that cannot be written (the user's key is gone under it): jump
    // lists go off, and it says so.
    HKEY gone = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(user(), L"gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &gone, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(user(), L"gone"));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, gone));
    RegisterShellIntegration();
    RegOverridePredefKey(HKEY_CURRENT_USER, user());
    RegCloseKey(gone);
    EXPECT_FALSE(Settings().GetBool(L"EnableJumpLists"));
    ASSERT_EQ(1u, promptTexts.size());
    EXPECT_EQ(kRegisteredProblem, promptTexts[0]);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), promptTypes[0]);
    EXPECT_TRUE(starts.empty());
}

// The real program: "/registertypes" writes the user's classes and nothing
// machine-wide, in the build's own Wine prefix.
TEST(RegistrationRoad, TheProgramRegistersForTheUserAlone) {
    ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
    const wchar_t* machineKey = L"Software\\Classes\\Korvane.vantorel-liftorn";
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, machineKey);
    Child child = StartProcess(LiftornPath(), {L"/registertypes"});
    ASSERT_NE(nullptr, child.process);
    EXPECT_EQ(0, WaitForExit(child.process, 30000));
    CloseHandle(child.process);
    const Value command = Read(HKEY_CURRENT_USER, kCommandKey, nullptr);
    ASSERT_TRUE(command.found);
    EXPECT_EQ(REG_SZ, command.type);
    EXPECT_EQ(0, _wcsicmp(QuotedCommand(LiftornPath()).c_str(), reinterpret_cast<const wchar_t*>(command.bytes.data())));
    HKEY machine = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, machineKey, 0, KEY_READ, &machine));
    if (machine) RegCloseKey(machine);
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
