// liftorn-crash.exe: the program as shipped plus one switch, for the crash
// report tests only. LIFTORN_CRASH_THREAD=<name> in the environment makes
// the thread of that name ("main", "worker", "capture", "toast") write
// through a bad pointer as it starts; "<name>:terminate" calls
// std::terminate there instead. The shipped liftorn.exe is built from
// src/app/main.cpp and has no such switch.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <exception>

#include "app/startup.h"
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
        if (char* kind = std::strchr(target, ':')) {
            terminateInstead = std::strcmp(kind, ":terminate") == 0;
            *kind = '\0';
        }
        SetThreadNamedHook(FailIfTarget);
    }
    return RunLiftorn(instance);
}
