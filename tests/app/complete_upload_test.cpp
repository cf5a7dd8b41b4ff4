// Completing uploads against the development service: the files a good
// reply leaves in the data folder, what is recorded and copied, and that bad
// or hostile replies write nothing outside "thumbs" and "urls".
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/main_window_handle.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "base/windows_version.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/gui_object.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"
#include "history/history_test_support.h"
#include "support/process.h"
#include "support/devservice.h"
#include "support/temp_dir.h"
#include "app/complete_upload.h"
#include "upload/copy_url.h"
#include "upload/statistics_ping.h"
#include "upload/upload_queue.h"

namespace {

std::vector<CompletedUpload> recorded;
bool giveItem = true;

bool RecordUpload(const CompletedUpload& upload, std::wstring& itemUrl) {
    recorded.push_back(upload);
    if (!giveItem) return false;
    itemUrl = Utf8ToWide(upload.url);
    return true;
}

// Every file below `folder` (UTF-8 paths relative to it, "\" separated).
void ListFiles(const std::wstring& folder, const std::wstring& relative, std::vector<std::string>& out) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + relative + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(folder, relative + name + L"\\", out);
        } else {
            out.push_back(WideToUtf8(relative + name));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::string ReadWide(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// `text` as a JSON string.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted.push_back('\\');
        quoted.push_back(c);
    }
    return quoted + "\"";
}

class CompleteUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        Settings().SetAdvanced(L"adv_main_uri", Utf8ToWide(DevService::BaseUrl()));
        Settings().SetBool(L"ShowToastAlerts", false);
        Settings().SetBool(L"AutocopyURL", true);
        SetStatisticsBaseUrl(DevService::BaseUrl().c_str());
        SetHistoryRecorder(&RecordUpload);
        recorded.clear();
        giveItem = true;
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());

        // The data folder is one level down, so anything written beside it
        // (one ".." too far) is seen as well.
        root = Utf8ToWide(dir.path()) + L"\\";
        data = root + L"data\\";
        ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((data + L"thumbs").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((data + L"urls").c_str(), nullptr));
        App().dataFolder = WideToUtf8(data);
        ASSERT_TRUE(WriteBytes(dir.File("holiday.png"), std::string(1537, 'x')));
        job.path = root + L"holiday.png";
        job.kind = UploadKind::File;
        ASSERT_TRUE(CopyUrl(L"marker", 0));
    }
    void TearDown() override {
        SetStatisticsBaseUrl(nullptr);
        SetHistoryRecorder(nullptr);
        App().dataFolder.clear();
    }

    void Complete(const std::string& reply, bool success = true, std::size_t remaining = 0) {
        JobOutcome outcome;
        outcome.job = &job;
        outcome.reply = reply;
        outcome.remaining = remaining;
        outcome.success = success;
        CompleteUpload(outcome);
    }
    std::string Reply(const std::string& tail) {
        return "{\"path\": " + Quoted(DevService::BaseUrl() + tail) + ", \"icon\": \"/icons/png.png\"}";
    }
    std::vector<std::string> FilesBelowRoot() {
        std::vector<std::string> files;
        ListFiles(root, L"", files);
        return files;
    }
    std::vector<std::string> Targets() {
        std::vector<std::string> targets;
        for (const auto& request : DevService::Requests()) targets.push_back(request.target);
        return targets;
    }

    TempDir dir;
    std::wstring root;
    std::wstring data;
    UploadJob job;
};

TEST_F(CompleteUploadTest, AGoodReplyLeavesThumbnailShortcutRecordAndCopy) {
    Complete(Reply("/abc/My Photo.png"));

    // The service has no thumbnail for this upload, so its icon stands in.
    EXPECT_EQ((std::vector<std::string>{"/files/thumbs/abc/My%20Photo.png", "/icons/png.png", "/stats/u/f"}),
              Targets());
    const std::string thumbnail = ReadWide(data + L"thumbs\\abc_My Photo.png");
    ASSERT_GE(thumbnail.size(), 8u);
    EXPECT_EQ("\x89PNG", thumbnail.substr(0, 4));

    std::vector<std::string> expectedFiles = {"data\\thumbs\\abc_My Photo.png"};
    if (IsWindows7OrLater()) {
        EXPECT_EQ("[InternetShortcut]\r\r\nURL=" + DevService::BaseUrl() + "/abc/My Photo.png\r\n",
                  ReadWide(data + L"urls\\abc_holiday.png.url"));
        expectedFiles.push_back("data\\urls\\abc_holiday.png.url");
    }
    expectedFiles.push_back("holiday.png");
    auto files = FilesBelowRoot();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(expectedFiles, files);

    ASSERT_EQ(1u, recorded.size());
    EXPECT_EQ("abc_My Photo.png", recorded[0].thumbName);
    EXPECT_EQ("holiday.png", recorded[0].fileName);
    EXPECT_EQ("~2kb", recorded[0].sizeText);
    EXPECT_EQ(DevService::BaseUrl() + "/abc/My%20Photo.png", recorded[0].url);
    EXPECT_EQ("abc_holiday.png.url", recorded[0].urlFile);
    EXPECT_EQ(Utf8ToWide(recorded[0].url), ReadClipboardText());
}

TEST_F(CompleteUploadTest, KindDisplayNameAndSwitchesShapeTheOutcome) {
    job.kind = UploadKind::Capture;
    job.displayName = L"Screenshot \u00E9t\u00E9";
    Settings().SetBool(L"AutocopyURL", false);
    Complete(Reply("/id7/shot.png"));
    ASSERT_EQ(1u, recorded.size());
    EXPECT_EQ("Screenshot \xC3\xA9t\xC3\xA9", recorded[0].fileName);
    EXPECT_EQ("id7_Screenshot \xC3\xA9t\xC3\xA9.url", recorded[0].urlFile);
    EXPECT_EQ("/stats/u/s", Targets().back());
    EXPECT_EQ(L"marker", ReadClipboardText());

    // No item from the history: the upload still counts, nothing is copied.
    Settings().SetBool(L"AutocopyURL", true);
    giveItem = false;
    job.kind = UploadKind::Folder;
    Complete(Reply("/id8/archive.zip"));
    EXPECT_EQ(2u, recorded.size());
    EXPECT_EQ("/stats/u/d", Targets().back());
    EXPECT_EQ(L"marker", ReadClipboardText());
}

TEST_F(CompleteUploadTest, BadRepliesWriteAndRecordNothing) {
    const std::string base = DevService::BaseUrl();
    struct Case {
        std::string reply;
        bool success;
    };
    const Case cases[] = {
        {Reply("/abc/x.png"), false},
        {"{\"path\": " + Quoted(base + "/abc/x.png") + "}", true},
        {"{\"path\": \"abc/x.png\", \"icon\": \"/icons/png.png\"}", true},
        {"{\"path\": 12, \"icon\": \"/icons/png.png\"}", true},
        {"{\"path\": " + Quoted(base + "/abc/x.png") + ", \"icon\": null}", true},
        {"[" + Quoted(base + "/abc/x.png") + "]", true},
        {"<html>", true},
        {"", true},
    };
    for (const auto& c : cases) Complete(c.reply, c.success);
    EXPECT_TRUE(recorded.empty());
    EXPECT_TRUE(DevService::Requests().empty());
    EXPECT_EQ(std::vector<std::string>{"holiday.png"}, FilesBelowRoot());
    EXPECT_EQ(L"marker", ReadClipboardText());
}

// A thumbnail that stops arriving costs that upload its picture and nothing
// else: the upload is recorded, no half file is left, and the next one is whole.
TEST_F(CompleteUploadTest, AStalledThumbnailFailsOnlyThatThumbnail) {
    // The service has no thumbnail for these uploads: the icon stands in,
    // and it is the icon's download that stalls.
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "stall", "path": "/icons/*", "stall_seconds": 300, "count": 1})"));
    Complete(Reply("/abc/stalled.png"));
    ASSERT_EQ(1u, recorded.size());
    EXPECT_EQ("abc_stalled.png", recorded[0].thumbName);
    EXPECT_EQ("<missing>", ReadWide(data + L"thumbs\\abc_stalled.png"));
    EXPECT_EQ("/icons/png.png", Targets().at(1));
    EXPECT_EQ("stall", DevService::Requests().at(1).fault);

    Complete(Reply("/def/next.png"));
    ASSERT_EQ(2u, recorded.size());
    EXPECT_EQ("\x89PNG", ReadWide(data + L"thumbs\\def_next.png").substr(0, 4));
}

TEST_F(CompleteUploadTest, HostileNamesStayInsideTheirFolders) {
    job.displayName = L"..\\..\\owned.txt";
    const char* tails[] = {"/../..", "/..\\..\\/..\\owned", "/C:/owned", "/CON/NUL", "/id/a:b*c?.png . ."};
    for (const char* tail : tails) Complete(Reply(tail));
    EXPECT_EQ(5u, recorded.size());
    for (const auto& file : FilesBelowRoot()) {
        if (file == "holiday.png") continue;
        const bool inThumbs = file.rfind("data\\thumbs\\", 0) == 0;
        const bool inUrls = file.rfind("data\\urls\\", 0) == 0;
        EXPECT_TRUE(inThumbs || inUrls) << file;
        const std::string name = file.substr(file.rfind('\\') + 1);
        EXPECT_EQ(std::string::npos, name.find_first_of("<>:\"/|?*")) << file;
    }
    EXPECT_EQ(ReadWide(data + L"thumbs\\id_a_b_c_.png").substr(0, 4), "\x89PNG");
    // "_CON__NUL" has its first "_" up front, so the shortcut's prefix is "_".
    if (IsWindows7OrLater()) {
        EXPECT_NE("<missing>", ReadWide(data + L"urls\\_.._.._owned.txt.url"));
    }
}

TEST_F(CompleteUploadTest, NonAsciiNamesArriveIntact) {
    // A UTF-8 profile folder and a UTF-8 name from the service.
    const std::wstring folder = root + L"\u00C5sa \u65E5\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"thumbs").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"urls").c_str(), nullptr));
    App().dataFolder = WideToUtf8(folder);
    Complete(Reply("/id9/Zo\xC3\xAB \xE6\x97\xA5.png"));
    EXPECT_EQ("\x89PNG", ReadWide(folder + L"thumbs\\id9_Zo\u00EB \u65E5.png").substr(0, 4));
    ASSERT_EQ(1u, recorded.size());
    EXPECT_EQ("id9_Zo\xC3\xAB \xE6\x97\xA5.png", recorded[0].thumbName);
}

TEST_F(CompleteUploadTest, TheProgramsHistoryStoreGetsTheRowAndItem) {
    SetHistoryRecorder(nullptr);
    Complete(Reply("/none/first.png"));  // no store yet: nothing recorded, nothing copied
    EXPECT_EQ(L"marker", ReadClipboardText());

    TempDir program;
    InstallHistoryTestSkin(program.path());
    HistoryStore store(nullptr, GetModuleHandleW(nullptr), WideToUtf8(data));
    ASSERT_TRUE(store.Open(WideToUtf8(data) + "history.db"));
    App().historyDatabase = &store;
    Complete(Reply("/abc/My Photo.png"));
    App().historyDatabase = nullptr;

    const auto items = store.Items();
    ASSERT_EQ(1u, items.size());
    const std::wstring url = Utf8ToWide(DevService::BaseUrl()) + L"/abc/My%20Photo.png";
    EXPECT_EQ(url, items[0]->Url());
    EXPECT_EQ(url, ReadClipboardText());
    for (GUIHistoryItem* item : items) delete item;
}

// The service's replies through the real queue: an address the shell would
// run, a registered protocol, and an icon that would send the thumbnail
// request (with the service's address as its user name) to another host.
TEST_F(CompleteUploadTest, HostileRepliesOfTheServiceOpenNothingAndGoNowhereElse) {
    Settings().SetAdvanced(L"adv_api_upload_uri", Utf8ToWide(DevService::UploadUrl()));
    UploadQueue queue;
    queue.SetCompletionHandler(CompleteUpload);
    for (const char* mode : {"file_path", "protocol_path", "hostile_icon"}) {
        ASSERT_TRUE(DevService::SetFault(std::string(R"({"mode": ")") + mode +
                                         R"(", "path": "/api/json", "count": 1})"));
        ASSERT_TRUE(queue.EnqueueFile(job.path, nullptr));
    }
    ASSERT_TRUE(PumpUntil([&] { return queue.QueuedCount() == 0 && !queue.IsBusy(); }, 30000));
    ASSERT_TRUE(queue.Stop(INFINITE));

    // Only the upload with a web address counts; the others are failures.
    ASSERT_EQ(1u, recorded.size());
    EXPECT_EQ(0u, recorded[0].url.rfind(DevService::BaseUrl(), 0));
    // Its icon was refused: no request under another user name or to the
    // icon's path, and nothing opened the reply's addresses.
    for (const auto& request : DevService::Requests()) {
        EXPECT_TRUE(request.authUser.empty()) << request.target;
        EXPECT_EQ(std::string::npos, request.target.find("stolen")) << request.target;
    }
}

// Completion runs on the worker and hands widget work to the main window's
// thread without waiting for it, so the owner of that window can destroy
// the queue (and wait for the worker) in the middle of a completion.
TEST_F(CompleteUploadTest, TheQueueCanGoWhileACompletionWorksForTheWindowsThread) {
    Settings().SetAdvanced(L"adv_api_upload_uri", Utf8ToWide(DevService::UploadUrl()));
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    SetMainWindowHandle(window);
    // The thumbnail request hangs for a while: the completion is under way.
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "stall", "path": "/files/thumbs/*", "stall_seconds": 2})"));
    auto queue = std::make_unique<UploadQueue>();
    queue->SetCompletionHandler(CompleteUpload);
    ASSERT_TRUE(queue->EnqueueFile(job.path, nullptr));
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (const auto& target : Targets()) {
                if (target.rfind("/files/thumbs/", 0) == 0) return true;
            }
            return false;
        },
        30000));
    queue.reset();  // this thread owns the window and does not pump meanwhile
    EXPECT_EQ(1u, recorded.size());
    SetMainWindowHandle(nullptr);
    DiscardPostedTasks(window);
    DestroyWindow(window);
}

}  // namespace
