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

std::uint64_t SteadyMillisNow() {
    if (auto now = CurrentSeams().steadyMillis) return now();
    // GetTickCount64 is missing before Vista; the performance counter is not.
    LARGE_INTEGER frequency{}, count{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    if (frequency.QuadPart <= 0) return GetTickCount();
    const std::uint64_t ticks = static_cast<std::uint64_t>(count.QuadPart);
    const std::uint64_t perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}
