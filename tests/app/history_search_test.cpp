// Searching the history on the real main window and skin with real input:
// Ctrl+F, typing, the count line, the highlight walked with the arrows,
// Ctrl+C, Enter and Delete on it, uploads arriving meanwhile, a text that
// finds nothing, and the whole list back where it was after clearing the box
// and after Escape.
#include "app/history_search.h"

#include <sqlite3.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "app/failed_uploads.h"
#include "app/history_list.h"
#include "app/main_window.h"
#include "base/main_window_handle.h"
#include "base/seams.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/font_face.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_test_support.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"
#include "support/process.h"
#include "support/prompts.h"
#include "support/real_input.h"
#include "support/temp_dir.h"
#include "upload/upload_queue.h"

namespace {

constexpr int kRows = 300;
constexpr int kRowHeight = 90;

std::vector<std::wstring> opened;
bool RecordOpen(const wchar_t* target) {
    opened.push_back(target);
    return true;
}
// Uploads made during the test are dated in March 2026.
SYSTEMTIME MarchDay() {
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = 14;
    time.wDayOfWeek = 6;
    time.wHour = 12;
    return time;
}

// Every 25th row is "Café terrace <i>.jpg", the others "photo-<i>.png";
// row i is dated in month 1 + (i / 25) % 6 of 2026, so "café 2026-03" finds
// rows 50 and 200.
void MakeRows(const std::string& database) {
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(database.c_str(), &db));
    sqlite3_exec(db,
                 "CREATE TABLE `history` (`thumb` text NOT NULL, `filename` text NOT NULL,"
                 "`date` text NOT NULL, `size` text NOT NULL,`url` text NOT NULL, `url_file` text);"
                 "BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO history VALUES ('t.png', ?, ?, '~1kb', ?, NULL)", -1,
                       &insert, nullptr);
    for (int i = 0; i < kRows; ++i) {
        const std::string n = std::to_string(i);
        const std::string name = i % 25 == 0 ? "Caf\xc3\xa9 terrace " + n + ".jpg" : "photo-" + n + ".png";
        const std::string date = "Mon, 05/0" + std::to_string(1 + (i / 25) % 6) + "/26 10:00";
        const std::string url = "http://files.test/f/" + n;
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, url.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

bool created = false;
// Kept for the whole test program, like the program keeps them.
TempDir* data = nullptr;
std::unique_ptr<SkinnableWindow> window;
std::unique_ptr<UploadQueue> queue;
std::unique_ptr<HistoryStore> store;
std::unique_ptr<HistorySearch> search;
std::unique_ptr<ScopedSeams> seams;

class HistorySearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DefineDefaultSettings(Settings());
        Settings().SetInt(L"PositionX", 40);
        Settings().SetInt(L"PositionY", 40);
        App().programFolder = TestProgramFolder();
        ASSERT_TRUE(LoadSkinCatalogue(App().programFolder));
        SetDefaultFonts(StartupFontList());
        data = new TempDir;
        App().dataFolder = data->path() + "\\";
        CreateDirectoryW(Utf8ToWide(App().dataFolder + "thumbs").c_str(), nullptr);
        MakeRows(App().dataFolder + "history.db");
        queue = std::make_unique<UploadQueue>();
        queue->SetPaused(true);
        App().uploadQueue = queue.get();
        Seams stand_ins;
        stand_ins.shellOpen = &RecordOpen;
        stand_ins.localTime = &MarchDay;
        seams = std::make_unique<ScopedSeams>(stand_ins);
        created = CreateMainWindow(TestInstance(), window, kBaseDpi);
        CreateMainButtons(TestInstance());
        CreateMainPage(TestInstance());
        store = LoadHistoryList(TestInstance(), nullptr);
        search = CreateHistorySearch(TestInstance());
        App().mainWindow->Show(SW_SHOW);
        PumpUntil([] { return false; }, 300);
    }
    static void TearDownTestSuite() {
        search.reset();
        window.reset();
        store.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(created);
        ASSERT_NE(nullptr, search);
        search->Close();
        SetForegroundWindow(Window());
        SetFocus(Window());
        SetCursorPos(1200, 1000);
        PumpUntil([] { return false; }, 50);
    }

    static HWND Window() { return App().mainWindow->MainWindow(); }
    static GUIScrollArea& List() { return *App().historyList; }

    // Tests running beside this one may show windows that take the
    // keyboard: it comes back to where the search left it before each key.
    static void KeepKeyboard() {
        if (GetForegroundWindow() != Window()) SetForegroundWindow(Window());
        const HWND wanted = search->IsOpen() ? search->Box()->Window() : Window();
        if (GetFocus() != wanted) SetFocus(wanted);
    }
    static void Tap(WORD key) {
        KeepKeyboard();
        Press(key);
    }
    static void Chord(WORD modifier, WORD key) {
        KeepKeyboard();
        Key(modifier, true);
        Press(key);
        Key(modifier, false);
    }
    // Types and waits for the answer to what the box then holds.
    static void TypeAndWait(const std::wstring& text) {
        for (const wchar_t character : text) {
            KeepKeyboard();
            TypeText(std::wstring(1, character));
        }
        ASSERT_TRUE(PumpUntil([] { return !search->IsSearching(); }, 10000));
        PumpUntil([] { return false; }, 50);
    }
    // Lets slides and collapses end, then paints.
    static void Settle() {
        for (int i = 0; i < 100 && List().IsAnimating(); ++i) {
            SendMessageW(List().ThumbWindow(), WM_TIMER, GUIScrollArea::kAnimationTimer, 0);
        }
        App().mainWindow->PaintNow();
    }
    static std::vector<std::wstring> Shown() {
        std::vector<std::wstring> names;
        for (const ScrollEntry& entry : List().Entries()) {
            names.push_back(Utf8ToWide(static_cast<const HistoryRow*>(entry.get())->fileName));
        }
        return names;
    }
    static std::wstring HighlightedName() {
        const void* entry = List().Highlight();
        return entry ? Utf8ToWide(static_cast<const HistoryRow*>(entry)->fileName) : L"";
    }
    static std::wstring CountText() { return search->CountLine()->Text(); }
    // What the window shows where the count line is.
    static std::uint64_t CountPixels() {
        App().mainWindow->PaintNow();
        const GUIText& line = *search->CountLine();
        std::uint64_t sum = 0;
        for (int y = 0; y < line.Size().cy; ++y) {
            for (int x = 0; x < line.Size().cx; ++x) {
                sum = sum * 31 + App().mainWindow->BackBufferPixel(line.Position().x + x,
                                                                   line.Position().y + y);
            }
        }
        return sum;
    }
    // The name the view at the list's top shows.
    static std::wstring TopName() {
        const std::size_t index = static_cast<std::size_t>(List().ScrollOffset() / kRowHeight);
        const auto* view = static_cast<GUIHistoryItem*>(List().ViewAt(index));
        return view ? view->FileName() : L"";
    }
    static int RowsNamed(const std::string& name) {
        int rows = -1;
        sqlite3* db = nullptr;
        sqlite3_open((App().dataFolder + "history.db").c_str(), &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM history WHERE filename = ?", -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW) rows = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }
    // Two uploads finish on the worker's thread, as upload completion does.
    static void UploadDuringTheSearch() {
        std::thread worker([] {
            for (const wchar_t* name : {L"Caf\u00e9 terrace new.jpg", L"receipt.pdf"}) {
                const HistoryRowPtr row = App().historyDatabase->Insert(
                    "t.png", name, "~1kb", "http://files.test/f/" + WideToUtf8(name), nullptr);
                PostToWindowThread(Window(), [row] { AddToHistoryList(row); });
            }
        });
        worker.join();
        PumpUntil([] { return false; }, 100);
    }
};

TEST_F(HistorySearchTest, FindsAsYouTypeActsOnTheKeyboardAndGivesTheListBack) {
    RecordedPrompts prompts(IDNO);
    const std::wstring cafe = L"Caf\u00e9 terrace ";
    List().SetScrollOffset(40 * kRowHeight + 30);
    App().mainWindow->PaintNow();
    const std::wstring before = TopName();
    ASSERT_EQ(L"photo-259.png", before);
    const int listTop = List().Position().y;

    // Ctrl+F opens the box above the list and puts the keyboard in it.
    Chord(VK_CONTROL, 'F');
    ASSERT_TRUE(search->IsOpen());
    EXPECT_EQ(search->Box()->Window(), GetFocus());
    EXPECT_EQ(listTop + HistorySearch::kBandHeight, List().Position().y);
    EXPECT_EQ(L"300 uploads", CountText());

    // Typing filters at once, ignoring case and accents, newest first.
    TypeAndWait(L"CAFE");
    ASSERT_TRUE(search->IsFiltered());
    ASSERT_EQ(12u, Shown().size());
    EXPECT_EQ(cafe + L"275.jpg", Shown().front());
    EXPECT_EQ(cafe + L"0.jpg", Shown().back());
    EXPECT_EQ(0, List().ScrollOffset());
    EXPECT_EQ(L"12 of 300 uploads", CountText());
    const std::uint64_t twelve = CountPixels();
    TypeAndWait(L" 2026-03");
    EXPECT_EQ((std::vector<std::wstring>{cafe + L"200.jpg", cafe + L"50.jpg"}), Shown());
    EXPECT_EQ(L"2 of 300 uploads", CountText());
    EXPECT_NE(twelve, CountPixels());  // and the window shows it

    // The arrows walk the results; above the first, the box again.
    Tap(VK_DOWN);
    Tap(VK_DOWN);
    EXPECT_EQ(cafe + L"50.jpg", HighlightedName());
    Tap(VK_DOWN);  // the last one stays
    EXPECT_EQ(cafe + L"50.jpg", HighlightedName());
    Tap(VK_UP);
    Tap(VK_UP);
    EXPECT_EQ(L"", HighlightedName());
    Tap(VK_DOWN);
    Tap(VK_DOWN);

    // Ctrl+C copies the link, Enter opens it; the box keeps its text.
    Chord(VK_CONTROL, 'C');
    EXPECT_EQ(L"http://files.test/f/50", ReadClipboardText());
    opened.clear();
    Tap(VK_RETURN);
    EXPECT_EQ((std::vector<std::wstring>{L"http://files.test/f/50"}), opened);
    EXPECT_EQ(L"CAFE 2026-03", search->Box()->GetText());

    // Two uploads finish meanwhile: both join the history, the one that
    // matches shows.
    UploadDuringTheSearch();
    Settle();
    EXPECT_EQ((std::vector<std::wstring>{cafe + L"new.jpg", cafe + L"200.jpg", cafe + L"50.jpg"}),
              Shown());
    EXPECT_EQ(L"3 of 302 uploads", CountText());
    EXPECT_EQ(302u, store->RowCount());

    // Delete asks first; No keeps the entry, Yes deletes it and the
    // highlight moves to the next one.
    Tap(VK_UP);
    ASSERT_EQ(cafe + L"200.jpg", HighlightedName());
    Tap(VK_DELETE);
    ASSERT_EQ(1u, prompts.Texts().size());
    EXPECT_NE(std::wstring::npos, prompts.Texts()[0].find(cafe + L"200.jpg"));
    EXPECT_EQ(1, RowsNamed("Caf\xc3\xa9 terrace 200.jpg"));
    prompts.SetAnswer(IDYES);
    Tap(VK_DELETE);
    Settle();
    EXPECT_EQ(0, RowsNamed("Caf\xc3\xa9 terrace 200.jpg"));
    EXPECT_EQ((std::vector<std::wstring>{cafe + L"new.jpg", cafe + L"50.jpg"}), Shown());
    EXPECT_EQ(cafe + L"50.jpg", HighlightedName());
    EXPECT_EQ(L"2 of 301 uploads", CountText());

    // A text nothing has says so, and shows nothing.
    Chord(VK_CONTROL, 'A');
    TypeAndWait(L"50% off");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(L"No upload matches \u201C50% off\u201D", CountText());

    // Emptying the box gives the whole list back where it was: the two new
    // uploads on top, the deleted one gone.
    Chord(VK_CONTROL, 'A');
    Tap(VK_BACK);
    PumpUntil([] { return false; }, 100);
    EXPECT_FALSE(search->IsFiltered());
    ASSERT_EQ(301u, Shown().size());
    EXPECT_EQ(L"receipt.pdf", Shown()[0]);
    App().mainWindow->PaintNow();
    EXPECT_EQ(before, TopName());
    EXPECT_EQ(L"301 uploads", CountText());

    // Escape closes the search from a filtered list just the same.
    TypeAndWait(L"receipt");
    EXPECT_EQ((std::vector<std::wstring>{L"receipt.pdf"}), Shown());
    Tap(VK_ESCAPE);
    EXPECT_FALSE(search->IsOpen());
    EXPECT_FALSE(IsWindowVisible(search->Box()->Window()));
    EXPECT_EQ(Window(), GetFocus());
    EXPECT_EQ(listTop, List().Position().y);
    EXPECT_EQ(301u, Shown().size());
    App().mainWindow->PaintNow();
    EXPECT_EQ(before, TopName());
    EXPECT_EQ(0u, search->IndexBytes());  // the prepared keys went with it
    EXPECT_EQ(2u, prompts.Texts().size());  // only the two Delete questions
}

TEST_F(HistorySearchTest, TheHeadingButtonOpensAndClosesTheSearch) {
    const GUIButton* button = search->Button();
    ASSERT_TRUE(button->IsVisible());
    POINT point{button->Position().x + 7, button->Position().y + 7};
    ClientToScreen(Window(), &point);
    ClickAt(point.x, point.y);
    EXPECT_TRUE(search->IsOpen());
    EXPECT_EQ(search->Box()->Window(), GetFocus());
    // A second press this soon would be a double click.
    PumpUntil([] { return false; }, GetDoubleClickTime() + 100);
    ClickAt(point.x, point.y);
    EXPECT_FALSE(search->IsOpen());
    // While the settings page shows, Ctrl+F leaves it be.
    App().settingsShown = true;
    Chord(VK_CONTROL, 'F');
    EXPECT_FALSE(search->IsOpen());
    App().settingsShown = false;
}

// A failed upload is found by its name like any upload, also one that fails
// while the box is open; it has no link to open or copy, and Delete removes
// it as its Remove button does.
TEST_F(HistorySearchTest, FailedUploadsAreFoundByNameAndRemovedWithDelete) {
    RecordedPrompts prompts(IDYES);
    const auto early = MakeFailedRow(901, L"whiteboard notes.png", UploadFailure::NoAnswer, 0);
    AddFailedEntry(early, false);
    Chord(VK_CONTROL, 'F');
    ASSERT_TRUE(search->IsOpen());
    TypeAndWait(L"whiteboard");
    EXPECT_EQ((std::vector<std::wstring>{L"whiteboard notes.png"}), Shown());
    AddFailedEntry(MakeFailedRow(902, L"whiteboard plan.pdf", UploadFailure::Refused, 413), true);
    AddFailedEntry(MakeFailedRow(903, L"receipt copy.pdf", UploadFailure::Refused, 413), true);
    Settle();
    EXPECT_EQ((std::vector<std::wstring>{L"whiteboard plan.pdf", L"whiteboard notes.png"}), Shown());

    const std::size_t openedBefore = opened.size();
    Tap(VK_DOWN);
    ASSERT_EQ(L"whiteboard plan.pdf", HighlightedName());
    EXPECT_FALSE(search->OnKey(VK_RETURN));
    EXPECT_EQ(openedBefore, opened.size());
    Tap(VK_DELETE);
    Settle();
    ASSERT_EQ(1u, prompts.Texts().size());
    EXPECT_EQ(0u, prompts.Texts()[0].find(L"Remove this failed upload?"));
    EXPECT_EQ((std::vector<std::wstring>{L"whiteboard notes.png"}), Shown());

    // Closed, the list holds the uploads and the two failed entries left.
    Tap(VK_ESCAPE);
    ASSERT_FALSE(search->IsOpen());
    Settle();
    const std::vector<std::wstring> all = Shown();
    EXPECT_EQ(std::count(all.begin(), all.end(), L"whiteboard plan.pdf"), 0);
    EXPECT_EQ(std::count(all.begin(), all.end(), L"whiteboard notes.png"), 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), L"receipt copy.pdf"), 1);
    // The others go the same way, so the list is as the other cases expect.
    for (const ScrollEntry& entry : List().Entries()) {
        if (static_cast<const HistoryRow*>(entry.get())->failed) {
            EXPECT_TRUE(DeleteHistoryRow(std::static_pointer_cast<const HistoryRow>(entry)));
        }
    }
    Settle();
    const auto entries = List().Entries();
    EXPECT_EQ(0, std::count_if(entries.begin(), entries.end(), [](const ScrollEntry& entry) {
                  return static_cast<const HistoryRow*>(entry.get())->failed;
              }));
}

}  // namespace
