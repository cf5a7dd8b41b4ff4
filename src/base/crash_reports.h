// What a crash leaves for us: an unhandled exception on any thread of the
// process (or std::terminate) writes a small minidump with the threads'
// stacks and a short text file into the crashes folder, then ends the
// process. Nothing is sent anywhere.
#pragma once

#include <string>

// Installs the handlers. `crashFolder` ends with a backslash and is made if
// missing. Reports older than the newest kKeptCrashReports go now.
void InstallCrashReports(const std::wstring& crashFolder);

// True once for each crash that wrote a report since the last answer: the
// next start tells the user.
bool TakeNewCrashReport(const std::wstring& crashFolder);

// For the crash tests under Wine, which takes some twenty seconds to write a
// minidump: reports from then on have the text only. Never called by the
// program itself.
void LeaveOutCrashDumps();

// Removes all but the newest kKeptCrashReports reports in the folder.
void RemoveOldCrashReports(const std::wstring& crashFolder);
