#pragma once

#include <windows.h>

#include <string>

// The whole life of the process: start-up in its fixed order, the message
// loop, then shutdown. Returns the exit code.
int RunLiftorn(HINSTANCE instance);

// The folder of the running executable (UTF-8, ending in a backslash).
std::string FolderOfProgram();
