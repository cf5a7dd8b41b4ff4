#pragma once

#include <windows.h>

// The whole life of the process: start-up in its fixed order, the message
// loop, then shutdown. Returns the exit code.
int RunLiftorn(HINSTANCE instance);
