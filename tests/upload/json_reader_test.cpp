#include "upload/json_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define JSON_TEST_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JSON_TEST_LEAK_CHECK 1
#endif
#endif
#ifdef JSON_TEST_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace {

struct TreeDeleter {
    void operator()(JsonNode* root) const { DestroyJson(root); }
};
using Tree = std::unique_ptr<JsonNode, TreeDeleter>;

Tree Parse(const std::string& text) {
    return Tree(ParseJson(text.c_str()));
}

// For text that must parse: a failure is reported and yields an empty Null
// node, so the test goes on instead of crashing.
Tree ParseValid(const std::string& text) {
    Tree root = Parse(text);
    if (!root) {
        ADD_FAILURE() << "did not parse: " << text.substr(0, 80);
        root.reset(new JsonNode());
    }
    return root;
}

// Under AddressSanitizer: nothing allocated so far is unreachable.
void ExpectNothingLeaked() {
#ifdef JSON_TEST_LEAK_CHECK
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

std::string Repeat(const std::string& piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

TEST(JsonReader, EmptyOrBlankTextIsNull) {
    EXPECT_EQ(ParseJson(nullptr), nullptr);
    EXPECT_EQ(ParseJsonWide(nullptr), nullptr);
    EXPECT_FALSE(Parse(""));
    EXPECT_FALSE(Parse(" \t\r\n "));
    EXPECT_FALSE(Parse("\f1"));  // form feed is not whitespace
}

TEST(JsonReader, SpacedObjectParsesButTrailingTextFails) {
    Tree root = Parse("  { \"path\" : \"http://x/a.png\" }  ");
    ASSERT_TRUE(IsObject(root.get()));
    const JsonMembers members = AsObject(root.get());
    ASSERT_EQ(members.count(L"path"), 1u);
    EXPECT_TRUE(IsString(members.at(L"path")));
    EXPECT_EQ(AsString(members.at(L"path")), "http://x/a.png");

    EXPECT_FALSE(Parse("  { \"path\" : \"http://x/a.png\" }  more"));
    EXPECT_FALSE(Parse("{} {}"));
}

TEST(JsonReader, AnyValueMayBeTheRoot) {
    EXPECT_EQ(ParseValid("\"s\"")->kind, JsonNodeKind::String);
    EXPECT_EQ(ParseValid("7")->kind, JsonNodeKind::Number);
    EXPECT_EQ(ParseValid("null")->kind, JsonNodeKind::Null);
    EXPECT_EQ(ParseValid("[]")->kind, JsonNodeKind::Array);

    // Fields that do not belong to the kind stay empty.
    Tree text = ParseValid("\"s\"");
    EXPECT_FALSE(text->flag);
    EXPECT_EQ(text->number, 0.0);
    EXPECT_TRUE(text->items.empty() && text->members.empty());
}

TEST(JsonReader, LiteralsIgnoreCaseButNotTheirNeighbours) {
    Tree list = Parse("[TRUE, False ,NULL,tRuE]");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->items.size(), 4u);
    EXPECT_TRUE(IsBool(list->items[0]) && AsBool(list->items[0]));
    EXPECT_TRUE(IsBool(list->items[1]) && !AsBool(list->items[1]));
    EXPECT_EQ(list->items[2]->kind, JsonNodeKind::Null);
    EXPECT_TRUE(AsBool(list->items[3]));

    for (const char* bad : {"tru", "nul", "fals", "truex", "[truefalse]", "{\"a\":nullx}", "yes"}) {
        EXPECT_FALSE(Parse(bad)) << bad;
    }
}

TEST(JsonReader, StringCharactersAndEscapes) {
    EXPECT_EQ(ParseValid("\"a\tb\"")->text, L"a\tb");  // a raw tab is kept
    EXPECT_EQ(ParseValid("\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"")->text, L"\"\\/\b\f\n\r\t");
    EXPECT_EQ(ParseValid("\"\\u00e9\"")->text, std::wstring(1, static_cast<wchar_t>(0xE9)));
    EXPECT_EQ(ParseValid("\"\\u00C9\"")->text, std::wstring(1, static_cast<wchar_t>(0xC9)));
    // A surrogate pair stays two units; \u0000 is a character like any other.
    const std::wstring pair = ParseValid("\"\\uD83D\\uDE00\"")->text;
    ASSERT_EQ(pair.size(), 2u);
    EXPECT_EQ(static_cast<unsigned>(pair[0]), 0xD83Du);
    EXPECT_EQ(static_cast<unsigned>(pair[1]), 0xDE00u);
    EXPECT_EQ(ParseValid("\"a\\u0000b\"")->text, std::wstring(L"a\0b", 3));

    for (const char* bad : {"\"a\nb\"", "\"a\rb\"", "\"\x01\"", "\"\\x\"", "\"\\", "\"abc",
                            "\"\\u12", "\"\\u12\"", "\"\\u12g4\"", "\"\\u\""}) {
        EXPECT_FALSE(Parse(bad)) << bad;
    }
}

TEST(JsonReader, AsStringGivesTheReplyBytesBack) {
    Tree utf8 = Parse("\"\xC3\xA9\"");
    ASSERT_TRUE(utf8);
    ASSERT_EQ(utf8->text.size(), 2u);  // widened byte by byte, not decoded
    EXPECT_EQ(static_cast<unsigned>(utf8->text[0]), 0xC3u);
    EXPECT_EQ(static_cast<unsigned>(utf8->text[1]), 0xA9u);
    EXPECT_EQ(AsString(utf8.get()), "\xC3\xA9");

    std::string bytes = "\t";
    for (int b = 0x20; b <= 0xFF; ++b) {
        if (b != '"' && b != '\\') bytes += static_cast<char>(b);
    }
    bytes += std::string(5000, 'x');  // longer than one reservation step
    EXPECT_EQ(AsString(Parse("\"" + bytes + "\"").get()), bytes);

    // Escapes above U+00FF keep their low byte only.
    EXPECT_EQ(AsString(Parse("\"\\u20AC\\u0041\"").get()), "\xAC" "A");
    EXPECT_EQ(AsString(nullptr), "");
}

TEST(JsonReader, WideEntryPointReadsUnitsAbove255) {
    const wchar_t text[] = {L'{', L'"', 0x20AC, L'"', L':', L'"', 0xFFFF, L'"', L'}', 0};
    Tree root(ParseJsonWide(text));
    ASSERT_TRUE(IsObject(root.get()));
    const JsonMembers members = AsObject(root.get());
    const auto found = members.find(std::wstring(1, static_cast<wchar_t>(0x20AC)));
    ASSERT_NE(found, members.end());
    EXPECT_EQ(found->second->text, std::wstring(1, static_cast<wchar_t>(0xFFFF)));
}

TEST(JsonReader, Numbers) {
    const struct {
        const char* text;
        double value;
    } good[] = {
        {"-0.5e1", -5.0}, {"1.05", 1.05}, {"0", 0.0},   {"42", 42.0},       {"1e+2", 100.0},
        {"2E-2", 0.02},   {"-12.25", -12.25}, {"0.001", 0.001}, {"3e0", 3.0},
    };
    for (const auto& c : good) {
        Tree number = Parse(c.text);
        ASSERT_TRUE(number) << c.text;
        EXPECT_EQ(number->kind, JsonNodeKind::Number);
        EXPECT_DOUBLE_EQ(number->number, c.value) << c.text;
    }
    EXPECT_TRUE(std::signbit(ParseValid("-0")->number));

    for (const char* bad : {"01", "00", "1.", "-x", "-", "1e", "1e+", ".5", "+1", "1.e5", "0x10", "[1.]"}) {
        EXPECT_FALSE(Parse(bad)) << bad;
    }
}

// Runs longer than nine digits: no integer overflow, and results that make sense.
TEST(JsonReader, LongDigitRuns) {
    EXPECT_EQ(ParseValid("12345678901")->number, 12345678901.0);
    EXPECT_DOUBLE_EQ(ParseValid("-98765432109876543210")->number, -98765432109876543210.0);
    EXPECT_DOUBLE_EQ(ParseValid("18446744073709551616")->number, 18446744073709551616.0);
    EXPECT_DOUBLE_EQ(ParseValid("0.12345678901234567890123")->number, 0.12345678901234567890123);
    EXPECT_DOUBLE_EQ(ParseValid("1.0000000000001")->number, 1.0000000000001);
    EXPECT_EQ(ParseValid("1e0000000000000000000002")->number, 100.0);

    const std::string hugeInteger(400, '9');
    EXPECT_TRUE(std::isinf(ParseValid(hugeInteger)->number));
    EXPECT_EQ(ParseValid("1e2147483648")->number, INFINITY);
    EXPECT_EQ(ParseValid("-1e400")->number, -INFINITY);
    EXPECT_EQ(ParseValid("1e-99999999999999999999")->number, 0.0);
    EXPECT_EQ(ParseValid("0e99999999999")->number, 0.0);
    EXPECT_EQ(ParseValid(hugeInteger + "e-99999999999")->number, INFINITY);

    const double tiny = ParseValid("0." + std::string(400, '0') + "1")->number;
    EXPECT_TRUE(tiny >= 0.0 && tiny < 1e-300);
    EXPECT_DOUBLE_EQ(ParseValid("0." + std::string(400, '3'))->number, 1.0 / 3.0);
}

TEST(JsonReader, Arrays) {
    EXPECT_TRUE(ParseValid("[]")->items.empty());
    EXPECT_TRUE(ParseValid("[ \r\n ]")->items.empty());

    Tree list = Parse("[ 1 ,\"two\", [true] ]");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->items.size(), 3u);
    EXPECT_EQ(list->items[0]->number, 1.0);
    EXPECT_EQ(list->items[1]->text, L"two");
    ASSERT_EQ(list->items[2]->items.size(), 1u);
    EXPECT_TRUE(AsBool(list->items[2]->items[0]));

    for (const char* bad : {"[1,2,]", "[,1]", "[1 2]", "[", "[1", "[1,", "[ ", "]", "[1]]"}) {
        EXPECT_FALSE(Parse(bad)) << bad;
    }
}

TEST(JsonReader, Objects) {
    EXPECT_TRUE(IsObject(Parse("{}").get()));
    EXPECT_TRUE(ParseValid("{ \t}")->members.empty());

    for (const char* bad : {"{\"a\":1,}", "{a:1}", "{'a':1}", "{\"a\" 1}", "{\"a\":}", "{\"a\":1 \"b\":2}",
                            "{", "{\"a\"", "{\"a\":", "{\"a\":1", "{,}", "{\"a\":1}}"}) {
        EXPECT_FALSE(Parse(bad)) << bad;
    }
}

TEST(JsonReader, DuplicateNameKeepsTheLastValue) {
    Tree root = Parse("{\"a\":[1,{\"x\":2}],\"b\":true,\"a\":\"second\"}");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->members.size(), 2u);
    EXPECT_TRUE(IsString(root->members.at(L"a")));
    EXPECT_EQ(AsString(root->members.at(L"a")), "second");
    root.reset();
    ExpectNothingLeaked();  // the replaced array was freed
}

TEST(JsonReader, MembersSortBySixteenBitUnits) {
    Tree root = Parse("{\"b\":1,\"\\uffff\":2,\"a\":3,\"\\u0100\":4,\"Z\":5,\"\\u00e9\":6}");
    ASSERT_TRUE(root);
    std::wstring order;
    for (const auto& member : root->members) order += member.first;
    const std::wstring expected = {L'Z', L'a', L'b', static_cast<wchar_t>(0xE9),
                                   static_cast<wchar_t>(0x100), static_cast<wchar_t>(0xFFFF)};
    EXPECT_EQ(order, expected);
}

TEST(JsonReader, AsObjectSharesTheTreesNodes) {
    Tree root = Parse("{\"authorised\":true,\"other\":\"yes\"}");
    ASSERT_TRUE(root);
    const JsonMembers members = AsObject(root.get());
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members.at(L"authorised"), root->members.at(L"authorised"));
    EXPECT_TRUE(IsBool(members.at(L"authorised")) && AsBool(members.at(L"authorised")));
    EXPECT_FALSE(IsBool(members.at(L"other")));
    EXPECT_TRUE(AsObject(nullptr).empty());
    EXPECT_FALSE(IsObject(nullptr) || IsString(nullptr) || IsBool(nullptr) || AsBool(nullptr));
}

TEST(JsonReader, NestingIsBounded) {
    const int limit = kMaxJsonDepth;
    EXPECT_TRUE(Parse(Repeat("[", limit) + Repeat("]", limit)));
    EXPECT_FALSE(Parse(Repeat("[", limit + 1) + Repeat("]", limit + 1)));
    Tree objects = Parse(Repeat("{\"a\":", limit - 1) + "{}" + Repeat("}", limit - 1));
    EXPECT_TRUE(objects);
    EXPECT_FALSE(Parse(Repeat("{\"a\":", limit) + "{}" + Repeat("}", limit)));

    // Hostile depths fail cleanly instead of exhausting the stack.
    EXPECT_FALSE(Parse(Repeat("[", 100000)));
    EXPECT_FALSE(Parse(Repeat("[", 100000) + Repeat("]", 100000)));
    EXPECT_FALSE(Parse(Repeat("{\"a\":", 100000)));
    EXPECT_FALSE(Parse(Repeat("[{\"a\":", 50000)));
    ExpectNothingLeaked();
}

TEST(JsonReader, FailureDeepInsideLeavesNothingAllocated) {
    const std::string good = "{\"a\":[1,{\"b\":\"x\",\"c\":[true,null,{\"d\":1.5}]},\"y\"],\"e\":\"f\"}";
    ASSERT_TRUE(Parse(good));
    // Break the text at every position: each prefix but the whole is no document.
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        EXPECT_FALSE(Parse(good.substr(0, cut))) << cut;
    }
    for (const char* bad : {"{\"a\":[1,{\"b\":\"x\",\"c\":[true,null,{\"d\":1.}]}]}",
                            "[[1,2],[3,[4,{\"k\":[5,]}]]]", "{\"a\":{\"b\":{\"c\":\"\\q\"}}}",
                            "[{\"a\":1,\"a\":2,\"a\":[3,4,x]}]"}) {
        EXPECT_FALSE(Parse(bad)) << bad;
    }
    ExpectNothingLeaked();
}

}  // namespace
