// liftorn-crash.exe: the program as shipped plus one switch, for the crash
// report tests only. LIFTORN_CRASH_THREAD=<name> in the environment makes
// the thread of that name ("main", "worker", "capture", "toast") write
// through a bad pointer as it starts; ":terminate" after the name calls
// std::terminate there instead, and ":nodump" leaves the minidump out of
// the report (Wine takes some twenty seconds to write one). The shipped
// liftorn.exe is built from src/app/main.cpp and has no such switch.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <exception>

#include "app/startup.h"
#include "base/crash_reports.h"
#include "base/thread_name.h"

namespace {

char target[32];
bool terminateInstead = false;

void FailIfTarget(const char* name) {
    if (std::strcmp(name, target) != 0) return;
    if (terminateInstead) std::terminate();
    volatile std::uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;  // an access violation, writing
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const DWORD length = GetEnvironmentVariableA("LIFTORN_CRASH_THREAD", target, sizeof target);
    if (length > 0 && length < sizeof target) {
        if (char* options = std::strchr(target, ':')) {
            terminateInstead = std::strstr(options, ":terminate") != nullptr;
            if (std::strstr(options, ":nodump")) LeaveOutCrashDumps();
            *options = '\0';
        }
        SetThreadNamedHook(FailIfTarget);
    }
    return RunLiftorn(instance);
}
