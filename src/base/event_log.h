// The log the user can send us: "liftorn.log" in the data folder, one line
// per event (base/log_line.h has the format and the rule that keeps secrets
// out). Any thread writes its own line; the lock is held only for the
// append, so a slow disk never holds a window's thread behind another
// thread's line. Lines before the log is opened are dropped.
#pragma once

#include <initializer_list>
#include <string>

#include "base/log_line.h"

// Opens (or creates) the log in `folder` (ends with a backslash). False
// when it cannot; the program then runs without one.
bool OpenEventLog(const std::wstring& folder);
void CloseEventLog();

// Appends one line: the time, this thread's name, the event and its fields.
void LogEvent(const char* event, std::initializer_list<LogField> fields = {});

// The same from a crashed process: gives up rather than wait for the lock.
void TryLogEvent(const char* event, std::initializer_list<LogField> fields = {});

// A whole number as a field value.
std::string LogNumber(long long value);
// Wide text (a file name) as a field value.
std::string LogText(const std::wstring& text);
