#include "history/history_store.h"

#include <sqlite3.h>
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "base/utf.h"
#include "history/gui_history_item.h"
#include "history/pending_store.h"
#include "support/temp_dir.h"

namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

// A second connection of the test's own, to look at and prepare the file.
class RawDb {
public:
    explicit RawDb(const std::string& path) { sqlite3_open(path.c_str(), &db_); }
    ~RawDb() { sqlite3_close(db_); }
    bool Exec(const std::string& sql) {
        return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // Every row of `sql` as texts ("<null>" for NULL), columns joined by '|'.
    std::vector<std::string> Rows(const std::string& sql) {
        std::vector<std::string> rows;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            return {"<bad sql>"};
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                if (c) row += "|";
                const unsigned char* text = sqlite3_column_text(statement, c);
                row += text ? reinterpret_cast<const char*>(text) : "<null>";
            }
            rows.push_back(row);
        }
        sqlite3_finalize(statement);
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
};

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().dataFolder = data_.path() + "\\";
        CreateDirectoryW(Utf8ToWide(App().dataFolder + "thumbs").c_str(), nullptr);
    }
    std::string DbPath() const { return App().dataFolder + "history.db"; }
    // A table as the program creates it, filled by `sql`.
    void Prepare(const std::vector<std::string>& sql) {
        RawDb raw(DbPath());
        ASSERT_TRUE(raw.Exec(
            "CREATE TABLE `history` (`thumb` text NOT NULL, `filename` text NOT NULL,`date` "
            "text NOT NULL, `size` text NOT NULL,`url` text NOT NULL, `url_file` text)"));
        for (const std::string& statement : sql) ASSERT_TRUE(raw.Exec(statement)) << statement;
    }

    TempDir data_;
};

TEST_F(HistoryStoreTest, NewDatabaseGetsTheWholeTable) {
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    EXPECT_TRUE(store.IsOpen());
    EXPECT_TRUE(store.Rows().empty());

    RawDb raw(DbPath());
    // name | type | not null
    EXPECT_THAT(raw.Rows("SELECT name, type, \"notnull\" FROM pragma_table_info('history')"),
                ElementsAre("thumb|TEXT|1", "filename|TEXT|1", "date|TEXT|1", "size|TEXT|1",
                            "url|TEXT|1", "url_file|TEXT|0"));
    // The table's text as created, with the added column.
    EXPECT_THAT(raw.Rows("SELECT sql FROM sqlite_master WHERE name = 'history'"),
                ElementsAre(HasSubstr(
                    "(`thumb` text NOT NULL, `filename` text NOT NULL,`date` text NOT NULL, "
                    "`size` text NOT NULL,`url` text NOT NULL, `url_file` text)")));
}

TEST_F(HistoryStoreTest, OldTableGainsUrlFileAndItsRowsLoadInRowOrder) {
    {
        RawDb raw(DbPath());
        ASSERT_TRUE(raw.Exec(
            "CREATE TABLE `history` (`thumb` text NOT NULL, `filename` text NOT NULL,`date` "
            "text NOT NULL, `size` text NOT NULL,`url` text NOT NULL)"));
        ASSERT_TRUE(raw.Exec("INSERT INTO history VALUES ('a_one.png','one.png',"
                             "'Mon, 01/02/10 03:04','~1kb','http://x/a/one.png')"));
        ASSERT_TRUE(raw.Exec("INSERT INTO history VALUES ('b_two.png','two.png',"
                             "'Tues, 02/02/10 03:04','~2kb','http://x/b/two.png')"));
        ASSERT_TRUE(raw.Exec("DELETE FROM history WHERE rowid = 1"));
        ASSERT_TRUE(raw.Exec("INSERT INTO history VALUES ('c_three.png','three.png',"
                             "'Wed, 03/02/10 03:04','~3kb','http://x/c/three.png')"));
    }
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    const auto rows = store.Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(2, rows[0]->rowId);
    EXPECT_EQ("two.png", rows[0]->fileName);
    EXPECT_EQ("http://x/b/two.png", rows[0]->url);
    EXPECT_EQ("Tues, 02/02/10 03:04", rows[0]->date);
    EXPECT_EQ("b_two.png", rows[0]->thumb);
    EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"thumbs\\b_two.png", HistoryThumbPath(App().dataFolder, *rows[0]));
    EXPECT_EQ("", rows[0]->shortcut);
    EXPECT_EQ(L"", HistoryShortcutPath(App().dataFolder, *rows[0]));
    EXPECT_EQ(3, rows[1]->rowId);
    EXPECT_EQ("three.png", rows[1]->fileName);

    RawDb raw(DbPath());
    EXPECT_THAT(raw.Rows("SELECT name FROM pragma_table_info('history') WHERE name='url_file'"),
                ElementsAre("url_file"));
    EXPECT_THAT(raw.Rows("SELECT rowid, url_file FROM history"),
                ElementsAre("2|<null>", "3|<null>"));

    // Opening again meets an existing column, which is fine.
    HistoryStore again;
    EXPECT_TRUE(again.Open(DbPath()));
    EXPECT_EQ(2u, again.RowCount());
}

TEST_F(HistoryStoreTest, InsertWritesTheRowAndReadsBackOutsideAscii) {
    const std::wstring name = L"F\u00f6t\u00f6 \u65e5\u672c.png";
    const std::wstring shortcut = L"\u00e4rger_\u65e5.url";
    {
        HistoryStore store;
        ASSERT_TRUE(store.Open(DbPath()));
        const HistoryRowPtr first =
            store.Insert("ab_F\xc3\xb6t.png", name, "~12kb", "http://x/ab/F%20t.png",
                         shortcut.c_str());
        const HistoryRowPtr second =
            store.Insert("cd_b.png", L"b.png", "~1kb", "http://x/cd/b.png", nullptr);
        ASSERT_NE(nullptr, first);
        ASSERT_NE(nullptr, second);
        EXPECT_EQ(1, first->rowId);
        EXPECT_EQ(2, second->rowId);
        EXPECT_EQ(WideToUtf8(name), first->fileName);
        EXPECT_EQ(WideToUtf8(shortcut), first->shortcut);
        EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"urls\\" + shortcut, HistoryShortcutPath(App().dataFolder, *first));
        EXPECT_EQ("", second->shortcut);
        EXPECT_THAT(store.Rows(), ElementsAre(first, second));
    }
    RawDb raw(DbPath());
    const auto rows = raw.Rows("SELECT rowid, thumb, filename, size, url, url_file FROM history");
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("1|ab_F\xc3\xb6t.png|" + WideToUtf8(name) + "|~12kb|http://x/ab/F%20t.png|" +
                  WideToUtf8(shortcut),
              rows[0]);
    EXPECT_EQ("2|cd_b.png|b.png|~1kb|http://x/cd/b.png|<null>", rows[1]);
    for (const std::string& date : raw.Rows("SELECT date FROM history")) {
        const std::string day = date.substr(0, date.find(','));
        EXPECT_THAT(day, AnyOf("Sun", "Mon", "Tues", "Wed", "Thur", "Fri", "Sat"));
        EXPECT_THAT(date.substr(day.size()), MatchesRegex(", \\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d"));
    }

    HistoryStore reopened;
    ASSERT_TRUE(reopened.Open(DbPath()));
    const auto read = reopened.Rows();
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(WideToUtf8(name), read[0]->fileName);
    EXPECT_EQ(WideToUtf8(shortcut), read[0]->shortcut);
    EXPECT_EQ("", read[1]->shortcut);
}

TEST_F(HistoryStoreTest, RemoveDeletesTheRowAndIgnoresUnknownIds) {
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    const HistoryRowPtr first = store.Insert("a.png", L"a", "~1kb", "u1", nullptr);
    const HistoryRowPtr second = store.Insert("b.png", L"b", "~1kb", "u2", nullptr);
    ASSERT_NE(nullptr, second);

    EXPECT_FALSE(store.Remove(99));
    EXPECT_EQ(2u, store.RowCount());
    RawDb raw(DbPath());
    EXPECT_THAT(raw.Rows("SELECT rowid FROM history"), ElementsAre("1", "2"));

    EXPECT_TRUE(store.Remove(first->rowId));
    EXPECT_THAT(store.Rows(), ElementsAre(second));
    EXPECT_THAT(raw.Rows("SELECT rowid FROM history"), ElementsAre("2"));

    // A delete the database does not take leaves the row in both places.
    {
        RawDb blocker(DbPath());
        ASSERT_TRUE(blocker.Exec("BEGIN EXCLUSIVE"));
        EXPECT_FALSE(store.Remove(second->rowId));
        ASSERT_TRUE(blocker.Exec("COMMIT"));
    }
    EXPECT_THAT(store.Rows(), ElementsAre(second));
    EXPECT_THAT(raw.Rows("SELECT rowid FROM history"), ElementsAre("2"));
}

// Row ids are 64-bit: one formatted with 32 bits would name another row.
TEST_F(HistoryStoreTest, LargeRowIdsDeleteTheirOwnRow) {
    const long long large = (1LL << 31) + 5;  // its low 32 bits read as -2147483643
    const long long alias = large - (1LL << 32);
    const long long huge = (1LL << 40) + 7;  // low 32 bits 7
    Prepare({"INSERT INTO history (rowid, thumb, filename, date, size, url) VALUES (" +
                 std::to_string(alias) + ", 'a.png', 'alias', 'd', 's', 'u')",
             "INSERT INTO history (rowid, thumb, filename, date, size, url) VALUES "
             "(7, 'b.png', 'seven', 'd', 's', 'u')",
             "INSERT INTO history (rowid, thumb, filename, date, size, url) VALUES (" +
                 std::to_string(large) + ", 'c.png', 'large', 'd', 's', 'u')",
             "INSERT INTO history (rowid, thumb, filename, date, size, url) VALUES (" +
                 std::to_string(huge) + ", 'd.png', 'huge', 'd', 's', 'u')"});
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    ASSERT_EQ(4u, store.RowCount());
    EXPECT_EQ(huge, store.Rows().back()->rowId);

    EXPECT_TRUE(store.Remove(large));
    EXPECT_TRUE(store.Remove(huge));
    RawDb raw(DbPath());
    EXPECT_THAT(raw.Rows("SELECT filename FROM history ORDER BY rowid"),
                ElementsAre("alias", "seven"));
    ASSERT_EQ(2u, store.RowCount());
    EXPECT_EQ(alias, store.Rows()[0]->rowId);
    EXPECT_EQ(7, store.Rows()[1]->rowId);
}

// A restored, synced or edited database must not name files elsewhere.
TEST_F(HistoryStoreTest, StoredNamesThatLeaveTheirFolderAreDropped) {
    Prepare({"INSERT INTO history VALUES ('..\\..\\Documents\\report.docx', 'a', 'd', 's', 'u', "
             "'C:\\Windows\\win.ini')",
             "INSERT INTO history VALUES ('ok_b.png', 'b', 'd', 's', 'u', 'ok_b.png.url')",
             "INSERT INTO history VALUES ('CON', 'c', 'd', 's', 'u', '..')"});
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    const auto rows = store.Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("", rows[0]->thumb);
    EXPECT_EQ("", rows[0]->shortcut);
    EXPECT_EQ(L"", HistoryThumbPath(App().dataFolder, *rows[0]));
    EXPECT_EQ("ok_b.png", rows[1]->thumb);
    EXPECT_EQ("ok_b.png.url", rows[1]->shortcut);
    EXPECT_EQ("", rows[2]->thumb);
    EXPECT_EQ("", rows[2]->shortcut);
    EXPECT_TRUE(store.NamesThumb("ok_b.png"));
    EXPECT_FALSE(store.NamesThumb(""));
    EXPECT_TRUE(store.NamesShortcut("ok_b.png.url"));
}

// The jump list walks the model from the newest row, a page at a time.
TEST_F(HistoryStoreTest, ShortcutsComeNewestFirstInPages) {
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    for (int i = 0; i < 6; ++i) {
        const std::wstring shortcut = L"s" + std::to_wstring(i) + L".url";
        ASSERT_NE(nullptr, store.Insert("t.png", L"n", "~1kb", "u",
                                        i % 3 == 1 ? nullptr : shortcut.c_str()));
    }
    // Rows 1 and 4 have none.
    EXPECT_THAT(store.ShortcutsNewestFirst(0, 3), ElementsAre("s5.url", "s3.url", "s2.url"));
    EXPECT_THAT(store.ShortcutsNewestFirst(3, 3), ElementsAre("s0.url"));
    EXPECT_TRUE(store.ShortcutsNewestFirst(4, 3).empty());
}

TEST_F(HistoryStoreTest, InsertThatCannotWriteMakesNoRow) {
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    {
        RawDb blocker(DbPath());
        ASSERT_TRUE(blocker.Exec("BEGIN EXCLUSIVE"));
        EXPECT_EQ(nullptr, store.Insert("a.png", L"a", "~1kb", "u", nullptr));
        EXPECT_TRUE(store.Rows().empty());
        ASSERT_TRUE(blocker.Exec("COMMIT"));
    }
    // An empty shortcut name counts as none.
    const HistoryRowPtr row = store.Insert("a.png", L"a", "~1kb", "u", L"");
    ASSERT_NE(nullptr, row);
    EXPECT_EQ(1, row->rowId);
    EXPECT_EQ("", row->shortcut);
    EXPECT_THAT(RawDb(DbPath()).Rows("SELECT rowid, url_file FROM history"),
                ElementsAre("1|<null>"));
}

// Another program reading the file for a moment (a backup, a viewer) must
// not cost an upload its row.
TEST_F(HistoryStoreTest, AnInsertWaitsForAReaderForAMoment) {
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    RawDb reader(DbPath());
    ASSERT_TRUE(reader.Exec("BEGIN"));
    ASSERT_THAT(reader.Rows("SELECT count(*) FROM history"), ElementsAre("0"));  // holds the file
    std::thread done([&reader] {
        Sleep(300);
        reader.Exec("COMMIT");
    });
    EXPECT_NE(nullptr, store.Insert("a.png", L"a", "~1kb", "u", nullptr));
    done.join();
    EXPECT_EQ(1u, store.RowCount());
}

TEST_F(HistoryStoreTest, WithoutConnectionNothingIsWritten) {
    HistoryStore store;
    // A folder cannot be opened as a database.
    EXPECT_FALSE(store.Open(data_.path()));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(nullptr, store.Insert("a.png", L"a", "~1kb", "u", nullptr));
    EXPECT_FALSE(store.Remove(1));
    EXPECT_TRUE(store.Rows().empty());

    // Not a database at all.
    WriteBytes(DbPath(), std::string(4096, 'x'));
    EXPECT_FALSE(store.Open(DbPath()));
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(HistoryStoreTest, DataFolderOutsideAsciiOpens) {
    const std::string folder = data_.path() + "\\J\xc3\xb6rg \xe6\x97\xa5\xe6\x9c\xac";
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr));
    App().dataFolder = folder + "\\";
    HistoryStore store;
    ASSERT_TRUE(store.Open(App().dataFolder + "history.db"));
    EXPECT_TRUE(FileExists(folder + "\\history.db"));
    const HistoryRowPtr row = store.Insert("a_b.png", L"b.png", "~1kb", "u", L"b.url");
    ASSERT_NE(nullptr, row);
    EXPECT_EQ(Utf8ToWide(folder) + L"\\thumbs\\a_b.png", HistoryThumbPath(App().dataFolder, *row));
    EXPECT_EQ(Utf8ToWide(folder) + L"\\urls\\b.url", HistoryShortcutPath(App().dataFolder, *row));

    HistoryStore again;
    ASSERT_TRUE(again.Open(App().dataFolder + "history.db"));
    EXPECT_EQ(1u, again.RowCount());
}

TEST_F(HistoryStoreTest, TwoThreadsInsertAndReadAtOnce) {
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    constexpr int kEach = 15;
    std::atomic<bool> failed{false};
    auto writer = [&](const char* prefix) {
        for (int i = 0; i < kEach; ++i) {
            const std::string url = std::string(prefix) + std::to_string(i);
            if (!store.Insert("t.png", Utf8ToWide(url), "~1kb", url, nullptr)) failed = true;
        }
    };
    std::thread worker(writer, "w");
    std::thread other(writer, "m");
    // Meanwhile the rows are read, as the jump list does on the main thread.
    size_t seen = 0;
    while (seen < 2 * kEach && !failed) {
        seen = store.RowCount();
        Sleep(1);
    }
    worker.join();
    other.join();
    ASSERT_FALSE(failed);

    // Every row carries its own row id.
    RawDb raw(DbPath());
    const auto rows = store.Rows();
    ASSERT_EQ(2u * kEach, rows.size());
    std::set<long long> ids;
    for (const HistoryRowPtr& row : rows) {
        ids.insert(row->rowId);
        EXPECT_THAT(raw.Rows("SELECT url FROM history WHERE rowid = " + std::to_string(row->rowId)),
                    ElementsAre(row->url));
    }
    EXPECT_EQ(2u * kEach, ids.size());
}

PendingRow Waiting(const std::string& path, const std::string& name = {}) {
    PendingRow row;
    row.path = path;
    row.name = name;
    return row;
}

TEST_F(HistoryStoreTest, PendingJobsComeBackInOrderAndTheHistoryCrossesThemOutWithTheirRow) {
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    PendingStore pending(store);
    ASSERT_TRUE(pending.Open());

    // A thousand dropped files go in one transaction.
    std::vector<PendingRow> rows;
    for (int i = 0; i < 1000; ++i) rows.push_back(Waiting("C:\\drop\\file " + std::to_string(i) + ".png"));
    rows[1].kind = 2;
    rows[1].name = "holiday.zip";
    rows[2].ownFile = true;
    rows[2].path = "capture-20261209-010203-1.png";
    ASSERT_TRUE(pending.Add(rows));
    EXPECT_EQ(1, rows[0].id);
    EXPECT_EQ(1000, rows[999].id);
    ASSERT_TRUE(pending.SetArchive(rows[1].id, "vt_1F.tmp", "holiday.zip"));
    ASSERT_TRUE(pending.SetFailed(rows[2].id, 3, 413, 1));
    ASSERT_TRUE(pending.SetWaiting(rows[3].id, 2));

    // Uploaded: the history row and the crossing out are one transaction.
    ASSERT_NE(nullptr, store.Insert("t.png", L"file 0.png", "~1kb", "http://x/0", nullptr, rows[0].id));
    // A job the user removed.
    ASSERT_TRUE(pending.Remove(rows[4].id));

    HistoryStore reopened;
    ASSERT_TRUE(reopened.Open(DbPath()));
    PendingStore again(reopened);
    ASSERT_TRUE(again.Open());
    std::vector<PendingRow> back;
    std::size_t refused = 99;
    ASSERT_TRUE(again.Load(back, refused));
    EXPECT_EQ(0u, refused);
    ASSERT_EQ(998u, back.size());
    EXPECT_EQ(2, back[0].id);
    EXPECT_EQ("vt_1F.tmp", back[0].archive);
    EXPECT_EQ("holiday.zip", back[0].name);
    EXPECT_EQ(2, back[0].kind);
    EXPECT_TRUE(back[1].ownFile);
    EXPECT_EQ(3, back[1].failure);
    EXPECT_EQ(413, back[1].status);
    EXPECT_EQ(2, back[2].failedAttempts);
    EXPECT_EQ("C:\\drop\\file 5.png", back[3].path);
    EXPECT_EQ(1000, back.back().id);
    EXPECT_EQ(1u, reopened.Rows().size());
}

TEST_F(HistoryStoreTest, PendingRowsThatFailTheirChecksAreDroppedAndTheRestLoad) {
    {
        HistoryStore store;
        ASSERT_TRUE(store.Open(DbPath()));
        PendingStore pending(store);
        ASSERT_TRUE(pending.Open());
    }
    RawDb raw(DbPath());
    const char* const hostile[] = {
        // An own file outside "captures": it would be deleted after its upload.
        "(1, 'C:\\Users\\me\\Documents\\thesis.docx', NULL, 1, NULL)",
        "(1, 'C:\\ok\\first.png', NULL, 0, NULL)",
        "(1, '\\\\.\\PhysicalDrive0', NULL, 0, NULL)",
        "(1, 'C:\\ok\\a.png', NULL, 0, '..\\..\\Windows\\win.ini')",
        "(1, X'433A5C6F6B5C', NULL, 0, NULL)",  // a blob, not text
        "(7, 'C:\\ok\\second.png', 'shown.png', 0, NULL)",
    };
    for (const char* values : hostile) {
        ASSERT_TRUE(raw.Exec(std::string("INSERT INTO pending (kind, path, name, own, archive) VALUES ") + values))
            << values;
    }
    ASSERT_TRUE(raw.Exec("INSERT INTO pending (kind, path, name, own, archive) VALUES (1, '" +
                         std::string(kMaxPendingPathBytes + 1, 'x') + "', NULL, 0, NULL)"));
    ASSERT_TRUE(raw.Exec("INSERT INTO pending (kind, path, own, failure) VALUES (1, 'C:\\ok\\b.png', 0, 'x')"));

    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    PendingStore pending(store);
    ASSERT_TRUE(pending.Open());
    std::vector<PendingRow> rows;
    std::size_t refused = 0;
    EXPECT_TRUE(pending.Load(rows, refused));
    EXPECT_EQ(6u, refused);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("C:\\ok\\first.png", rows[0].path);
    EXPECT_EQ("shown.png", rows[1].name);
    EXPECT_EQ(7, rows[1].kind);
    EXPECT_EQ(2u, pending.Count());  // the refused rows are gone for good
}

TEST_F(HistoryStoreTest, APendingTableMadeBySomethingElseLeavesTheHistoryWorking) {
    Prepare({"CREATE TABLE pending (x text)"});
    HistoryStore store;
    ASSERT_TRUE(store.Open(DbPath()));
    PendingStore pending(store);
    EXPECT_FALSE(pending.Open());
    std::vector<PendingRow> rows = {Waiting("C:\\a.png")};
    EXPECT_FALSE(pending.Add(rows));
    // The history still records, and a job id it cannot cross out is no harm.
    EXPECT_NE(nullptr, store.Insert("t.png", L"a.png", "~1kb", "http://x/a", nullptr, 5));
    EXPECT_EQ(1u, store.Rows().size());
}

}  // namespace
