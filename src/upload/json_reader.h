// A small reader for the service's JSON replies: text in, a tree of nodes out.
// Only reads; nothing here writes JSON. Free of Win32 and of exceptions: every
// failure is a null result, with no message and no position.
//
// Characters are 16-bit code units (0..0xFFFF) whether wchar_t has 16 bits
// (Windows) or 32 (Linux): a reply's bytes are widened one to one and a \u
// escape gives one unit, so both platforms read the same text the same way.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class JsonNodeKind : std::int32_t {
    Null = 0,
    String = 1,
    Bool = 2,
    Number = 3,
    Array = 4,
    Object = 5,
};

struct JsonNode;

// Elements of an Array, in document order.
using JsonItems = std::vector<JsonNode*>;
// Members of an Object, sorted by name; a name occurs once.
using JsonMembers = std::map<std::wstring, JsonNode*>;

// Arrays and objects nested deeper than this are refused, so a hostile reply
// cannot exhaust the stack of the recursive reader.
constexpr int kMaxJsonDepth = 512;

// One value. Only the field that belongs to `kind` has meaning; the others stay
// empty or zero. A node owns the nodes its items or members point to:
// deleting it frees them, recursively.
struct JsonNode {
    JsonNodeKind kind = JsonNodeKind::Null;
    std::wstring text;
    bool flag = false;
    double number = 0.0;
    JsonItems items;
    JsonMembers members;

    JsonNode() = default;
    explicit JsonNode(JsonNodeKind nodeKind) : kind(nodeKind) {}
    ~JsonNode();

    JsonNode(const JsonNode&) = delete;
    JsonNode& operator=(const JsonNode&) = delete;
};

// Frees a tree returned by a parse (the same as delete). Null is allowed.
void DestroyJson(JsonNode* root);

// Parses a NUL-terminated reply body. Each byte is widened to the character of
// the same value (no UTF-8 decoding). The tree belongs to the caller; null when
// the text is not one complete JSON value or memory ran out.
JsonNode* ParseJson(const char* text);
JsonNode* ParseJsonWide(const wchar_t* text);

// Null nodes answer false.
bool IsObject(const JsonNode* node);
bool IsString(const JsonNode* node);
bool IsBool(const JsonNode* node);

// A copy of the member map. It shares the member nodes with the tree and does
// not own them: free only the tree, never a node found through the copy.
JsonMembers AsObject(const JsonNode* node);

// The text reduced to one byte per character (the low 8 bits), so a reply's
// bytes come back unchanged.
std::string AsString(const JsonNode* node);

bool AsBool(const JsonNode* node);
