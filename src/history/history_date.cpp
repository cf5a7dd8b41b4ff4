#include "history/history_date.h"

#include <cstdio>

const char* const* HistoryDayNames() {
    static const char* const names[7] = {"Sun", "Mon", "Tues", "Wed", "Thur", "Fri", "Sat"};
    return names;
}

std::string FormatHistoryDate(const HistoryTime& time) {
    const char* name = (time.dayOfWeek >= 0 && time.dayOfWeek < 7)
                           ? HistoryDayNames()[time.dayOfWeek]
                           : "";
    char text[64];
    std::snprintf(text, sizeof text, "%s, %.2d/%.2d/%.2d %.2d:%.2d", name, time.day, time.month,
                  time.year % 100, time.hour, time.minute);
    return text;
}

namespace {

// The digits at `at` (at most `most` of them), moving `at` past them; -1
// when there are fewer than `least`.
int ReadNumber(std::string_view text, std::size_t& at, std::size_t least, std::size_t most) {
    int value = 0;
    std::size_t count = 0;
    while (at < text.size() && count < most && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++count;
    }
    const bool moreDigits = at < text.size() && text[at] >= '0' && text[at] <= '9';
    return count >= least && !moreDigits ? value : -1;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

}  // namespace

std::string IsoDayOfHistoryDate(std::string_view stored) {
    for (std::size_t start = 0; start < stored.size(); ++start) {
        const bool digit = stored[start] >= '0' && stored[start] <= '9';
        const bool afterDigit = start > 0 && stored[start - 1] >= '0' && stored[start - 1] <= '9';
        if (!digit || afterDigit) continue;
        std::size_t at = start;
        const int day = ReadNumber(stored, at, 1, 2);
        if (day < 0 || at >= stored.size() || stored[at++] != '/') continue;
        const int month = ReadNumber(stored, at, 1, 2);
        if (month < 0 || at >= stored.size() || stored[at++] != '/') continue;
        const std::size_t yearStart = at;
        int year = ReadNumber(stored, at, 2, 4);
        if (year < 0 || at - yearStart == 3) continue;
        if (at - yearStart == 2) year += year >= 69 ? 1900 : 2000;
        if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return {};
        char text[36];  // room for any three ints, so no truncation is even possible
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        return text;
    }
    return {};
}
