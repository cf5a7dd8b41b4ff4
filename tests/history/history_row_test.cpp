// The light history model: stored names checked before they name files, and
// the bounded cache of thumbnails.
#include <gtest/gtest.h>

#include <string>

#include "history/bounded_cache.h"
#include "history/history_row.h"

namespace {

TEST(HistoryRow, StoredNamesAreKeptOnlyWhenTheyNameAFileInsideTheirFolder) {
    struct Case {
        std::string stored;
        bool kept;
    };
    const Case cases[] = {
        {"abc_My Photo.png", true},
        {"abc_F\xc3\xb6t\xc3\xb6 \xe6\x97\xa5.png", true},  // outside ASCII
        {"abc_holiday.png (2).url", true},
        {std::string(193, 'x'), true},  // identifier and name, each at their longest
        {"", false},
        {"..\\..\\Documents\\report.docx", false},
        {"../../Documents/report.docx", false},
        {"..", false},
        {".", false},
        {"C:\\Windows\\win.ini", false},
        {"\\\\server\\share\\x.png", false},
        {"a.png:stream", false},
        {"x.png.", false},
        {"x.png ", false},
        {"CON", false},
        {"lpt1.txt", false},
        {"tab\there.png", false},
        {"bad\xff utf8.png", false},
        {std::string(256, 'x'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(c.kept ? c.stored : "", CheckedStoredName(c.stored));
    }
    const HistoryRow row =
        MakeHistoryRow(1LL << 40, "http://x/a%20b.png", "a b.png", "Mon, 01/02/10 03:04",
                       "..\\evil.png", "ab_a b.png.url");
    EXPECT_EQ(1LL << 40, row.rowId);
    EXPECT_EQ("", row.thumb);
    EXPECT_EQ("ab_a b.png.url", row.shortcut);
    EXPECT_EQ("http://x/a%20b.png", row.url);
}

TEST(HistoryRow, BoundedCacheDropsTheLeastRecentlyUsed) {
    BoundedCache<std::string, int> cache(2);
    cache.Put("a", std::make_shared<int>(1));
    cache.Put("b", std::make_shared<int>(2));
    const auto held = cache.Find("b");
    ASSERT_NE(nullptr, cache.Find("a"));  // "a" is now the more recent
    cache.Put("c", std::make_shared<int>(3));
    EXPECT_EQ(2u, cache.Size());
    EXPECT_NE(nullptr, cache.Find("a"));
    EXPECT_EQ(nullptr, cache.Find("b"));
    EXPECT_EQ(2, *held);  // dropped, but alive while held
    cache.Put("a", std::make_shared<int>(10));  // replacing does not grow it
    EXPECT_EQ(10, *cache.Find("a"));
    EXPECT_EQ(2u, cache.Size());
    cache.Erase("a");
    EXPECT_EQ(nullptr, cache.Find("a"));
    EXPECT_EQ(1u, cache.Size());
    BoundedCache<std::string, int> none(0);
    none.Put("a", std::make_shared<int>(1));
    EXPECT_EQ(nullptr, none.Find("a"));
}

}  // namespace
