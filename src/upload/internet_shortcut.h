// The Internet-shortcut file (".url") of an upload: what this program writes
// into "urls", and the address read back from such a file when the shell
// opens one with "/uri". Free of Win32.
#pragma once

#include <cstddef>
#include <string>

// What the shortcut file holds: "[InternetShortcut]", CR, CR, LF, "URL=",
// path, CR, LF (the program has always written it through a text-mode stream,
// which doubles the carriage return of the first line).
std::string InternetShortcutBytes(const std::string& path);

// A shortcut file is a few lines; anything larger is not one.
constexpr std::size_t kShortcutFileLimitBytes = 64 * 1024;
// The longest address read, as the program has always read it.
constexpr std::size_t kShortcutUrlLimit = 2047;

// The "URL" key of the "[InternetShortcut]" section in a shortcut file's
// bytes, as the system's profile reader finds it: lines end at CR or LF;
// section and key names in any letter case; blanks around names and the
// value dropped, and a pair of quotes around the value; the first such key
// counts. The file is UTF-16 after its byte-order mark, else one byte a
// character (a UTF-8 mark is skipped). Empty when there is none, or when the
// address holds anything but printable ASCII or is longer than
// kShortcutUrlLimit: no usable address does.
std::string ShortcutFileUrl(const std::string& bytes);
