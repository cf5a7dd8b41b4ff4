// The short text beside a crash's minidump, the reports' file names and
// which old reports go. Free of Win32, and of the heap where a crashed
// process uses it: the text is written into the caller's buffer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/log_line.h"

// Crash reports kept in the "crashes" folder; older ones go.
inline constexpr std::size_t kKeptCrashReports = 5;

// Our own code for std::terminate (an uncaught C++ exception, say), which
// has no exception of the system's.
inline constexpr unsigned long kTerminateCode = 0xE0000001UL;

struct CrashFacts {
    LogTime time;
    const char* version = "";
    const char* windows = "";        // "6.1 build 7601 Service Pack 1"
    const char* thread = "unnamed";
    unsigned long threadId = 0;
    unsigned long code = 0;          // the exception code
    unsigned long long address = 0;  // where it happened
    const char* module = "";         // the file holding that address, if known
    unsigned long long moduleOffset = 0;
    // For an access violation: 0 read, 1 write, 8 execute; the address.
    bool hasAccess = false;
    unsigned long accessKind = 0;
    unsigned long long accessAddress = 0;
};

// A plain name for well-known exception codes ("access violation"), or
// "exception".
const char* ExceptionName(unsigned long code);

// Writes the report's text into `out` (always NUL-terminated, cut to fit).
// The length written.
std::size_t FormatCrashText(char* out, std::size_t capacity, const CrashFacts& facts);

// The name both files of a report share, without extension:
// "crash-20240501-123456-789-0000001234". Sorts by time, to the millisecond.
std::size_t FormatCrashStem(char* out, std::size_t capacity, const LogTime& time, unsigned long processId);

// Of the file names in the crashes folder, those of all but the newest
// `keep` reports (both files of each). Names that are not ours stay.
std::vector<std::string> OldCrashReportFiles(const std::vector<std::string>& names, std::size_t keep);
