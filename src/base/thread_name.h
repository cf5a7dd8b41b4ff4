// Each of our threads says what it is ("main", "worker", "capture", "toast",
// "backdrop"), so that log lines and crash reports can name it. Free of
// Win32.
#pragma once

// `name` must outlive the thread (a string literal). Calls the hook, if one
// is set, on this thread.
void NameThisThread(const char* name);

// This thread's name, or "unnamed" for a thread that never gave one.
const char* ThisThreadName();

// Called on each thread as it names itself. Only a test build of the program
// sets one; the shipped program never does.
using ThreadNamedHook = void (*)(const char* name);
void SetThreadNamedHook(ThreadNamedHook hook);
