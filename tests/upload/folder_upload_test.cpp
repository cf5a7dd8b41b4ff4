// Folders: their size in 64 bits, the question before an oversized one, and a
// whole folder arriving at the service as a ZIP archive named after it.
#include <gtest/gtest.h>

#include <minizip/unzip.h>
#include <minizip/iowin32.h>  // after unzip.h, which it needs

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/devservice.h"
#include "support/temp_dir.h"
#include "upload/json_reader.h"
#include "upload/upload_queue.h"

namespace {

using namespace std::chrono_literals;

struct Delivered {
    std::wstring path;
    std::wstring displayName;
    UploadKind kind;
    std::string reply;
    bool success;
};

std::mutex lock;
std::condition_variable changed;
std::vector<Delivered> outcomes;
std::vector<std::wstring> questions;
int answer = IDNO;

bool Record(JobOutcome outcome) {
    std::lock_guard<std::mutex> hold(lock);
    outcomes.push_back({outcome.job->path, outcome.job->displayName, outcome.job->kind, outcome.reply,
                        outcome.success});
    changed.notify_all();
    return outcome.success;
}

int Answer(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    std::lock_guard<std::mutex> hold(lock);
    if (std::wstring(caption) == L"vantorel liftorn" && type == (MB_YESNO | MB_ICONEXCLAMATION)) {
        questions.push_back(text);
    }
    return answer;
}

bool WaitForOutcome() {
    std::unique_lock<std::mutex> hold(lock);
    return changed.wait_for(hold, 120s, [] { return !outcomes.empty(); });
}

bool MakeSparseFile(const std::wstring& path, LONGLONG size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

// Every entry of a ZIP archive in memory: name (as stored) to contents.
std::map<std::string, std::string> Unzip(const std::string& bytes, const std::string& scratchFile) {
    std::map<std::string, std::string> entries;
    if (!WriteBytes(scratchFile, bytes)) return entries;
    zlib_filefunc64_def io;
    fill_win32_filefunc64W(&io);
    unzFile zip = unzOpen2_64(Utf8ToWide(scratchFile).c_str(), &io);
    if (!zip) return entries;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        char name[1024];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            break;
        }
        std::string data;
        char chunk[65536];
        int got;
        while ((got = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0) data.append(chunk, got);
        if (unzCloseCurrentFile(zip) == UNZ_OK && got == 0) entries[name] = data;
    }
    unzClose(zip);
    return entries;
}

// Temporary archives left in the data folder.
int LeftoverArchives(const std::string& dataFolder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(dataFolder + "vt_*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

class FolderUpload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        Settings().SetAdvanced(L"adv_api_upload_uri", Utf8ToWide(DevService::UploadUrl()));
        queue.SetArchiveFolder(Utf8ToWide(data.path() + "\\"));
        ASSERT_TRUE(DevService::ClearLog());
        outcomes.clear();
        questions.clear();
        queue.SetCompletionHandler(&Record);
        folder = root.File("Holiday Pics");
        ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr));
    }
    ScopedSeams seams_{Seams{&Answer}};

    void Write(const std::string& relative, const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(folder + "\\" + relative, bytes));
    }

    TempDir root;
    TempDir data;
    std::string folder;
    UploadQueue queue;
};

TEST_F(FolderUpload, SizesAreSummedInSixtyFourBits) {
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder + "\\deep").c_str(), nullptr));
    Write("a.txt", "12345");
    Write("deep\\b.txt", "123");
    EXPECT_EQ(8u, FolderSize(Utf8ToWide(folder)));
    EXPECT_EQ(8u, FolderSize(Utf8ToWide(folder + "\\")));
    ASSERT_TRUE(MakeSparseFile(Utf8ToWide(folder + "\\deep\\huge.bin"), 4LL << 30));
    EXPECT_EQ((4ull << 30) + 8, FolderSize(Utf8ToWide(folder)));
    EXPECT_EQ(0u, FolderSize(Utf8ToWide(folder + "\\missing")));
}

TEST_F(FolderUpload, AnOversizedFolderIsAskedAboutAndLeftAloneOnNo) {
    Write("a.txt", "small");
    ASSERT_TRUE(MakeSparseFile(Utf8ToWide(folder + "\\huge.bin"), 4LL << 30));  // wraps to 0 in 32 bits
    answer = IDNO;
    queue.EnqueueFolder(Utf8ToWide(folder));
    ASSERT_TRUE(WaitForOutcome());

    ASSERT_EQ(1u, questions.size());
    EXPECT_EQ(L"The folder 'Holiday Pics' is greater than the allowed size (50MB).\nIf the compressed size of the "
              L"directory is still greater than the allowed size, the upload will fail.\n\nDo you wish to continue?",
              questions[0]);
    EXPECT_FALSE(outcomes[0].success);
    EXPECT_EQ(UploadKind::Folder, outcomes[0].kind);
    EXPECT_TRUE(DevService::Requests().empty());
    EXPECT_EQ("small", ReadBytes(folder + "\\a.txt"));
    EXPECT_EQ(0, LeftoverArchives(data.path() + "\\"));
}

TEST_F(FolderUpload, AFolderArrivesAsAnArchiveNamedAfterIt) {
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder + "\\sub").c_str(), nullptr));
    Write("a.txt", "first file");
    Write("sub\\b.bin", std::string(70000, 'b'));
    // Over the limit, but it packs small: the user agrees and it is sent.
    ASSERT_TRUE(MakeSparseFile(Utf8ToWide(folder + "\\sub\\zeros.bin"), UploadLimitBytes + 1));
    answer = IDYES;
    queue.EnqueueFolder(Utf8ToWide(folder));
    ASSERT_TRUE(WaitForOutcome());

    EXPECT_EQ(1u, questions.size());
    ASSERT_TRUE(outcomes[0].success);
    EXPECT_EQ(L"Holiday Pics.zip", outcomes[0].displayName);
    const auto log = DevService::Requests();
    ASSERT_EQ(1u, log.size());
    ASSERT_EQ(1u, log[0].parts.size());
    EXPECT_EQ("Holiday Pics.zip", log[0].parts[0].filename);

    const auto entries = Unzip(DevService::StoredUpload(ReplyPath(outcomes[0].reply)), root.File("check.zip"));
    EXPECT_EQ("first file", entries.at("Holiday Pics/a.txt"));
    EXPECT_EQ(std::string(70000, 'b'), entries.at("Holiday Pics/sub/b.bin"));
    EXPECT_EQ(UploadLimitBytes + 1, entries.at("Holiday Pics/sub/zeros.bin").size());

    EXPECT_EQ(0, LeftoverArchives(data.path() + "\\"));  // the temporary archive is gone
    EXPECT_EQ("first file", ReadBytes(folder + "\\a.txt"));
}

TEST_F(FolderUpload, AFolderReplacedByAFileIsSentButNeverDeleted) {
    queue.SetPaused(true);
    queue.EnqueueFolder(Utf8ToWide(folder));
    // Before the worker gets to it, the folder becomes a file of the user's.
    ASSERT_TRUE(RemoveDirectoryW(Utf8ToWide(folder).c_str()));
    ASSERT_TRUE(WriteBytes(folder, "the user's own file"));
    queue.SetPaused(false);
    ASSERT_TRUE(WaitForOutcome());

    EXPECT_TRUE(outcomes[0].success);
    const auto log = DevService::Requests();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("Holiday Pics", log[0].parts[0].filename);
    EXPECT_EQ("the user's own file", ReadBytes(folder));
}

TEST_F(FolderUpload, ACancelWhileTheFolderIsPackedSendsNothing) {
    // Enough incompressible bytes that packing takes a moment.
    std::mt19937 random(7);
    std::string noise(40 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    Write("noise.bin", noise);
    queue.EnqueueFolder(Utf8ToWide(folder));
    const auto start = std::chrono::steady_clock::now();
    while (LeftoverArchives(data.path() + "\\") == 0 && std::chrono::steady_clock::now() - start < 20s) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(1, LeftoverArchives(data.path() + "\\")) << "packing never started";
    queue.CancelCurrent();
    ASSERT_TRUE(WaitForOutcome());

    EXPECT_FALSE(outcomes[0].success);
    EXPECT_TRUE(DevService::Requests().empty());
    EXPECT_EQ(0, LeftoverArchives(data.path() + "\\"));
    EXPECT_EQ(noise.size(), ReadBytes(folder + "\\noise.bin").size());
}

}  // namespace
