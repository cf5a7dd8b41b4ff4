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
#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/devservice.h"
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

TEST_F(UpdateCheck, YesCopiesTheUpdaterToTheFirstFreeNameAndStartsIt) {
    ASSERT_TRUE(WriteBytes(root.File("program\\iupdater.exe"), "the updater"));
    ASSERT_TRUE(WriteBytes(Temp("updater2.exe"), "old"));
    ASSERT_TRUE(WriteBytes(Temp("updater3.exe"), "old"));
    Offer(R"("1.2.6")");
    answers = {IDYES};
    EXPECT_FALSE(CheckForUpdate(L"/file"));
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(Utf8ToWide(Temp("updater4.exe")), launches[0].program);
    EXPECT_EQ(L"/file", launches[0].parameters);
    EXPECT_EQ(Utf8ToWide(root.File("program") + "\\"), launches[0].directory);
    EXPECT_EQ("the updater", ReadBytes(Temp("updater4.exe")));
    EXPECT_EQ("old", ReadBytes(Temp("updater3.exe")));

    // Names count in lower-case hexadecimal.
    for (int n = 4; n <= 9; ++n) ASSERT_TRUE(WriteBytes(Temp("updater" + std::to_string(n) + ".exe"), "old"));
    EXPECT_TRUE(StartUpdater(L""));
    EXPECT_EQ(Utf8ToWide(Temp("updatera.exe")), launches.back().program);
}

TEST_F(UpdateCheck, AnUpdaterThatCannotBeCopiedOrStartedIsReportedAndStartUpGoesOn) {
    Offer(R"("1.3.0")");
    answers = {IDYES, IDOK};
    EXPECT_TRUE(CheckForUpdate(L""));  // no iupdater.exe beside the program
    ASSERT_EQ(2u, prompts.size());
    EXPECT_EQ(kProblem, prompts[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), prompts[1].type);
    EXPECT_TRUE(launches.empty());
    EXPECT_FALSE(FileExists(Temp("updater2.exe")));

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
