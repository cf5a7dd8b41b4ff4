// The daily update check against the development service's latest-version
// resource: which replies prompt, what Yes and No lead to, how the updater
// copy is named and started, and that a broken service stays quiet.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/update_check.h"
#include "base/scoped_win.h"
#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/devservice.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

struct Prompt {
    std::wstring text;
    std::wstring caption;
    UINT type;
    HWND owner;
};
std::vector<Prompt> prompts;
std::deque<int> answers;  // IDNO when empty

int Answer(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    prompts.push_back({text, caption, type, owner});
    if (answers.empty()) return IDNO;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

struct Launch {
    std::wstring program, parameters, directory;
};
std::vector<Launch> launches;
bool launchWorks = true;

bool RecordLaunch(const wchar_t* program, const wchar_t* parameters, const wchar_t* directory) {
    launches.push_back({program, parameters, directory});
    return launchWorks;
}

// The names in `folder`.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    ScopedFindHandle search(FindFirstFileW(Utf8ToWide(folder + "\\*").c_str(), &found));
    if (!search) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

constexpr const wchar_t* kProblem =
    L"There was a problem with the update process. The update will not be applied.";

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        Settings().SetAdvanced(L"adv_latest_version_uri", Utf8ToWide(DevService::Url("/latest_version")));
        ASSERT_TRUE(DevService::ResetFaults());
        prompts.clear();
        answers.clear();
        launches.clear();
        launchWorks = true;
        Seams stand_ins;
        stand_ins.askUser = &Answer;
        stand_ins.startProgram = &RecordLaunch;
        seams = std::make_unique<ScopedSeams>(stand_ins);
        // The updater copies go to a temporary folder of the test's own.
        savedTmp = Variable(L"TMP");
        savedTemp = Variable(L"TEMP");
        ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(root.File("temp")).c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(root.File("program")).c_str(), nullptr));
        SetEnvironmentVariableW(L"TMP", Utf8ToWide(root.File("temp")).c_str());
        SetEnvironmentVariableW(L"TEMP", Utf8ToWide(root.File("temp")).c_str());
        App().programFolder = root.File("program") + "\\";
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TMP", savedTmp.c_str());
        SetEnvironmentVariableW(L"TEMP", savedTemp.c_str());
        seams.reset();
        App().programFolder.clear();
    }

    void Offer(const std::string& jsonText) {
        ASSERT_TRUE(DevService::Control("latest_version", "{\"text\": " + jsonText + "}"));
    }
    std::string Temp(const std::string& name) { return root.File("temp\\" + name); }
    static std::wstring Variable(const wchar_t* name) {
        wchar_t value[MAX_PATH] = {};
        GetEnvironmentVariableW(name, value, MAX_PATH);
        return value;
    }

    TempDir root;
    std::wstring savedTmp, savedTemp;
    std::unique_ptr<ScopedSeams> seams;
};

TEST_F(UpdateCheck, YesCopiesTheUpdaterIntoAFreshFolderOfItsOwnAndStartsIt) {
    ASSERT_TRUE(WriteBytes(root.File("program\\iupdater.exe"), "the updater"));
    // What others left in the temporary folder is neither used nor touched.
    ASSERT_TRUE(WriteBytes(Temp("updater2.exe"), "planted"));
    Offer(R"("1.2.6")");
    answers = {IDYES};
    EXPECT_FALSE(CheckForUpdate(L"/file"));
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(L"/file", launches[0].parameters);
    EXPECT_EQ(Utf8ToWide(root.File("program") + "\\"), launches[0].directory);
    const std::string first = ToUtf8(launches[0].program);
    const std::string folder = first.substr(0, first.find_last_of('\\'));
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    EXPECT_EQ(Temp(name), folder);
    EXPECT_EQ(0u, name.find("vantorel-liftorn-updater-"));
    EXPECT_EQ(std::string::npos, name.find_first_not_of("0123456789abcdef", 25));
    EXPECT_EQ(41u, name.size());
    EXPECT_EQ(folder + "\\updater2.exe", first);
    EXPECT_EQ("the updater", ReadBytes(first));
    EXPECT_EQ("planted", ReadBytes(Temp("updater2.exe")));

    // Every copy gets a folder of its own.
    EXPECT_TRUE(StartUpdater(L""));
    const std::string second = ToUtf8(launches.back().program);
    EXPECT_NE(first, second);
    EXPECT_EQ("the updater", ReadBytes(second));

    // The next start removes copies that no longer run, and nothing else: a
    // running copy (held open here), a folder with more in it, files of others.
    ScopedHandle running(CreateFileW(Utf8ToWide(second).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(running);
    const std::string crowded = Temp("vantorel-liftorn-updater-0123456789abcdef");
    const std::string notMine = Temp("vantorel-liftorn-updater-notmine");
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(crowded).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(notMine).c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(crowded + "\\updater2.exe", "old"));
    ASSERT_TRUE(WriteBytes(crowded + "\\notes.txt", "someone's"));
    ASSERT_TRUE(WriteBytes(notMine + "\\updater2.exe", "not ours"));
    RemoveOldUpdaterCopies();
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_TRUE(FileExists(second));
    EXPECT_TRUE(FileExists(crowded + "\\notes.txt"));
    EXPECT_TRUE(FileExists(notMine + "\\updater2.exe"));
    EXPECT_TRUE(FileExists(Temp("updater2.exe")));
    running.reset();
    RemoveOldUpdaterCopies();
    EXPECT_FALSE(FileExists(second));
}

TEST_F(UpdateCheck, AnUpdaterThatCannotBeCopiedOrStartedIsReportedAndStartUpGoesOn) {
    Offer(R"("1.3.0")");
    answers = {IDYES, IDOK};
    EXPECT_TRUE(CheckForUpdate(L""));  // no iupdater.exe beside the program
    ASSERT_EQ(2u, prompts.size());
    EXPECT_EQ(kProblem, prompts[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), prompts[1].type);
    EXPECT_TRUE(launches.empty());
    EXPECT_TRUE(Listing(root.File("temp")).empty());  // no folder left for a copy that never came

    ASSERT_TRUE(WriteBytes(root.File("program\\iupdater.exe"), "the updater"));
    launchWorks = false;
    answers = {IDYES, IDOK};
    EXPECT_TRUE(CheckForUpdate(L""));
    ASSERT_EQ(4u, prompts.size());
    EXPECT_EQ(kProblem, prompts[3].text);
    EXPECT_EQ(1u, launches.size());
}

TEST_F(UpdateCheck, ABrokenServiceAsksNothing) {
    Offer(R"("9.9.9")");
    const std::string faults[] = {
        R"({"mode": "refuse"})",
        R"({"mode": "status500"})",
        R"({"mode": "stall", "stall_seconds": 300})",
        R"({"mode": "huge", "size": 10000000, "unsized": true})",
        // A version followed by a page of text is no version.
        R"({"mode": "hostile_json", "body": "9.9.9 )" + std::string(300, 'x') + R"("})",
    };
    for (const std::string& fault : faults) {
        SCOPED_TRACE(fault);
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::SetFault(fault));
        EXPECT_TRUE(CheckForUpdate(L""));
        EXPECT_TRUE(prompts.empty());
    }
}

TEST(UpdateReply, ChunksAreJoinedUpToTheLimit) {
    std::string reply;
    char first[] = "1.2";
    char second[] = ".6\n";
    EXPECT_EQ(0u, AppendUpdateReply(first, 1, 0, &reply));
    EXPECT_EQ(3u, AppendUpdateReply(first, 1, 3, &reply));
    EXPECT_EQ(3u, AppendUpdateReply(second, 3, 1, &reply));
    EXPECT_EQ("1.2.6\n", reply);
    std::string rest(kVersionReplyLimitBytes - 6, ' ');
    EXPECT_EQ(rest.size(), AppendUpdateReply(rest.data(), 1, rest.size(), &reply));
    EXPECT_EQ(0u, AppendUpdateReply(first, 1, 1, &reply));
    EXPECT_EQ(kVersionReplyLimitBytes, reply.size());
}

}  // namespace
