#include "base/clock.h"

#include <ctime>

#include "base/seams.h"

std::int64_t UnixTimeNow() {
    if (auto now = CurrentSeams().unixTime) return now();
    return static_cast<std::int64_t>(_time64(nullptr));
}

SYSTEMTIME LocalTimeNow() {
    if (auto now = CurrentSeams().localTime) return now();
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return time;
}
