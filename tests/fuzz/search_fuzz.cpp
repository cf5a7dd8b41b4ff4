// Feeds arbitrary bytes to the history search as both a search text and an
// entry's fields, then checks what must always hold: words are bounded,
// never hold a separator, and a text always finds an entry named after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "history/search_index.h"
#include "history/search_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> words = SearchWords(bytes);
    std::size_t folded = 0;
    for (const std::string& word : words) {
        FUZZ_CHECK(!word.empty());
        for (const char c : word) {
            FUZZ_CHECK(c != ' ' && static_cast<unsigned char>(c) >= 0x20);
        }
        folded += word.size();
    }
    // 256 characters fold to at most two characters of four bytes each.
    FUZZ_CHECK(folded <= kMaxSearchCharacters * 8);

    // The text as a file name (as the search's own folding reads it), and
    // the first half of it as an address and a date.
    const SearchFields fields{bytes, bytes.substr(0, size / 2), bytes.substr(size / 2)};
    FUZZ_CHECK(Matches(SearchFields{bytes, {}, {}}, words));
    const bool matched = Matches(fields, words);
    auto entries = std::make_shared<SearchEntries>();
    static const std::string holder;  // the describe function reads `fields`
    static SearchFields current;
    current = fields;
    entries->push_back(std::shared_ptr<const void>(&holder, [](const void*) {}));
    const auto index = SearchIndex::Build(entries, [](const void*) { return current; }, nullptr);
    std::vector<std::size_t> found;
    index->Find(words, found, nullptr);
    // The index cuts long fields; only short ones must agree.
    if (size <= SearchIndex::kFieldLimit) FUZZ_CHECK((found.size() == 1) == matched);
    return 0;
}
