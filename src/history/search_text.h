// How the history is searched: the text the user types becomes words, and
// an entry matches when every word is found in its file name, its address
// or its day written as YYYY-MM-DD. Case and accents are ignored (é finds e,
// E finds é), everything else matches itself: there are no wildcards and no
// operators. Free of Win32, so the rules are tested on their own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What any kind of history entry offers the search.
struct SearchFields {
    std::string_view fileName;  // UTF-8
    std::string_view url;       // bytes, one character each (as stored)
    std::string_view date;      // the stored date text
};

// The most characters of a search text that count; the rest is ignored.
inline constexpr std::size_t kMaxSearchCharacters = 256;

// The folded form both sides are compared in: lower case, with the accents
// of Latin-1 and Latin Extended-A letters taken off (ß is "ss", æ "ae",
// Ł "l"), Greek and Cyrillic capitals in lower case, combining accents
// dropped. Malformed UTF-8 becomes U+FFFD. Whitespace and control characters
// become one space each, so they never join a word.
std::string FoldForSearch(std::string_view utf8);
// The same for text whose bytes are characters (0 to 255).
std::string FoldLatin1ForSearch(std::string_view bytes);

// The folded words of a search text (UTF-8): split at whitespace and
// control characters, at most kMaxSearchCharacters characters read, each
// word once, longest first. No words: the search shows everything.
std::vector<std::string> SearchWords(std::string_view text);

// An entry's fields folded into one text that words are looked for in:
// the file name, the address and the day, apart, so that no word is found
// across two of them.
std::string SearchKey(const SearchFields& fields);
// Appends SearchKey(fields) to `out` (no allocation when `out` has room).
void AppendSearchKey(const SearchFields& fields, std::string& out);

// Whether every word occurs in `key`.
bool KeyMatches(std::string_view key, const std::vector<std::string>& words);
inline bool Matches(const SearchFields& fields, const std::vector<std::string>& words) {
    return KeyMatches(SearchKey(fields), words);
}
