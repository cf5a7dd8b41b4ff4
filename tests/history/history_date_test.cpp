#include "history/history_date.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(HistoryDate, DayNamesFromSunday) {
    const char* const* names = HistoryDayNames();
    const char* expected[7] = {"Sun", "Mon", "Tues", "Wed", "Thur", "Fri", "Sat"};
    for (int day = 0; day < 7; ++day) EXPECT_STREQ(expected[day], names[day]) << day;
}

TEST(HistoryDate, FormatsDayMonthShortYearAndTime) {
    EXPECT_EQ("Thur, 03/03/11 09:05", FormatHistoryDate({4, 3, 3, 2011, 9, 5}));
    EXPECT_EQ("Tues, 01/03/11 00:00", FormatHistoryDate({2, 1, 3, 2011, 0, 0}));
    EXPECT_EQ("Sat, 31/12/99 23:59", FormatHistoryDate({6, 31, 12, 1999, 23, 59}));
    // The year keeps two digits across centuries.
    EXPECT_EQ("Sun, 05/06/00 12:30", FormatHistoryDate({0, 5, 6, 2000, 12, 30}));
    EXPECT_EQ("Wed, 10/11/26 07:08", FormatHistoryDate({3, 10, 11, 2026, 7, 8}));
}

TEST(HistoryDate, DayOutsideTheWeekHasNoName) {
    EXPECT_EQ(", 01/01/20 01:01", FormatHistoryDate({7, 1, 1, 2020, 1, 1}));
    EXPECT_EQ(", 01/01/20 01:01", FormatHistoryDate({-1, 1, 1, 2020, 1, 1}));
}

}  // namespace
