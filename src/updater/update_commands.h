// The command lines the updater builds: the installer's and the program's.
// Free of Win32.
#pragma once

#include <string>

// The arguments after the program name of a Windows command line, as the C
// runtime skips it: quoted, or up to the first blank; then the blanks.
std::wstring ArgumentsAfterProgram(const std::wstring& commandLine);

// The silent installer's command line: "/S", "/PORTABLE" for a copy that
// was never installed, then "/D=" and the folder, last and unquoted as the
// installer wants it, without a trailing backslash. Empty when the folder
// is not an absolute path (drive letter) or holds a quote.
std::wstring InstallerCommandLine(const std::wstring& installer, const std::wstring& programFolder, bool portable);
