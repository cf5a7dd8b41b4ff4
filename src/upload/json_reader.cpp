#include "upload/json_reader.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

namespace {

using NodePtr = std::unique_ptr<JsonNode>;

// Digit runs are gathered exactly in 64 bits while below this value (18 or 19
// significant digits, more than a double keeps); later digits only scale the
// integer part and are too small to change a fraction.
constexpr std::uint64_t kExactDigitsLimit = 1000000000000000000ull;

// A larger exponent already takes any double to infinity or zero; stopping
// here keeps the accumulator far from overflow.
constexpr int kExponentCap = 100000;

// Where the reader stands in the text, and how many arrays and objects
// enclose that place.
struct Cursor {
    const wchar_t* pos;
    int depth;
};

// The value of a character as an unsigned code unit, whatever the signedness
// and width of wchar_t.
std::uint32_t CodeUnit(wchar_t ch) {
    return static_cast<std::uint32_t>(ch);
}

bool IsWhitespace(wchar_t ch) {
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

int DigitValue(wchar_t ch) {
    return static_cast<int>(ch - L'0');
}

int HexDigitValue(wchar_t ch) {
    if (IsDigit(ch)) return DigitValue(ch);
    if (ch >= L'a' && ch <= L'f') return static_cast<int>(ch - L'a') + 10;
    if (ch >= L'A' && ch <= L'F') return static_cast<int>(ch - L'A') + 10;
    return -1;
}

// Advances past whitespace; true when a character other than the terminating
// NUL follows.
bool SkipWhitespace(Cursor& cursor) {
    while (IsWhitespace(*cursor.pos)) ++cursor.pos;
    return *cursor.pos != L'\0';
}

// Whether the text at the cursor spells `word` (lower-case ASCII), letters
// compared without regard to case. A shorter text fails on its NUL, so nothing
// past the end is read.
bool LiteralFollows(const Cursor& cursor, const char* word) {
    for (std::size_t i = 0; word[i] != '\0'; ++i) {
        wchar_t ch = cursor.pos[i];
        if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
        if (ch != static_cast<wchar_t>(word[i])) return false;
    }
    return true;
}

NodePtr ParseValue(Cursor& cursor);

// Decodes the escape whose letter is at the cursor and steps past it.
bool DecodeEscape(Cursor& cursor, wchar_t& out) {
    const wchar_t letter = *cursor.pos;
    switch (letter) {
    case L'"':
    case L'/':
    case L'\\': out = letter; break;
    case L'b': out = 0x08; break;
    case L'f': out = 0x0C; break;
    case L'n': out = 0x0A; break;
    case L'r': out = 0x0D; break;
    case L't': out = 0x09; break;
    case L'u': {
        // Exactly four hex digits make one 16-bit unit; surrogate pairs are
        // left as two units. A NUL is not a hex digit, so a short text fails.
        std::uint32_t unit = 0;
        for (int i = 1; i <= 4; ++i) {
            const int digit = HexDigitValue(cursor.pos[i]);
            if (digit < 0) return false;
            unit = unit * 16 + static_cast<std::uint32_t>(digit);
        }
        out = static_cast<wchar_t>(unit);
        cursor.pos += 4;
        break;
    }
    default: return false;
    }
    ++cursor.pos;
    return true;
}

// Reads a string body; the cursor is just after the opening quote.
bool ReadStringBody(Cursor& cursor, std::wstring& out) {
    // Reserve room 256 characters at a time rather than growing by one.
    std::size_t wanted = out.size();
    for (;;) {
        wchar_t ch = *cursor.pos;
        if (ch == L'\0') return false;
        if (ch == L'"') {
            ++cursor.pos;
            out.shrink_to_fit();
            return true;
        }
        if (ch == L'\\') {
            ++cursor.pos;
            if (!DecodeEscape(cursor, ch)) return false;
        } else {
            if (CodeUnit(ch) < 0x20 && ch != L'\t') return false;
            ++cursor.pos;
        }
        if (++wanted > out.capacity()) {
            wanted += 256;
            out.reserve(wanted);
        }
        out.push_back(ch);
    }
}

// A run of decimal digits as a whole number. A run too long for 64 bits
// keeps growing by powers of ten and ends at infinity, never overflowing.
double ReadIntegerRun(Cursor& cursor) {
    std::uint64_t leading = 0;
    double scale = 1.0;
    while (IsDigit(*cursor.pos)) {
        if (leading < kExactDigitsLimit) {
            leading = leading * 10 + static_cast<std::uint64_t>(DigitValue(*cursor.pos));
        } else if (!std::isinf(scale)) {
            scale *= 10.0;
        }
        ++cursor.pos;
    }
    return static_cast<double>(leading) * scale;
}

// A run of fraction digits d1...dn as the integer d1...dn over 10^n. Leading
// zeros only grow the denominator (a very long run of them gives zero).
double ReadFractionRun(Cursor& cursor) {
    std::uint64_t numerator = 0;
    double denominator = 1.0;
    while (IsDigit(*cursor.pos)) {
        if (numerator < kExactDigitsLimit) {
            numerator = numerator * 10 + static_cast<std::uint64_t>(DigitValue(*cursor.pos));
            denominator *= 10.0;
        }
        ++cursor.pos;
    }
    return static_cast<double>(numerator) / denominator;
}

int ReadExponentRun(Cursor& cursor) {
    int exponent = 0;
    while (IsDigit(*cursor.pos)) {
        if (exponent < kExponentCap) exponent = exponent * 10 + DigitValue(*cursor.pos);
        ++cursor.pos;
    }
    return exponent;
}

// Scales by ten once per unit; stops once the value can no longer change
// (zero or infinite), so a huge exponent costs a few hundred steps at most.
double ApplyExponent(double value, int exponent, bool negative) {
    for (int i = 0; i < exponent; ++i) {
        if (value == 0.0 || std::isinf(value)) break;
        value = negative ? value / 10.0 : value * 10.0;
    }
    return value;
}

// The cursor is at '-' or a digit.
NodePtr ParseNumber(Cursor& cursor) {
    bool negative = false;
    if (*cursor.pos == L'-') {
        negative = true;
        ++cursor.pos;
    }
    double value = 0.0;
    if (*cursor.pos == L'0') {
        ++cursor.pos;  // a leading zero stands alone
    } else if (IsDigit(*cursor.pos)) {
        value = ReadIntegerRun(cursor);
    } else {
        return nullptr;
    }
    if (*cursor.pos == L'.') {
        ++cursor.pos;
        if (!IsDigit(*cursor.pos)) return nullptr;
        value += ReadFractionRun(cursor);
    }
    if (*cursor.pos == L'e' || *cursor.pos == L'E') {
        ++cursor.pos;
        bool negativeExponent = false;
        if (*cursor.pos == L'+') {
            ++cursor.pos;
        } else if (*cursor.pos == L'-') {
            negativeExponent = true;
            ++cursor.pos;
        }
        if (!IsDigit(*cursor.pos)) return nullptr;
        value = ApplyExponent(value, ReadExponentRun(cursor), negativeExponent);
    }
    if (negative) value *= -1.0;
    NodePtr node(new JsonNode(JsonNodeKind::Number));
    node->number = value;
    return node;
}

// The cursor is at '['. Returning early drops the node under construction,
// which frees every element read so far.
NodePtr ParseArray(Cursor& cursor) {
    NodePtr node(new JsonNode(JsonNodeKind::Array));
    for (;;) {
        ++cursor.pos;  // past '[' or ','
        if (!SkipWhitespace(cursor)) return nullptr;
        if (node->items.empty() && *cursor.pos == L']') {
            ++cursor.pos;
            return node;
        }
        NodePtr item = ParseValue(cursor);
        if (!item) return nullptr;
        node->items.push_back(item.get());
        item.release();
        if (!SkipWhitespace(cursor)) return nullptr;
        if (*cursor.pos == L']') {
            ++cursor.pos;
            return node;
        }
        if (*cursor.pos != L',') return nullptr;
    }
}

// The last of duplicate names wins; the value it replaces is freed.
void StoreMember(JsonMembers& members, std::wstring&& name, NodePtr value) {
    const auto found = members.find(name);
    if (found != members.end()) {
        delete found->second;
        found->second = value.release();
        return;
    }
    members.emplace(std::move(name), value.get());
    value.release();
}

// The cursor is at '{'. Returning early frees every member read so far.
NodePtr ParseObject(Cursor& cursor) {
    NodePtr node(new JsonNode(JsonNodeKind::Object));
    ++cursor.pos;
    for (;;) {
        if (!SkipWhitespace(cursor)) return nullptr;
        if (node->members.empty() && *cursor.pos == L'}') {
            ++cursor.pos;
            return node;
        }
        if (*cursor.pos != L'"') return nullptr;
        ++cursor.pos;
        std::wstring name;
        if (!ReadStringBody(cursor, name)) return nullptr;
        if (!SkipWhitespace(cursor) || *cursor.pos != L':') return nullptr;
        ++cursor.pos;
        if (!SkipWhitespace(cursor)) return nullptr;
        NodePtr value = ParseValue(cursor);
        if (!value) return nullptr;
        StoreMember(node->members, std::move(name), std::move(value));
        if (!SkipWhitespace(cursor)) return nullptr;
        if (*cursor.pos == L'}') {
            ++cursor.pos;
            return node;
        }
        if (*cursor.pos != L',') return nullptr;
        ++cursor.pos;
    }
}

NodePtr ParseContainer(Cursor& cursor, bool isObject) {
    if (cursor.depth >= kMaxJsonDepth) return nullptr;
    ++cursor.depth;
    NodePtr node = isObject ? ParseObject(cursor) : ParseArray(cursor);
    --cursor.depth;
    return node;
}

NodePtr ParseValue(Cursor& cursor) {
    const wchar_t ch = *cursor.pos;
    if (ch == L'"') {
        ++cursor.pos;
        NodePtr node(new JsonNode(JsonNodeKind::String));
        if (!ReadStringBody(cursor, node->text)) return nullptr;
        return node;
    }
    // Only the literal's own letters are taken; what follows is judged by the
    // enclosing context.
    const bool isTrue = LiteralFollows(cursor, "true");
    if (isTrue || LiteralFollows(cursor, "false")) {
        NodePtr node(new JsonNode(JsonNodeKind::Bool));
        node->flag = isTrue;
        cursor.pos += isTrue ? 4 : 5;
        return node;
    }
    if (LiteralFollows(cursor, "null")) {
        cursor.pos += 4;
        return NodePtr(new JsonNode(JsonNodeKind::Null));
    }
    if (ch == L'-' || IsDigit(ch)) return ParseNumber(cursor);
    if (ch == L'{') return ParseContainer(cursor, true);
    if (ch == L'[') return ParseContainer(cursor, false);
    return nullptr;
}

}  // namespace

JsonNode::~JsonNode() {
    for (JsonNode* item : items) delete item;
    for (auto& member : members) delete member.second;
}

void DestroyJson(JsonNode* root) {
    delete root;
}

JsonNode* ParseJsonWide(const wchar_t* text) {
    if (text == nullptr) return nullptr;
    try {
        Cursor cursor{text, 0};
        if (!SkipWhitespace(cursor)) return nullptr;
        NodePtr root = ParseValue(cursor);
        if (!root) return nullptr;
        if (SkipWhitespace(cursor)) return nullptr;  // trailing text
        return root.release();
    } catch (const std::exception&) {
        return nullptr;  // out of memory: every node made so far is already freed
    }
}

JsonNode* ParseJson(const char* text) {
    if (text == nullptr) return nullptr;
    try {
        const std::size_t length = std::strlen(text);
        std::wstring wide(length, L'\0');
        for (std::size_t i = 0; i < length; ++i) {
            wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
        }
        return ParseJsonWide(wide.c_str());
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool IsObject(const JsonNode* node) {
    return node != nullptr && node->kind == JsonNodeKind::Object;
}

bool IsString(const JsonNode* node) {
    return node != nullptr && node->kind == JsonNodeKind::String;
}

bool IsBool(const JsonNode* node) {
    return node != nullptr && node->kind == JsonNodeKind::Bool;
}

JsonMembers AsObject(const JsonNode* node) {
    if (node == nullptr) return {};
    try {
        return node->members;
    } catch (const std::exception&) {
        return {};
    }
}

std::string AsString(const JsonNode* node) {
    if (node == nullptr) return {};
    try {
        std::string narrow(node->text.size(), '\0');
        for (std::size_t i = 0; i < narrow.size(); ++i) {
            narrow[i] = static_cast<char>(CodeUnit(node->text[i]) & 0xFF);
        }
        return narrow;
    } catch (const std::exception&) {
        return {};
    }
}

bool AsBool(const JsonNode* node) {
    return node != nullptr && node->flag;
}
