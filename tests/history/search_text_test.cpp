// The search rules on their own: words, case, accents, days, characters that
// mean something elsewhere, malformed text and the length bound.
#include "history/search_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/history_date.h"

namespace {

const char kResumeName[] = "R\xc3\xa9sum\xc3\xa9 Final.PDF";  // Résumé Final.PDF
const char kResumeUrl[] = "http://files.test/f/a1b2/R%C3%A9sum%C3%A9%20Final.PDF";
const char kResumeDate[] = "Tues, 03/11/26 09:05";

struct Case {
    const char* name;
    const char* url;
    const char* date;
    std::string typed;
    bool matches;
};

TEST(SearchText, AnEntryMatchesWhenEveryWordIsInItsNameAddressOrDay) {
    const Case cases[] = {
        // Words: all of them, in any order, anywhere in a field.
        {kResumeName, kResumeUrl, kResumeDate, "", true},
        {kResumeName, kResumeUrl, kResumeDate, "   ", true},
        {kResumeName, kResumeUrl, kResumeDate, "final", true},
        {kResumeName, kResumeUrl, kResumeDate, "inal sum", true},
        {kResumeName, kResumeUrl, kResumeDate, "final missing", false},
        {kResumeName, kResumeUrl, kResumeDate, "a1b2", true},  // only in the address
        // Case and accents, either way round.
        {kResumeName, kResumeUrl, kResumeDate, "RESUME", true},
        {kResumeName, kResumeUrl, kResumeDate, "r\xc3\xa9sum\xc3\xa9", true},
        {"resume.pdf", "u", "", "R\xc3\x89SUM\xc3\x89", true},                // RÉSUMÉ
        {"Re\xcc\x81sume\xcc\x81.pdf", "u", "", "r\xc3\xa9sum\xc3\xa9", true},  // combining accents
        {"Stra\xc3\x9f" "e 5.png", "u", "", "strasse", true},                  // Straße
        {"strasse.png", "u", "", "STRA\xc3\x9f" "E", true},
        {"\xc5\x81\xc3\xb3\x64\xc5\xba.jpg", "u", "", "lodz", true},           // Łódź
        {"\xc3\x86sop \xc5\x92uvre.txt", "u", "", "aesop oeuvre", true},       // Æsop Œuvre
        {"\xc4\x8c\x65\xc5\xa1ka \xc5\xbd\x69\x76\x6f\x74.doc", "u", "", "ceska zivot", true},
        {"\xc3\x98resund \xc3\x9eing.png", "u", "", "oresund thing", true},    // Øresund Þing
        {"\xce\x91\xce\x98\xce\x89\xce\x9d\xce\x91.png", "u", "",              // ΑΘΉΝΑ
         "\xce\xb1\xce\xb8\xce\xb7\xce\xbd\xce\xb1", true},                     // αθηνα
        {"\xd0\x9c\xd0\x9e\xd0\xa1\xd0\x9a\xd0\x92\xd0\x90.jpg", "u", "",      // МОСКВА
         "\xd0\xbc\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0", true},
        {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt", "u", "", "\xe6\x97\xa5\xe6\x9c\xac", true},
        {"smile \xf0\x9f\x99\x82.png", "u", "", "\xf0\x9f\x99\x82", true},
        {"e.png", "http://x/\xe9t\xe9", "", "ete", true},  // an address byte is a character
        {"e.png", "http://FILES.test/", "", "files", true},
        // Days as YYYY-MM-DD, and only so.
        {kResumeName, kResumeUrl, kResumeDate, "2026-11", true},
        {kResumeName, kResumeUrl, kResumeDate, "2026-11-03 final", true},
        {kResumeName, kResumeUrl, kResumeDate, "2026-12", false},
        {kResumeName, kResumeUrl, kResumeDate, "03/11/26", false},
        {kResumeName, kResumeUrl, kResumeDate, "tues", false},
        {"a.png", "u", "Sat, 31/12/99 23:59", "1999-12-31", true},
        {"a.png", "u", "Mon, 31/02/26 10:00", "2026", false},  // not a day
        // Characters with meanings elsewhere match themselves only.
        {"100%.png", "u", "", "%", true},
        {"abc.png", "u", "", "%", false},
        {"abc.png", "u", "", "_", false},
        {"a_c.png", "u", "", "_", true},
        {"abc.png", "u", "", "a*", false},
        {"abc.png", "u", "", "?", false},
        {"it's.png", "u", "", "it's", true},
        {"abc.png", "u", "", "' OR 1=1 --", false},
        {"abc.png", "u", "", "[a]", false},
        {kResumeName, kResumeUrl, kResumeDate, "%20", true},
        // A word is never found across two fields.
        {"ab", "cd", "", "bc", false},
        {"ab", "cd", "", "b c", true},
        {"ab", "cd", "Mon, 01/02/10 00:00", "cd2010", false},
        // Whitespace and control characters only separate.
        {kResumeName, kResumeUrl, kResumeDate, "resume\tfinal", true},
        {kResumeName, kResumeUrl, kResumeDate, "resume\xc2\xa0" "final", true},
        {kResumeName, kResumeUrl, kResumeDate, "res\x01ume", true},
        {"a b.png", "u", "", "a\nb", true},
        {"ab.png", "u", "", "a\nb", true},
        // Malformed UTF-8 on either side is one replacement character.
        {"a\xff" "b.png", "u", "", "\xfe", true},
        {"ab.png", "u", "", "\xfe", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.matches, Matches(SearchFields{c.name, c.url, c.date}, SearchWords(c.typed)))
            << "name \"" << c.name << "\", typed \"" << c.typed << "\"";
    }
}

TEST(SearchText, OnlyTheFirst256CharactersOfASearchCount) {
    const std::string name(256, 'x');
    EXPECT_TRUE(Matches({name, "u", ""}, SearchWords(name + " missing")));
    EXPECT_FALSE(Matches({name.substr(1), "u", ""}, SearchWords(name)));
    // Characters, not bytes: 256 two-byte letters and a word after them.
    std::string accented;
    for (int i = 0; i < 256; ++i) accented += "\xc3\xa9";
    const std::vector<std::string> words = SearchWords(accented + " missing");
    ASSERT_EQ(1u, words.size());
    EXPECT_EQ(std::string(256, 'e'), words[0]);
    // Far longer text is read no further than the bound.
    EXPECT_EQ(1u, SearchWords(std::string(1 << 20, 'y')).size());
    EXPECT_EQ(256u, SearchWords(std::string(1 << 20, 'y'))[0].size());
}

TEST(SearchText, WordsAreFoldedOnceEachLongestFirst) {
    EXPECT_EQ((std::vector<std::string>{"holiday", "beach", "ss"}),
              SearchWords("Beach \xc3\x9f  HOLIDAY beach"));
    EXPECT_TRUE(SearchWords(" \t\r\n\x01 ").empty());
    EXPECT_EQ("aaeeeiouy cnss", FoldForSearch("\xc3\x80\xc3\xa6\xc3\x88\xc4\x9b\xc4\xb1\xc5\x90\xc5\xb3\xc3\xbf\t\xc3\x87\xc5\x84\xc3\x9f"));
    // Bytes are characters, not UTF-8: 0xC3 is Ã, 0xA9 is ©.
    EXPECT_EQ("cafa\xc2\xa9 ete", FoldLatin1ForSearch("CAF\xc3\xa9 \xc9T\xc9"));
}

TEST(SearchText, StoredDatesGiveTheirDayAsYearMonthDay) {
    const struct {
        const char* stored;
        const char* day;
    } cases[] = {
        {"Thur, 03/03/11 09:05", "2011-03-03"},
        {"Sun, 05/06/00 12:30", "2000-06-05"},
        {"Fri, 31/12/68 23:59", "2068-12-31"},
        {"Sat, 01/01/69 00:00", "1969-01-01"},
        {"1/2/2026 12:00", "2026-02-01"},    // one-digit day and month, four-digit year
        {"Mon, 29/02/24 10:00", "2024-02-29"},
        {"Mon, 29/02/23 10:00", ""},          // not a leap year
        {"Mon, 00/01/23 10:00", ""},
        {"Mon, 01/13/23 10:00", ""},
        {"Mon, 01/01/123 10:00", ""},         // three-digit year
        {"Mon, 123/01/23 10:00", ""},
        {"", ""},
        {"garbage", ""},
        {"1/2", ""},
        {"v2/3/4/2026", "2026-04-03"},        // the first whole day/month/year
    };
    for (const auto& c : cases) EXPECT_EQ(c.day, IsoDayOfHistoryDate(c.stored)) << c.stored;
}

}  // namespace
