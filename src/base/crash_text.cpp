#include "base/crash_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

constexpr char kStemPrefix[] = "crash-";
// "crash-" + "YYYYMMDD-HHMMSS-mmm-" + the process id in ten digits: the
// milliseconds keep two crashes within one second in the order they came,
// which the process ids do not.
constexpr std::size_t kStemLength = sizeof kStemPrefix - 1 + 20 + 10;

bool IsDigits(const std::string& text, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// The stem of one of our report files, or empty.
std::string StemOf(const std::string& name) {
    if (name.size() != kStemLength + 4) return std::string();
    const std::string extension = name.substr(kStemLength);
    if (extension != ".txt" && extension != ".dmp") return std::string();
    if (name.compare(0, sizeof kStemPrefix - 1, kStemPrefix) != 0) return std::string();
    const std::size_t at = sizeof kStemPrefix - 1;
    if (!IsDigits(name, at, 8) || name[at + 8] != '-' || !IsDigits(name, at + 9, 6) || name[at + 15] != '-' ||
        !IsDigits(name, at + 16, 3) || name[at + 19] != '-' || !IsDigits(name, at + 20, 10)) {
        return std::string();
    }
    return name.substr(0, kStemLength);
}

// printf into out + used, cut to what is left; `used` never passes
// capacity - 1, so the text stays terminated.
void AppendFormat(char* out, std::size_t capacity, std::size_t& used, const char* format, ...) {
    if (used + 1 >= capacity) return;
    va_list arguments;
    va_start(arguments, format);
    const int added = std::vsnprintf(out + used, capacity - used, format, arguments);
    va_end(arguments);
    if (added > 0) used = std::min(capacity - 1, used + static_cast<std::size_t>(added));
}

const char* AccessKindName(unsigned long kind) {
    switch (kind) {
    case 0: return "reading";
    case 1: return "writing";
    case 8: return "executing";
    default: return "touching";
    }
}

}  // namespace

const char* ExceptionName(unsigned long code) {
    switch (code) {
    case 0xC0000005UL: return "access violation";
    case 0xC00000FDUL: return "stack overflow";
    case 0xC0000094UL: return "integer division by zero";
    case 0xC000001DUL: return "illegal instruction";
    case 0xC0000096UL: return "privileged instruction";
    case 0xC0000006UL: return "in-page error";
    case 0xC0000409UL: return "stack buffer overrun";
    case 0xC0000374UL: return "heap corruption";
    case 0x80000003UL: return "breakpoint";
    case 0xE06D7363UL: return "C++ exception";
    case kTerminateCode: return "std::terminate";
    default: return "exception";
    }
}

std::size_t FormatCrashText(char* out, std::size_t capacity, const CrashFacts& facts) {
    if (!out || capacity == 0) return 0;
    out[0] = '\0';
    std::size_t used = 0;
    const LogTime& t = facts.time;
    AppendFormat(out, capacity, used,
                 "vantorel liftorn closed unexpectedly.\r\n"
                 "Time: %04d-%02d-%02d %02d:%02d:%02d\r\n"
                 "Version: %s\r\n"
                 "Windows: %s\r\n"
                 "Thread: %s (id %lu)\r\n"
                 "Exception: 0x%08lX (%s) at 0x%016llX",
                 t.year, t.month, t.day, t.hour, t.minute, t.second, facts.version ? facts.version : "",
                 facts.windows ? facts.windows : "", facts.thread ? facts.thread : "unnamed", facts.threadId,
                 facts.code, ExceptionName(facts.code), facts.address);
    if (facts.module && *facts.module) {
        AppendFormat(out, capacity, used, " (%s+0x%llX)", facts.module, facts.moduleOffset);
    }
    if (facts.hasAccess) {
        AppendFormat(out, capacity, used, "\r\nAccess: %s 0x%016llX", AccessKindName(facts.accessKind),
                     facts.accessAddress);
    }
    AppendFormat(out, capacity, used, "\r\n");
    return used;
}

std::size_t FormatCrashStem(char* out, std::size_t capacity, const LogTime& t, unsigned long processId) {
    if (!out || capacity == 0) return 0;
    const int length = std::snprintf(out, capacity, "%s%04d%02d%02d-%02d%02d%02d-%03d-%010lu", kStemPrefix,
                                     t.year, t.month, t.day, t.hour, t.minute, t.second, t.millis, processId);
    return length < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(length), capacity - 1);
}

std::vector<std::string> OldCrashReportFiles(const std::vector<std::string>& names, std::size_t keep) {
    std::set<std::string> stems;
    for (const std::string& name : names) {
        const std::string stem = StemOf(name);
        if (!stem.empty()) stems.insert(stem);
    }
    std::set<std::string> old;
    std::size_t newer = 0;
    for (auto stem = stems.rbegin(); stem != stems.rend(); ++stem) {
        if (newer++ >= keep) old.insert(*stem);
    }
    std::vector<std::string> remove;
    for (const std::string& name : names) {
        const std::string stem = StemOf(name);
        if (!stem.empty() && old.count(stem)) remove.push_back(name);
    }
    return remove;
}
