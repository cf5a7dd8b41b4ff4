// Whether a version text names a release newer than this program. Free of
// Win32: the tokenising and number rules of the C runtime's wcstok_s and
// _wtoi are reproduced here so they also hold in the native build.
#pragma once

#include <string>
#include <vector>

// The first `most` tokens of `text` between '.' delimiters, as wcstok_s
// finds them: runs of delimiters count as one, leading ones are skipped.
std::vector<std::wstring> VersionTokens(const std::wstring& text, std::size_t most);

// _wtoi: leading white space, an optional sign, then digits up to the first
// other character; 0 without digits; clamped to the int range.
int LeadingInteger(const std::wstring& text);

// True when `text` has three components and, compared major first, is
// above this program's version (kProductVersion). "1.2.6\n" counts as 1.2.6; "1.3" has too few parts.
bool IsNewerVersion(const std::wstring& text);
