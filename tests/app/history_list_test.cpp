// The history list against a real database, real files and the scroll area:
// a bounded set of views for any number of rows, scrolling to the oldest,
// deleting in a scrolled list, uploads arriving while scrolled, and rows
// that must not name files elsewhere.
#include "app/history_list.h"

#include <sqlite3.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "base/main_window_handle.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_text.h"
#include "gui/gui_test_support.h"
#include "gui/skinnable_window.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"
#include "history/history_test_support.h"
#include "history/history_views.h"
#include "support/png_writer.h"
#include "support/prompts.h"
#include "support/temp_dir.h"

namespace {

constexpr int kListHeight = 300;
constexpr int kRowHeight = 90;
constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;  // the test default thumbnail

int CountWindows(HWND parent) {
    int count = 0;
    EnumChildWindows(
        parent, [](HWND, LPARAM counter) -> BOOL {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

class HistoryListTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallHistoryTestSkin(program_.path());
        // The data folder is one level down, so files beside it can be watched.
        App().dataFolder = root_.path() + "\\data\\";
        for (const char* folder : {"", "thumbs", "urls"}) {
            CreateDirectoryW(Utf8ToWide(App().dataFolder + folder).c_str(), nullptr);
        }
        window_ = std::make_unique<SkinnableWindow>(TestInstance(), 240, kListHeight, 1,
                                                    L"history", WS_POPUP, 0);
        window_->Show(SW_SHOWNOACTIVATE);
        list_ = window_->AddPainter(std::make_unique<GUIScrollArea>(
            window_->MainWindow(), TestInstance(), 0, 0, 216, kListHeight));
        list_->SetItemHeight(kRowHeight);
        App().historyList = list_;
    }
    void TearDown() override {
        SetMainWindowHandle(nullptr);
        App().historyList = nullptr;
        window_.reset();  // the list first: its entries hold rows of the store
        App().historyDatabase = nullptr;
        store_.reset();
        PumpMessages();
    }

    std::string Data(const std::string& name) const { return App().dataFolder + name; }
    // `count` rows, oldest first: "row 0" ... with thumbnails t<i>.png and
    // shortcuts s<i>.url, files written for the first `files` of them (the
    // others share one green thumbnail, except the oldest, which is red).
    void MakeRows(int count, int files = 0) {
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(Data("history.db").c_str(), &db));
        sqlite3_exec(db,
                     "CREATE TABLE `history` (`thumb` text NOT NULL, `filename` text NOT NULL,"
                     "`date` text NOT NULL, `size` text NOT NULL,`url` text NOT NULL, `url_file` "
                     "text); BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO history VALUES (?, ?, 'Mon, 01/02/10 03:04', '~1kb', ?, ?)",
                           -1, &insert, nullptr);
        for (int i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            const std::string thumb = i < files ? "t" + n + ".png" : i == 0 ? "oldest.png" : "common.png";
            const std::string name = "row " + n;
            const std::string url = "http://x/" + n;
            const std::string shortcut = "s" + n + ".url";
            sqlite3_bind_text(insert, 1, thumb.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, url.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, shortcut.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
            if (i < files) {
                ASSERT_TRUE(WriteThumb(thumb, 0xFF00FF00u));
                ASSERT_TRUE(WriteBytes(Data("urls\\" + shortcut), "[InternetShortcut]"));
            }
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (files < count) {
            ASSERT_TRUE(WriteThumb("common.png", 0xFF00FF00u));
            ASSERT_TRUE(WriteThumb("oldest.png", kRed));
        }
    }
    bool WriteThumb(const std::string& name, std::uint32_t argb) {
        return WritePng(Data("thumbs\\" + name), 69, 69,
                        SolidRgba(69, 69, argb >> 16, argb >> 8, argb, argb >> 24));
    }
    void Load() {
        store_ = LoadHistoryList(TestInstance(), nullptr);
        Repaint();
    }
    void Repaint() {
        window_->Relayout(nullptr);
        window_->PaintNow();
    }
    void Settle() {
        for (int i = 0; i < 100 && list_->IsAnimating(); ++i) {
            SendMessageW(list_->ThumbWindow(), WM_TIMER, GUIScrollArea::kAnimationTimer, 0);
        }
        Repaint();
    }
    std::uint32_t Pixel(int x, int y) const { return window_->BackBufferPixel(x, y); }
    GUIHistoryItem* View(std::size_t index) const {
        return static_cast<GUIHistoryItem*>(list_->ViewAt(index));
    }
    // The row each drawn view shows, by its top.
    std::map<int, std::wstring> Shown() const {
        std::map<int, std::wstring> shown;
        for (std::size_t i = 0; i < list_->Items().size(); ++i) {
            GUIHistoryItem* view = View(i);
            if (!view) continue;
            const int top = view->Position().y;
            if (top > -kRowHeight && top < kListHeight) shown[top] = view->FileName();
        }
        return shown;
    }
    void Click(GUIButton* button) {
        SendMessageW(button->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(button->Window(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    int RowsNamed(const std::string& name) {
        sqlite3* db = nullptr;
        sqlite3_open(Data("history.db").c_str(), &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM history WHERE filename = ?", -1, &statement,
                           nullptr);
        sqlite3_bind_text(statement, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        const int rows = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

    TempDir program_;
    TempDir root_;
    RecordedPrompts prompts_;
    std::unique_ptr<SkinnableWindow> window_;
    GUIScrollArea* list_ = nullptr;  // the window's
    std::unique_ptr<HistoryStore> store_;
};

TEST_F(HistoryListTest, TenThousandRowsOpenWithABoundedSetOfWindowsAndScrollToTheOldest) {
    MakeRows(10000);
    Load();
    ASSERT_EQ(10000u, list_->Items().size());
    EXPECT_EQ(L"row 9999", View(0)->FileName());  // newest first
    EXPECT_EQ(0, View(0)->Position().y);
    // The content window, the thumb, and three per view (title, copy, delete).
    const int bound = 2 + 3 * static_cast<int>(list_->ViewBound());
    EXPECT_LE(CountWindows(window_->MainWindow()), bound);
    EXPECT_LE(list_->ViewCount(), list_->ViewBound());

    list_->SetScrollPosition(100);
    Repaint();
    GUIHistoryItem* oldest = View(9999);
    ASSERT_NE(nullptr, oldest);
    EXPECT_EQ(L"row 0", oldest->FileName());
    EXPECT_EQ(L"row 0", oldest->Title()->Label()->Text());
    const int top = oldest->Position().y;
    EXPECT_EQ(kListHeight - 2 - kRowHeight, top);  // the last row ends at the view's bottom
    EXPECT_EQ(kRed, Pixel(34, top + 34));          // its own thumbnail
    EXPECT_LE(CountWindows(window_->MainWindow()), bound);
    // Thumbnails are decoded as they come into view, once each.
    auto* views = static_cast<HistoryViews*>(list_->ViewSource());
    EXPECT_EQ(2u, views->Decodes());
    list_->SetScrollPosition(0);
    Repaint();
    EXPECT_EQ(2u, views->Decodes());
}

TEST_F(HistoryListTest, DeletingInTheMiddleOfAScrolledListRemovesExactlyThatRow) {
    MakeRows(50, 50);
    Load();
    SetMainWindowHandle(window_->MainWindow());
    list_->SetScrollOffset(20 * kRowHeight);  // "row 29" at the top
    Repaint();
    GUIHistoryItem* doomed = View(21);
    ASSERT_NE(nullptr, doomed);
    ASSERT_EQ(L"row 28", doomed->FileName());
    const int doomedTop = doomed->Position().y;
    EXPECT_EQ(kRowHeight, doomedTop);

    Click(doomed->DeleteButton());
    EXPECT_EQ(0, RowsNamed("row 28"));
    EXPECT_EQ(1, RowsNamed("row 27"));
    EXPECT_EQ(49u, App().historyDatabase->RowCount());
    EXPECT_FALSE(FileExists(Data("thumbs\\t28.png")));
    EXPECT_FALSE(FileExists(Data("urls\\s28.url")));
    EXPECT_TRUE(FileExists(Data("thumbs\\t27.png")));
    EXPECT_TRUE(FileExists(Data("urls\\s29.url")));
    MSG posted{};
    const UINT rebuild = RegisterWindowMessageW(L"vlt.UpdateJumpList");
    EXPECT_TRUE(PeekMessageW(&posted, window_->MainWindow(), rebuild, rebuild, PM_REMOVE));

    Settle();
    ASSERT_EQ(49u, list_->Items().size());
    const auto shown = Shown();
    ASSERT_TRUE(shown.count(0));
    EXPECT_EQ(L"row 29", shown.at(0));
    EXPECT_EQ(L"row 27", shown.at(doomedTop));  // the following entries moved up
    EXPECT_EQ(L"row 26", shown.at(doomedTop + kRowHeight));
}

TEST_F(HistoryListTest, AnUploadArrivingWhileScrolledKeepsTheVisibleEntriesInPlace) {
    MakeRows(50, 50);
    Load();
    list_->SetScrollOffset(20 * kRowHeight + 45);
    Repaint();
    const auto before = Shown();
    ASSERT_GE(before.size(), 3u);

    WriteThumb("new.png", kRed);
    // As the upload worker does: the row is written there, the list takes
    // it on its own thread.
    const HWND window = window_->MainWindow();
    std::thread worker([window] {
        const HistoryRowPtr row =
            App().historyDatabase->Insert("new.png", L"new.png", "~1kb", "http://x/new", nullptr);
        PostToWindowThread(window, [row] { AddToHistoryList(row); });
    });
    worker.join();
    PumpMessages();
    Settle();
    EXPECT_EQ(51u, list_->Items().size());
    EXPECT_EQ(before, Shown());
    EXPECT_EQ(21 * kRowHeight + 45, list_->ScrollOffset());

    // At the top the new entry is in view: it slides in there.
    list_->SetScrollOffset(0);
    AddToHistoryList(App().historyDatabase->Insert("new.png", L"newer.png", "~1kb", "u", nullptr));
    EXPECT_EQ(1u, list_->PendingInsertCount());
    Settle();
    EXPECT_EQ(L"newer.png", Shown().at(0));
    EXPECT_EQ(L"new.png", Shown().at(kRowHeight));
}

// Wheel steps, jumps, thumb drags, arrivals and deletions in a random order:
// the pool stays within its bound and every view in sight shows the row
// that belongs at its place.
TEST_F(HistoryListTest, ViewPoolNeverPassesItsBoundDuringALongRandomScroll) {
    MakeRows(300);
    Load();
    SetMainWindowHandle(window_->MainWindow());
    std::mt19937 random(20240607);
    int arrivals = 0;
    for (int step = 0; step < 400; ++step) {
        switch (random() % 7) {
        case 0:
            for (int i = random() % 6; i >= 0; --i) list_->ScrollDown();
            break;
        case 1:
            for (int i = random() % 6; i >= 0; --i) list_->ScrollUp();
            break;
        case 2:
            list_->SetScrollPosition(static_cast<int>(random() % 101));
            break;
        case 3: {  // drag the thumb somewhere along its track
            const HWND thumb = list_->ThumbWindow();
            SendMessageW(thumb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));
            SendMessageW(thumb, WM_MOUSEMOVE, MK_LBUTTON,
                         MAKELPARAM(5, static_cast<short>(random() % 400) - 50));
            SendMessageW(thumb, WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
            break;
        }
        case 4:
            AddToHistoryList(App().historyDatabase->Insert(
                "common.png", L"arrival " + std::to_wstring(arrivals++), "~1kb", "u", nullptr));
            break;
        case 5: {  // delete an entry in view
            const auto shown = Shown();
            for (std::size_t i = 0; i < list_->Items().size(); ++i) {
                GUIHistoryItem* view = View(i);
                if (view && shown.count(view->Position().y) && random() % 2) {
                    Click(view->DeleteButton());
                    break;
                }
            }
            break;
        }
        default:
            for (int i = random() % 4; i >= 0; --i) {
                SendMessageW(list_->ThumbWindow(), WM_TIMER, GUIScrollArea::kAnimationTimer, 0);
            }
        }
        Repaint();
        ASSERT_LE(list_->ViewCount(), list_->ViewBound()) << "step " << step;
        if (list_->IsAnimating()) continue;
        const int offset = list_->ScrollOffset();
        for (std::size_t i = 0; i < list_->Items().size(); ++i) {
            const int top = static_cast<int>(i) * kRowHeight - offset;
            if (top <= -kRowHeight || top >= kListHeight) continue;
            GUIHistoryItem* view = View(i);
            ASSERT_NE(nullptr, view) << "step " << step << ", entry " << i;
            EXPECT_EQ(top, view->Position().y) << "step " << step << ", entry " << i;
            EXPECT_EQ(list_->Items()[i].get(), view->Row().get()) << "step " << step;
        }
    }
    EXPECT_GT(arrivals, 20);
    EXPECT_LT(App().historyDatabase->RowCount(), 300u + arrivals);  // some were deleted
}

// A restored or edited database may name files anywhere: its rows show the
// default thumbnail and no shortcut, and deleting them deletes only the row.
TEST_F(HistoryListTest, TamperedRowsDeleteNothingOutsideTheirFolders) {
    ASSERT_TRUE(WriteBytes(root_.File("report.docx"), "keep me"));
    ASSERT_TRUE(WriteBytes(root_.File("notes.url"), "keep me too"));
    MakeRows(1);
    {
        sqlite3* db = nullptr;
        sqlite3_open(Data("history.db").c_str(), &db);
        sqlite3_exec(db,
                     "UPDATE history SET thumb = '..\\report.docx', url_file = '..\\notes.url'",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    Load();
    GUIHistoryItem* view = View(0);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ("", view->Row()->thumb);
    EXPECT_EQ("", view->Row()->shortcut);
    EXPECT_EQ(kBlue, Pixel(34, 34));
    Click(view->DeleteButton());
    EXPECT_EQ(0, RowsNamed("row 0"));
    EXPECT_TRUE(FileExists(root_.File("report.docx")));
    EXPECT_TRUE(FileExists(root_.File("notes.url")));
}

// Older versions could give two uploads one shortcut file: it stays until
// the last entry that names it goes.
TEST_F(HistoryListTest, ASharedShortcutFileStaysWhileAnotherRowNamesIt) {
    MakeRows(2, 2);
    {
        sqlite3* db = nullptr;
        sqlite3_open(Data("history.db").c_str(), &db);
        sqlite3_exec(db, "UPDATE history SET url_file = 's0.url'", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    Load();
    Click(View(0)->DeleteButton());
    EXPECT_EQ(0, RowsNamed("row 1"));
    EXPECT_TRUE(FileExists(Data("urls\\s0.url")));
    Settle();
    Click(View(0)->DeleteButton());
    EXPECT_EQ(0, RowsNamed("row 0"));
    EXPECT_FALSE(FileExists(Data("urls\\s0.url")));
}

TEST_F(HistoryListTest, ADeleteTheDatabaseRefusesKeepsEverythingAndSaysSo) {
    MakeRows(3, 3);
    Load();
    sqlite3* blocker = nullptr;
    sqlite3_open(Data("history.db").c_str(), &blocker);
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(blocker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr));
    Click(View(1)->DeleteButton());
    sqlite3_exec(blocker, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(blocker);

    const auto prompts = prompts_.Texts();
    ASSERT_EQ(1u, prompts.size());
    EXPECT_NE(std::wstring::npos, prompts[0].find(L"could not be deleted"));
    EXPECT_EQ(1, RowsNamed("row 1"));
    EXPECT_TRUE(FileExists(Data("thumbs\\t1.png")));
    EXPECT_TRUE(FileExists(Data("urls\\s1.url")));
    EXPECT_EQ(3u, App().historyDatabase->RowCount());
    Settle();
    EXPECT_EQ(3u, list_->Items().size());
}

TEST_F(HistoryListTest, AHistoryThatCannotBeOpenedIsReportedOnce) {
    // A folder where the database should be.
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(Data("history.db")).c_str(), nullptr));
    Load();
    EXPECT_FALSE(App().historyDatabase->IsOpen());
    EXPECT_TRUE(prompts_.Texts().empty());  // not before the message loop runs
    for (int i = 0; i < 50 && prompts_.Texts().empty(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    ASSERT_EQ(1u, prompts_.Texts().size());
    EXPECT_NE(std::wstring::npos, prompts_.Texts()[0].find(L"history.db"));
    Sleep(50);
    PumpMessages();
    EXPECT_EQ(1u, prompts_.Texts().size());
    EXPECT_TRUE(list_->Items().empty());
}

}  // namespace
