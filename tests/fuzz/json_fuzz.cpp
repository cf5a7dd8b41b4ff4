// The JSON reader on arbitrary reply bytes. Whatever it accepts is nested
// no deeper than the bound, holds no NaN, and, written out again as JSON,
// reads back to the same tree.
#include <cmath>
#include <cstdio>
#include <memory>

#include "fuzz_support.h"
#include "upload/json_reader.h"

namespace {

using Tree = std::unique_ptr<JsonNode, void (*)(JsonNode*)>;

Tree Parse(const std::string& text) { return Tree(ParseJson(text.c_str()), &DestroyJson); }

// Arrays and objects on the deepest path.
int Depth(const JsonNode* node) {
    int deepest = 0;
    for (const JsonNode* item : node->items) deepest = std::max(deepest, Depth(item));
    for (const auto& member : node->members) deepest = std::max(deepest, Depth(member.second));
    const bool container = node->kind == JsonNodeKind::Array || node->kind == JsonNodeKind::Object;
    return deepest + (container ? 1 : 0);
}

void WriteString(const std::wstring& text, std::string& out) {
    out += '"';
    for (const wchar_t c : text) {
        const auto unit = static_cast<std::uint32_t>(c);
        if (unit >= 0x20 && unit < 0x7F && c != L'"' && c != L'\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", unit);
            out += escape;
        }
    }
    out += '"';
}

void Write(const JsonNode* node, std::string& out) {
    switch (node->kind) {
    case JsonNodeKind::Null: out += "null"; break;
    case JsonNodeKind::Bool: out += node->flag ? "true" : "false"; break;
    case JsonNodeKind::String: WriteString(node->text, out); break;
    case JsonNodeKind::Number: {
        if (std::isinf(node->number)) {
            out += node->number < 0 ? "-1e999" : "1e999";
        } else {
            char number[32];
            std::snprintf(number, sizeof number, "%.17g", node->number);
            out += number;
        }
        break;
    }
    case JsonNodeKind::Array:
        out += '[';
        for (std::size_t i = 0; i < node->items.size(); ++i) {
            if (i > 0) out += ',';
            Write(node->items[i], out);
        }
        out += ']';
        break;
    case JsonNodeKind::Object: {
        out += '{';
        bool first = true;
        for (const auto& member : node->members) {
            if (!first) out += ',';
            first = false;
            WriteString(member.first, out);
            out += ':';
            Write(member.second, out);
        }
        out += '}';
        break;
    }
    }
}

// The reader scales by ten step by step, so a number written with 17
// digits reads back close to, not always exactly as, the original.
bool Close(double a, double b) {
    if (a == b) return true;
    return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b)) + 1e-300;
}

bool Same(const JsonNode* a, const JsonNode* b) {
    if (a->kind != b->kind || a->text != b->text || a->flag != b->flag || !Close(a->number, b->number) ||
        a->items.size() != b->items.size() || a->members.size() != b->members.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a->items.size(); ++i) {
        if (!Same(a->items[i], b->items[i])) return false;
    }
    auto other = b->members.begin();
    for (const auto& member : a->members) {
        if (member.first != other->first || !Same(member.second, other->second)) return false;
        ++other;
    }
    return true;
}

bool HasNaN(const JsonNode* node) {
    if (std::isnan(node->number)) return true;
    for (const JsonNode* item : node->items) {
        if (HasNaN(item)) return true;
    }
    for (const auto& member : node->members) {
        if (HasNaN(member.second)) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader takes a NUL-terminated body; a NUL inside ends it early.
    const Tree root = Parse(BytesOf(data, size));
    if (!root) return 0;
    FUZZ_CHECK(Depth(root.get()) <= kMaxJsonDepth);
    FUZZ_CHECK(!HasNaN(root.get()));

    std::string written;
    Write(root.get(), written);
    const Tree reread = Parse(written);
    FUZZ_CHECK(reread != nullptr);
    FUZZ_CHECK(Same(root.get(), reread.get()));
    return 0;
}
