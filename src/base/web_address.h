// Which addresses the program hands to a browser. Free of Win32.
#pragma once

#include <string>

// True when `address` begins with "http://" or "https://" (the scheme in any
// letter case) and has something after it. Everything else (file:, custom
// protocols, bare paths) is refused, so that no reply or stored row can make
// the shell run a program.
bool IsWebAddress(const std::string& address);
bool IsWebAddress(const std::wstring& address);
