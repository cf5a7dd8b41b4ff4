#include "history/search_text.h"

#include <algorithm>

#include "base/utf.h"
#include "history/history_date.h"

namespace {

// U+00C0 to U+00FF folded; null keeps the character (× and ÷).
const char* const kLatin1Folds[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",   // À..Ï
    "d", "n", "o", "o", "o", "o", "o", nullptr, "o", "u", "u", "u", "u", "y", "th", "ss",  // Ð..ß
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",   // à..ï
    "d", "n", "o", "o", "o", "o", "o", nullptr, "o", "u", "u", "u", "u", "y", "th", "y",   // ð..ÿ
};

// U+0100 to U+017F, Latin Extended-A, folded: runs of letters that share a
// base letter.
struct FoldRun {
    char32_t last;  // the run ends here; it begins after the previous run
    const char* folded;
};
const FoldRun kExtendedAFolds[] = {
    {0x0105, "a"},  {0x010D, "c"}, {0x0111, "d"}, {0x011B, "e"}, {0x0123, "g"},
    {0x0127, "h"},  {0x0131, "i"}, {0x0133, "ij"}, {0x0135, "j"}, {0x0138, "k"},
    {0x0142, "l"},  {0x014B, "n"}, {0x0151, "o"}, {0x0153, "oe"}, {0x0159, "r"},
    {0x0161, "s"},  {0x0167, "t"}, {0x0173, "u"}, {0x0175, "w"}, {0x0178, "y"},
    {0x017E, "z"},  {0x017F, "s"},
};

// Greek letters with accents (tonos, dialytika) and the final sigma, by
// their plain lower-case letter.
char32_t GreekBase(char32_t c) {
    switch (c) {
    case 0x0386: case 0x03AC: return 0x03B1;  // alpha
    case 0x0388: case 0x03AD: return 0x03B5;  // epsilon
    case 0x0389: case 0x03AE: return 0x03B7;  // eta
    case 0x038A: case 0x03AF: case 0x0390: case 0x03AA: case 0x03CA: return 0x03B9;  // iota
    case 0x038C: case 0x03CC: return 0x03BF;  // omicron
    case 0x038E: case 0x03CD: case 0x03B0: case 0x03AB: case 0x03CB: return 0x03C5;  // upsilon
    case 0x038F: case 0x03CE: return 0x03C9;  // omega
    case 0x03C2: return 0x03C3;               // final sigma
    default: return 0;
    }
}

bool IsSpace(char32_t c) {
    return c < 0x20 || c == ' ' || (c >= 0x7F && c <= 0xA0) || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Marks that only change how the letters before them look.
bool IsDropped(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200D) || c == 0xFEFF;
}

void AppendFolded(char32_t c, std::string& out) {
    if (c < 0x80) {
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        out.push_back(IsSpace(c) ? ' ' : static_cast<char>(c));
        return;
    }
    if (IsSpace(c)) {
        out.push_back(' ');
        return;
    }
    if (IsDropped(c)) return;
    if (c >= 0xC0 && c <= 0xFF) {
        if (const char* folded = kLatin1Folds[c - 0xC0]) {
            out += folded;
            return;
        }
    } else if (c >= 0x0100 && c <= 0x017F) {
        for (const FoldRun& run : kExtendedAFolds) {
            if (c <= run.last) {
                out += run.folded;
                return;
            }
        }
    } else if (c >= 0x0386 && c <= 0x03CE) {
        if (const char32_t base = GreekBase(c)) {
            c = base;
        } else if (c >= 0x0391 && c <= 0x03A9) {
            c += 0x20;
        }
    } else if (c >= 0x0400 && c <= 0x045F) {
        if (c >= 0x0410 && c <= 0x042F) c += 0x20;
        else if (c < 0x0410) c += 0x50;
        if (c == 0x0451) c = 0x0435;  // ё is looked for as е
    }
    AppendUtf8(out, c);
}

void AppendFoldedUtf8(std::string_view utf8, std::string& out) {
    for (std::size_t at = 0; at < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (byte < 0x80) {
            AppendFolded(byte, out);
            ++at;
        } else {
            AppendFolded(NextCodePoint(utf8, at), out);
        }
    }
}

void AppendFoldedLatin1(std::string_view bytes, std::string& out) {
    for (const char byte : bytes) AppendFolded(static_cast<unsigned char>(byte), out);
}

}  // namespace

std::string FoldForSearch(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendFoldedUtf8(utf8, out);
    return out;
}

std::string FoldLatin1ForSearch(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    AppendFoldedLatin1(bytes, out);
    return out;
}

std::vector<std::string> SearchWords(std::string_view text) {
    std::string folded;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size() && characters < kMaxSearchCharacters; ++characters) {
        AppendFolded(NextCodePoint(text, at), folded);
    }
    std::vector<std::string> words;
    for (std::size_t start = 0; start < folded.size();) {
        std::size_t end = folded.find(' ', start);
        if (end == std::string::npos) end = folded.size();
        if (end > start) {
            std::string word = folded.substr(start, end - start);
            if (std::find(words.begin(), words.end(), word) == words.end()) {
                words.push_back(std::move(word));
            }
        }
        start = end + 1;
    }
    // The longest word is the likeliest to rule an entry out at once.
    std::stable_sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return a.size() > b.size();
    });
    return words;
}

void AppendSearchKey(const SearchFields& fields, std::string& out) {
    AppendFoldedUtf8(fields.fileName, out);
    out.push_back('\0');
    AppendFoldedLatin1(fields.url, out);
    out.push_back('\0');
    out += IsoDayOfHistoryDate(fields.date);
}

std::string SearchKey(const SearchFields& fields) {
    std::string key;
    key.reserve(fields.fileName.size() + fields.url.size() + 12);
    AppendSearchKey(fields, key);
    return key;
}

bool KeyMatches(std::string_view key, const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (key.find(word) == std::string_view::npos) return false;
    }
    return true;
}
