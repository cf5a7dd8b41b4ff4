#include "base/event_log.h"

#include <windows.h>

#include <mutex>

#include "base/scoped_win.h"
#include "base/thread_name.h"
#include "base/utf.h"

namespace {

struct EventLog {
    std::mutex lock;  // guards everything below
    ScopedHandle file;
    std::string path;  // UTF-8
    unsigned long long size = 0;
};

EventLog& Log() {
    // Never destroyed: threads may still write while the process ends.
    static EventLog* log = new EventLog;
    return *log;
}

HANDLE OpenForAppending(const std::string& path) {
    // Others may read (and the user delete) the file while we write it.
    return CreateFileW(Utf8ToWide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

unsigned long long SizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? static_cast<unsigned long long>(size.QuadPart) : 0;
}

// Moves each old file one place down and starts an empty log. Lock held.
void Rotate(EventLog& log) {
    log.file.reset();
    for (int index = kOldLogFiles; index > 0; --index) {
        const std::wstring to = Utf8ToWide(OldLogPath(log.path, index));
        const std::wstring from = Utf8ToWide(OldLogPath(log.path, index - 1));
        MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    log.file.reset(OpenForAppending(log.path));
    log.size = log.file ? SizeOf(log.file.get()) : 0;
}

// Lock held.
void Append(EventLog& log, const std::string& line) {
    if (!log.file) return;
    if (log.size > 0 && log.size + line.size() > kLogRotateBytes) Rotate(log);
    if (!log.file) return;
    DWORD written = 0;
    WriteFile(log.file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    log.size += written;
}

std::string Line(const char* event, std::initializer_list<LogField> fields) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const LogTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    return FormatLogLine(time, ThisThreadName(), event, fields);
}

}  // namespace

bool OpenEventLog(const std::wstring& folder) {
    EventLog& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    log.path = WideToUtf8(folder) + "liftorn.log";
    log.file.reset(OpenForAppending(log.path));
    log.size = log.file ? SizeOf(log.file.get()) : 0;
    return static_cast<bool>(log.file);
}

void CloseEventLog() {
    EventLog& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    log.file.reset();
}

void LogEvent(const char* event, std::initializer_list<LogField> fields) {
    const std::string line = Line(event, fields);  // formatted before the lock
    EventLog& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    Append(log, line);
}

void TryLogEvent(const char* event, std::initializer_list<LogField> fields) {
    const std::string line = Line(event, fields);
    EventLog& log = Log();
    std::unique_lock<std::mutex> hold(log.lock, std::try_to_lock);
    if (hold.owns_lock()) Append(log, line);
}

std::string LogNumber(long long value) { return std::to_string(value); }

std::string LogText(const std::wstring& text) { return WideToUtf8(text); }
