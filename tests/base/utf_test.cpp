#include "base/utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf, RoundTripsEveryPlane) {
    const std::string text = "a\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80z";  // a é 日 😀 z
    const std::wstring wide = Utf8ToWide(text);
    if (sizeof(wchar_t) == 2) {
        ASSERT_EQ(6u, wide.size());  // the emoji is a surrogate pair
        EXPECT_EQ(0xD83D, static_cast<int>(wide[3]));
        EXPECT_EQ(0xDE00, static_cast<int>(wide[4]));
    } else {
        ASSERT_EQ(5u, wide.size());
    }
    EXPECT_EQ(L'\u00e9', wide[1]);
    EXPECT_EQ(text, WideToUtf8(wide));
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
    // Truncated sequence, stray continuation, overlong slash, encoded surrogate.
    const std::wstring wide = Utf8ToWide(
        "\xe6\x97"
        "x"
        "\x80"
        "\xc0\xaf"
        "\xed\xa0\x80");
    EXPECT_EQ(L'\xfffd', wide[0]);
    EXPECT_EQ(L'x', wide[1]);
    EXPECT_EQ(L'\xfffd', wide[2]);
    EXPECT_EQ(std::wstring::npos, wide.find(L'/'));
    EXPECT_EQ(L'\xfffd', wide.back());
}

TEST(Utf, Latin1MapsBytesOneToOne) {
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    const std::wstring wide = WidenLatin1(all);
    ASSERT_EQ(256u, wide.size());
    EXPECT_EQ(0xFF, static_cast<int>(wide[255]));
    std::string back = "stale";
    ASSERT_TRUE(NarrowLatin1(wide, back));
    EXPECT_EQ(all, back);
    EXPECT_FALSE(NarrowLatin1(L"ok\u0100", back));
    EXPECT_EQ("", back);
}

}  // namespace
