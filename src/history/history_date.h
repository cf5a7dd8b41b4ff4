// The date text kept with each history row, e.g. "Thur, 03/03/11 09:05".
// Free of Win32: the caller supplies the local time.
#pragma once

#include <string>
#include <string_view>

struct HistoryTime {
    int dayOfWeek = 0;  // 0 = Sunday
    int day = 1;        // of the month
    int month = 1;
    int year = 2000;
    int hour = 0;       // 0 to 23
    int minute = 0;
};

// The seven day names, Sunday first ("Tues" and "Thur" have four letters).
const char* const* HistoryDayNames();

// "<day name>, DD/MM/YY HH:MM"; a day of the week outside 0..6 gives an
// empty day name.
std::string FormatHistoryDate(const HistoryTime& time);

// The day of a stored date text as "YYYY-MM-DD": the first "D/M/Y" in it,
// with one or two digits for the day and month and two or four for the year.
// Two-digit years are read as strptime reads them (69 to 99 are 1969 to
// 1999, 00 to 68 are 2000 to 2068). Empty when there is no such date or it
// is not a day of the calendar.
std::string IsoDayOfHistoryDate(std::string_view stored);
