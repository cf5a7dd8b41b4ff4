// Which replies of the product site count as a newer version than 1.2.5.
#include <gtest/gtest.h>

#include <climits>

#include "base/version_compare.h"

namespace {

TEST(VersionCompare, NewerMeansAboveOwnVersionMajorFirst) {
    struct Case {
        const wchar_t* reply;
        bool newer;
    };
    const Case cases[] = {
        {L"1.2.6", true},   {L"1.3.0", true},    {L"2.0.0", true},  {L"1.2.6\n", true},
        {L"1.2.5", false},  {L"1.1.9", false},   {L"0.9.9", false}, {L"1.3", false},
        {L"1.10.0", true},  {L"1.2.10", true},   {L"01.02.06", true},
        // wcstok_s: runs of dots are one delimiter, leading ones are skipped.
        {L"..1..2..6", true}, {L"1.2.6.0", true}, {L"1.2.", false},  {L"...", false},
        // _wtoi: digits up to the first other character, white space first.
        {L" 1.2.6", true},  {L"1.2.6-beta", true}, {L"1.2.x", false}, {L"1.x.9", false},
        {L"1.2.-1", false}, {L"2.-5.0", true},     {L"", false},      {L"\u0661.2.6", false},
        {L"99999999999999999999.0.0", true}, {L"1.2.99999999999999999999", true},
        {L"-99999999999999999999.0.0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.newer, IsNewerVersion(c.reply)) << testing::PrintToString(std::wstring(c.reply));
    }
}

TEST(VersionCompare, NumbersFollowTheRuntimeRules) {
    EXPECT_EQ(0, LeadingInteger(L""));
    EXPECT_EQ(0, LeadingInteger(L"abc"));
    EXPECT_EQ(42, LeadingInteger(L" \t\n42abc"));
    EXPECT_EQ(-7, LeadingInteger(L"-7"));
    EXPECT_EQ(7, LeadingInteger(L"+7"));
    EXPECT_EQ(0, LeadingInteger(L"+-7"));
    EXPECT_EQ(INT_MAX, LeadingInteger(L"2147483648"));
    EXPECT_EQ(INT_MIN, LeadingInteger(L"-2147483649"));
    EXPECT_EQ(INT_MIN, LeadingInteger(L"-2147483648"));

    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2"}), VersionTokens(L".1..2.", 3));
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3"}), VersionTokens(L"1.2.3.4", 3));
}

}  // namespace
