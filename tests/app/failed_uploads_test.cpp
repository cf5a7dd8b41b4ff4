// Uploads that fail, as the user meets them: the real queue, completion,
// history list and pending table against the development service. A refused
// capture and an unreadable reply become failed entries at once; they come
// back after a restart, with a waiting job whose file is gone and without a
// row that names a file it was never given; Retry sends one once the service
// is mended, Remove deletes the other and only the program's own files.
#include <sqlite3.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/complete_upload.h"
#include "app/failed_uploads.h"
#include "app/history_list.h"
#include "app/pending_uploads.h"
#include "base/main_window_handle.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_test_support.h"
#include "gui/gui_text.h"
#include "gui/skinnable_window.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"
#include "history/history_test_support.h"
#include "support/devservice.h"
#include "support/process.h"
#include "support/prompts.h"
#include "support/temp_dir.h"
#include "upload/statistics_ping.h"

namespace {

constexpr int kListHeight = 300;

class FailedUploadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available());
        DefineDefaultSettings(Settings());
        Settings().SetAdvanced(L"adv_api_upload_uri", Utf8ToWide(DevService::UploadUrl()));
        Settings().SetAdvanced(L"adv_main_uri", Utf8ToWide(DevService::BaseUrl()));
        Settings().SetBool(L"ShowToastAlerts", false);
        Settings().SetBool(L"AutocopyURL", false);
        SetStatisticsBaseUrl(DevService::BaseUrl().c_str());
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        InstallHistoryTestSkin(program_.path());
        App().dataFolder = root_.path() + "\\data\\";
        for (const char* folder : {"", "thumbs", "urls", "captures"}) {
            CreateDirectoryW(Utf8ToWide(Data(folder)).c_str(), nullptr);
        }
        Start();
    }
    void TearDown() override {
        Stop();
        SetStatisticsBaseUrl(nullptr);
    }

    // The program's start-up, as far as these parts go.
    void Start() {
        window_ = std::make_unique<SkinnableWindow>(TestInstance(), 240, kListHeight, 1, L"history", WS_POPUP, 0);
        window_->Show(SW_SHOWNOACTIVATE);
        SetMainWindowHandle(window_->MainWindow());
        list_ = window_->AddPainter(
            std::make_unique<GUIScrollArea>(window_->MainWindow(), TestInstance(), 0, 0, 216, kListHeight));
        list_->SetItemHeight(90);
        App().historyList = list_;
        queue_ = std::make_unique<UploadQueue>();
        queue_->SetPaused(true);
        queue_->SetCompletionHandler(CompleteUpload);
        queue_->SetFailureListener(OnUploadFailedForGood);
        queue_->SetChangeListener(OnUploadQueueChanged);
        App().uploadQueue = queue_.get();
        store_ = LoadHistoryList(TestInstance(), nullptr);
        pending_ = std::make_unique<PendingStore>(*store_);
        RestorePendingUploads(*queue_, *pending_, journal_);
        queue_->SetPaused(false);
    }
    // The program ending (as after a kill, nothing more is written).
    void Stop() {
        queue_->Stop(INFINITE);
        App().uploadQueue = nullptr;
        SetMainWindowHandle(nullptr);
        App().historyList = nullptr;
        window_.reset();
        queue_.reset();
        journal_.reset();
        pending_.reset();
        App().historyDatabase = nullptr;
        store_.reset();
        PumpMessages();
    }

    std::string Data(const std::string& name) const { return App().dataFolder + name; }
    template <typename Done>
    bool Until(Done done) {
        return PumpUntil(
            [&] {
                window_->PaintNow();
                return done();
            },
            30000);
    }
    GUIHistoryItem* View(std::size_t index) {
        window_->Relayout(nullptr);
        window_->PaintNow();
        return static_cast<GUIHistoryItem*>(list_->ViewAt(index));
    }
    bool Settled() {
        for (int i = 0; i < 100 && list_->IsAnimating(); ++i) {
            SendMessageW(list_->ThumbWindow(), WM_TIMER, GUIScrollArea::kAnimationTimer, 0);
        }
        return !list_->IsAnimating();
    }
    std::wstring Reason(GUIHistoryItem* view) {
        const std::wstring second = view->ReasonText(1)->Text();
        return view->ReasonText(0)->Text() + (second.empty() ? L"" : L" " + second);
    }
    void Click(GUIButton* button) {
        ASSERT_NE(nullptr, button);
        ASSERT_TRUE(IsWindowVisible(button->Window()));
        SendMessageW(button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(button->Window(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    // The first column of `sql` on a connection of the test's own.
    std::vector<std::string> Column(const std::string& sql) {
        std::vector<std::string> values;
        sqlite3* db = nullptr;
        sqlite3_open(Data("history.db").c_str(), &db);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                const unsigned char* text = sqlite3_column_text(statement, 0);
                values.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
            }
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return values;
    }
    std::size_t UploadsOf(const std::string& name) {
        std::size_t count = 0;
        for (const LoggedRequest& request : DevService::Requests()) {
            if (!request.parts.empty() && request.parts[0].filename == name) ++count;
        }
        return count;
    }

    TempDir program_;
    TempDir root_;
    TempDir users_;
    RecordedPrompts prompts_;
    std::unique_ptr<SkinnableWindow> window_;
    GUIScrollArea* list_ = nullptr;
    std::unique_ptr<UploadQueue> queue_;
    std::unique_ptr<HistoryStore> store_;
    std::unique_ptr<PendingStore> pending_;
    std::unique_ptr<PendingJournal> journal_;
};

TEST_F(FailedUploadsTest, FailedUploadsWaitVisiblyAcrossARestartForRetryOrRemove) {
    // A capture the service refuses, and a file whose answer is not JSON.
    const std::string capture = Data("captures\\capture-20261209-010203-1.png");
    const std::string users = users_.File("notes.txt");
    ASSERT_TRUE(WriteBytes(capture, "the only copy"));
    ASSERT_TRUE(WriteBytes(users, "my notes"));
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "path": "/api/json", "status": 413, "count": 1})"));
    ASSERT_TRUE(queue_->EnqueueCapture(Utf8ToWide(capture), L"whiteboard.png"));
    ASSERT_TRUE(Until([&] { return list_->Items().size() == 1 && Settled(); }));
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "malformed_json", "path": "/api/json", "count": 1})"));
    ASSERT_TRUE(queue_->EnqueueFile(Utf8ToWide(users), nullptr));
    ASSERT_TRUE(Until([&] { return list_->Items().size() == 2 && Settled(); }));

    // Failed at once, in the failed look, the newest on top; no retry.
    Sleep(300);
    PumpMessages();
    EXPECT_EQ(1u, UploadsOf("whiteboard.png"));
    EXPECT_EQ(1u, UploadsOf("notes.txt"));
    GUIHistoryItem* top = View(0);
    ASSERT_NE(nullptr, top);
    EXPECT_TRUE(top->ShowsFailure());
    EXPECT_EQ(L"notes.txt", top->FileName());
    EXPECT_EQ(L"The service's answer could not be read", Reason(top));
    EXPECT_FALSE(IsWindowVisible(top->CopyButton()->Window()));
    EXPECT_TRUE(IsWindowVisible(top->RetryButton()->Window()));
    EXPECT_EQ(kFailedTileColour, window_->BackBufferPixel(34, 34));
    EXPECT_EQ(L"whiteboard.png", View(1)->FileName());
    EXPECT_EQ(L"The service refused the file (413)", Reason(View(1)));
    EXPECT_EQ((std::vector<std::string>{"3", "4"}), Column("SELECT failure FROM pending ORDER BY id"));
    EXPECT_TRUE(Column("SELECT filename FROM history").empty());
    EXPECT_EQ(0u, queue_->WaitingCount());
    EXPECT_EQ(2u, queue_->FailedCount());

    // The program ends. Meanwhile the table gains a row that names a user's
    // file as the program's own (it would be deleted after its upload), and
    // a waiting job whose file has gone.
    Stop();
    const std::string stranger = users_.File("thesis.docx");
    ASSERT_TRUE(WriteBytes(stranger, "not given to the program"));
    {
        sqlite3* db = nullptr;
        sqlite3_open(Data("history.db").c_str(), &db);
        const std::string sql = "INSERT INTO pending (kind, path, own) VALUES (3, '" + stranger +
                                "', 1), (1, '" + users_.File("gone.txt") + "', 0)";
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
        sqlite3_close(db);
    }
    Start();
    // Both failed entries are back; the gone file joins them; the stranger
    // is left out, said once, and its file is untouched.
    ASSERT_TRUE(Until([&] { return list_->Items().size() == 3 && Settled() && !prompts_.Texts().empty(); }));
    EXPECT_EQ(L"gone.txt", View(0)->FileName());
    EXPECT_EQ(L"The file is no longer there", Reason(View(0)));
    EXPECT_EQ(1u, prompts_.Texts().size());
    EXPECT_NE(std::wstring::npos, prompts_.Texts()[0].find(L"could not be read"));
    EXPECT_EQ("not given to the program", ReadBytes(stranger));
    EXPECT_EQ(0u, UploadsOf("thesis.docx"));
    EXPECT_EQ(3u, Column("SELECT id FROM pending").size());

    // Retry with the service mended: the upload, its history row, the
    // capture's file gone; the entry leaves.
    GUIHistoryItem* whiteboard = View(2);
    ASSERT_EQ(L"whiteboard.png", whiteboard->FileName());
    Click(whiteboard->RetryButton());
    ASSERT_TRUE(Until([&] { return Column("SELECT filename FROM history").size() == 1 && !FileExists(capture); }));
    EXPECT_EQ((std::vector<std::string>{"whiteboard.png"}), Column("SELECT filename FROM history"));
    EXPECT_EQ(2u, UploadsOf("whiteboard.png"));
    ASSERT_TRUE(Until([&] { return Settled() && list_->Items().size() == 3; }));  // two failed, one uploaded
    EXPECT_FALSE(View(0)->ShowsFailure());
    EXPECT_EQ(L"whiteboard.png", View(0)->FileName());

    // Remove: the entry and its row go, the user's own file stays.
    GUIHistoryItem* notes = nullptr;
    for (std::size_t i = 0; i < list_->Items().size(); ++i) {
        if (View(i) && View(i)->FileName() == L"notes.txt") notes = View(i);
    }
    ASSERT_NE(nullptr, notes);
    Click(notes->RemoveButton());
    ASSERT_TRUE(Until([&] { return Settled() && list_->Items().size() == 2; }));
    EXPECT_EQ("my notes", ReadBytes(users));
    EXPECT_EQ((std::vector<std::string>{"5"}), Column("SELECT failure FROM pending"));  // gone.txt
    EXPECT_EQ(1u, UploadsOf("notes.txt"));
    EXPECT_EQ(1u, queue_->FailedCount());
}

}  // namespace
