// The once-a-day gate in front of the update check.
#pragma once

#include <cstdint>

inline constexpr int64_t kSecondsPerDay = 86400;

// True when the last check (seconds since 1970, stored as a signed 32-bit
// value) lies strictly more than a day before `now`.
inline bool UpdateCheckDue(int32_t lastCheck, int64_t now) {
    return static_cast<int64_t>(lastCheck) < now - kSecondsPerDay;
}
