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
#include "gui/gui_test_support.h"
#include "history/gui_history_item.h"
#include "history/history_test_support.h"
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
        InstallHistoryTestSkin(program_.path());
        App().dataFolder = data_.path() + "\\";
        CreateDirectoryW(Utf8ToWide(App().dataFolder + "thumbs").c_str(), nullptr);
    }
    void TearDown() override {
        for (GUIHistoryItem* item : made_) delete item;
    }
    std::string DbPath() const { return App().dataFolder + "history.db"; }
    // Items belong to the list in the program; here the test frees them.
    void Keep(HistoryStore& store) {
        for (GUIHistoryItem* item : store.Items()) made_.insert(item);
    }

    TempDir program_;
    TempDir data_;
    std::set<GUIHistoryItem*> made_;
};

TEST_F(HistoryStoreTest, NewDatabaseGetsTheWholeTable) {
    HistoryStore store(nullptr, TestInstance(), App().dataFolder);
    ASSERT_TRUE(store.Open(DbPath()));
    EXPECT_TRUE(store.IsOpen());
    EXPECT_TRUE(store.Items().empty());

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
    HistoryStore store(nullptr, TestInstance(), App().dataFolder);
    ASSERT_TRUE(store.Open(DbPath()));
    Keep(store);
    const auto items = store.Items();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(2, items[0]->RowId());
    EXPECT_EQ(L"two.png", items[0]->FileName());
    EXPECT_EQ(L"http://x/b/two.png", items[0]->Url());
    EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"thumbs\\b_two.png", items[0]->ThumbPath());
    EXPECT_EQ(L"", items[0]->ShortcutPath());
    EXPECT_EQ(3, items[1]->RowId());
    EXPECT_EQ(L"three.png", items[1]->FileName());

    RawDb raw(DbPath());
    EXPECT_THAT(raw.Rows("SELECT name FROM pragma_table_info('history') WHERE name='url_file'"),
                ElementsAre("url_file"));
    EXPECT_THAT(raw.Rows("SELECT rowid, url_file FROM history"),
                ElementsAre("2|<null>", "3|<null>"));

    // Opening again meets an existing column, which is fine.
    HistoryStore again(nullptr, TestInstance(), App().dataFolder);
    EXPECT_TRUE(again.Open(DbPath()));
    Keep(again);
    EXPECT_EQ(2u, again.Items().size());
}

TEST_F(HistoryStoreTest, InsertWritesTheRowAndReadsBackOutsideAscii) {
    const std::wstring name = L"F\u00f6t\u00f6 \u65e5\u672c.png";
    const std::wstring shortcut = L"\u00e4rger_\u65e5.url";
    {
        HistoryStore store(nullptr, TestInstance(), App().dataFolder);
        ASSERT_TRUE(store.Open(DbPath()));
        GUIHistoryItem* first =
            store.Insert("ab_F\xc3\xb6t.png", name, "~12kb", "http://x/ab/F%20t.png",
                         shortcut.c_str());
        GUIHistoryItem* second = store.Insert("cd_b.png", L"b.png", "~1kb", "http://x/cd/b.png",
                                              nullptr);
        Keep(store);
        ASSERT_NE(nullptr, first);
        ASSERT_NE(nullptr, second);
        EXPECT_EQ(1, first->RowId());
        EXPECT_EQ(2, second->RowId());
        EXPECT_EQ(name, first->FileName());
        EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"urls\\" + shortcut, first->ShortcutPath());
        EXPECT_EQ(L"", second->ShortcutPath());
        EXPECT_THAT(store.Items(), ElementsAre(first, second));
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

    HistoryStore reopened(nullptr, TestInstance(), App().dataFolder);
    ASSERT_TRUE(reopened.Open(DbPath()));
    Keep(reopened);
    const auto items = reopened.Items();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(name, items[0]->FileName());
    EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"urls\\" + shortcut, items[0]->ShortcutPath());
    EXPECT_EQ(L"", items[1]->ShortcutPath());
}

TEST_F(HistoryStoreTest, RemoveDropsRowAndItemButIgnoresUnknownIds) {
    HistoryStore store(nullptr, TestInstance(), App().dataFolder);
    ASSERT_TRUE(store.Open(DbPath()));
    GUIHistoryItem* first = store.Insert("a.png", L"a", "~1kb", "u1", nullptr);
    GUIHistoryItem* second = store.Insert("b.png", L"b", "~1kb", "u2", nullptr);
    Keep(store);
    ASSERT_NE(nullptr, second);

    store.Remove(99);
    EXPECT_EQ(2u, store.Items().size());
    RawDb raw(DbPath());
    EXPECT_THAT(raw.Rows("SELECT rowid FROM history"), ElementsAre("1", "2"));

    store.Remove(first->RowId());
    EXPECT_THAT(store.Items(), ElementsAre(second));
    EXPECT_THAT(raw.Rows("SELECT rowid FROM history"), ElementsAre("2"));
}

TEST_F(HistoryStoreTest, InsertThatCannotWriteMakesNoItem) {
    HistoryStore store(nullptr, TestInstance(), App().dataFolder);
    ASSERT_TRUE(store.Open(DbPath()));
    Keep(store);
    {
        RawDb blocker(DbPath());
        ASSERT_TRUE(blocker.Exec("BEGIN EXCLUSIVE"));
        EXPECT_EQ(nullptr, store.Insert("a.png", L"a", "~1kb", "u", nullptr));
        EXPECT_TRUE(store.Items().empty());
        ASSERT_TRUE(blocker.Exec("COMMIT"));
    }
    // An empty shortcut name counts as none.
    GUIHistoryItem* item = store.Insert("a.png", L"a", "~1kb", "u", L"");
    Keep(store);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(1, item->RowId());
    EXPECT_EQ(L"", item->ShortcutPath());
    EXPECT_THAT(RawDb(DbPath()).Rows("SELECT rowid, url_file FROM history"),
                ElementsAre("1|<null>"));
}

TEST_F(HistoryStoreTest, WithoutConnectionNothingIsWritten) {
    HistoryStore store(nullptr, TestInstance(), App().dataFolder);
    // A folder cannot be opened as a database.
    EXPECT_FALSE(store.Open(data_.path()));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(nullptr, store.Insert("a.png", L"a", "~1kb", "u", nullptr));
    store.Remove(1);
    EXPECT_TRUE(store.Items().empty());

    // Not a database at all.
    WriteBytes(DbPath(), std::string(4096, 'x'));
    EXPECT_FALSE(store.Open(DbPath()));
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(HistoryStoreTest, DataFolderOutsideAsciiOpens) {
    const std::string folder = data_.path() + "\\J\xc3\xb6rg \xe6\x97\xa5\xe6\x9c\xac";
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr));
    App().dataFolder = folder + "\\";
    HistoryStore store(nullptr, TestInstance(), App().dataFolder);
    ASSERT_TRUE(store.Open(App().dataFolder + "history.db"));
    EXPECT_TRUE(FileExists(folder + "\\history.db"));
    GUIHistoryItem* item = store.Insert("a_b.png", L"b.png", "~1kb", "u", L"b.url");
    Keep(store);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(Utf8ToWide(folder) + L"\\thumbs\\a_b.png", item->ThumbPath());
    EXPECT_EQ(Utf8ToWide(folder) + L"\\urls\\b.url", item->ShortcutPath());

    HistoryStore again(nullptr, TestInstance(), App().dataFolder);
    ASSERT_TRUE(again.Open(App().dataFolder + "history.db"));
    Keep(again);
    EXPECT_EQ(1u, again.Items().size());
}

TEST_F(HistoryStoreTest, TwoThreadsInsertAndReadAtOnce) {
    HistoryStore store(nullptr, TestInstance(), App().dataFolder);
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
    // Meanwhile the list is read, as the jump list does on the main thread.
    size_t seen = 0;
    while (seen < 2 * kEach && !failed) {
        seen = store.Items().size();
        Sleep(1);
    }
    worker.join();
    other.join();
    Keep(store);
    ASSERT_FALSE(failed);

    // Every item carries the row id of its own row.
    RawDb raw(DbPath());
    const auto items = store.Items();
    ASSERT_EQ(2u * kEach, items.size());
    std::set<long long> ids;
    for (GUIHistoryItem* item : items) {
        ids.insert(item->RowId());
        EXPECT_THAT(raw.Rows("SELECT url FROM history WHERE rowid = " +
                             std::to_string(item->RowId())),
                    ElementsAre(WideToUtf8(item->Url())));
    }
    EXPECT_EQ(2u * kEach, ids.size());
}

}  // namespace
