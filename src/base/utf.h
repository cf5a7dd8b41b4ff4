// Conversions between UTF-8 narrow text and wide text, and the one-byte
// (Latin-1) mapping the configuration file and the service replies use.
// Free of Win32: wide text is UTF-16 where wchar_t has 16 bits (Windows) and
// code points where it has 32.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

std::wstring Utf8ToWide(const std::string& utf8);
// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// truncated sequences).
bool IsValidUtf8(const std::string& bytes);
std::string WideToUtf8(const std::wstring& wide);

// The code point that starts at `at` in `utf8`, moving `at` past it. A
// malformed sequence gives U+FFFD and is stepped over as Utf8ToWide does.
// `at` must lie inside the text.
char32_t NextCodePoint(std::string_view utf8, std::size_t& at);
// Appends `codePoint` (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Each byte becomes the character of the same value (0..255).
std::wstring WidenLatin1(const std::string& bytes);

// Each character up to 255 becomes the byte of the same value. Returns false
// (and leaves `out` empty) when a character above 255 occurs.
bool NarrowLatin1(const std::wstring& wide, std::string& out);
