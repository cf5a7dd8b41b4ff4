// Opening things with the shell's "open" verb, through the seam tests
// replace (base/seams.h).
#pragma once

#include <string>

// Opens a web address in the browser; refuses (false, nothing opened) any
// address that is not http or https.
bool OpenWebAddress(const std::wstring& address);
// Opens a file or program with its associated action; true when the shell
// accepted it. For callers that chose the target themselves.
bool OpenWithShell(const std::wstring& target);
// Starts `program` with `parameters` in `directory`; true when the shell
// accepted it.
bool StartProgram(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory);
