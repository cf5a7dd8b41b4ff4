// Feeds arbitrary bytes to the JSON reader, then reads and frees whatever
// tree comes back, so the sanitizers see every node.
#include "upload/json_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::size_t Walk(const JsonNode* node) {
    std::size_t seen = 1 + AsString(node).size();
    if (IsBool(node) && AsBool(node)) ++seen;
    if (node->number != 0.0) ++seen;
    for (const JsonNode* item : node->items) seen += Walk(item);
    if (IsObject(node)) {
        for (const auto& member : AsObject(node)) seen += member.first.size() + Walk(member.second);
    }
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader takes a NUL-terminated body; a NUL inside ends it early.
    const std::string text(reinterpret_cast<const char*>(data), size);
    JsonNode* root = ParseJson(text.c_str());
    if (root != nullptr) {
        volatile std::size_t seen = Walk(root);
        (void)seen;
        DestroyJson(root);
    }
    return 0;
}
