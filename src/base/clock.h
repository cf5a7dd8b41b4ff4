// What time it is, through the seam tests replace (base/seams.h).
#pragma once

#include <windows.h>

#include <cstdint>

// Seconds since 1970 (UTC).
std::int64_t UnixTimeNow();
// Local wall-clock time.
SYSTEMTIME LocalTimeNow();
// Milliseconds since some fixed moment; never goes back.
std::uint64_t SteadyMillisNow();
