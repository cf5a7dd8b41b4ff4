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
