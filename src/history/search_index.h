// The history's entries prepared for searching: every entry's search key
// (search_text.h) folded once, all in one block of text, so that a search
// is a pass over a few megabytes rather than folding every name again.
// Built and read on the search thread; once built it never changes, so the
// entries it was built from are shared, not copied. Free of Win32.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "history/search_text.h"

// An entry of the list, whatever its kind: the search only hands it back.
using SearchEntry = std::shared_ptr<const void>;
using SearchEntries = std::vector<SearchEntry>;
// What an entry offers the search; the views point into the entry.
using DescribeEntry = SearchFields (*)(const void* entry);
// Polled while working: true to give up.
using StopWork = std::function<bool()>;

class SearchIndex {
public:
    // The most of each field that is searched: a name or address past this
    // is searched by its beginning (a tampered database may hold anything).
    static constexpr std::size_t kFieldLimit = 2048;

    // Folds the keys of `entries` (top first). Null when `stop` said so.
    static std::shared_ptr<const SearchIndex> Build(std::shared_ptr<const SearchEntries> entries,
                                                    DescribeEntry describe, const StopWork& stop);

    std::size_t Size() const { return starts_.size() - 1; }
    const std::shared_ptr<const SearchEntries>& Entries() const { return entries_; }
    // Memory held by the keys and their places.
    std::size_t Bytes() const;

    // Appends the places of the entries that have every word, in order.
    // False, with `found` as it was, when `stop` said so.
    bool Find(const std::vector<std::string>& words, std::vector<std::size_t>& found,
              const StopWork& stop) const;

private:
    SearchIndex() = default;

    std::shared_ptr<const SearchEntries> entries_;
    std::string keys_;                  // each entry's key, then a line feed
    std::vector<std::size_t> starts_;  // where each key begins, then the end
};

// The fields of `fields`, each cut to SearchIndex::kFieldLimit bytes.
SearchFields BoundedFields(const SearchFields& fields);
