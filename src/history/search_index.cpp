#include "history/search_index.h"

#include <algorithm>

namespace {

// How many entries pass between two looks at `stop`.
constexpr std::size_t kStopCheckInterval = 512;

}  // namespace

SearchFields BoundedFields(const SearchFields& fields) {
    const auto cut = [](std::string_view text) {
        return text.substr(0, std::min(text.size(), SearchIndex::kFieldLimit));
    };
    return SearchFields{cut(fields.fileName), cut(fields.url), cut(fields.date)};
}

std::shared_ptr<const SearchIndex> SearchIndex::Build(std::shared_ptr<const SearchEntries> entries,
                                                      DescribeEntry describe, const StopWork& stop) {
    std::shared_ptr<SearchIndex> index(new SearchIndex);
    static const SearchEntries none;
    const SearchEntries& list = entries ? *entries : none;
    index->starts_.reserve(list.size() + 1);
    // Names and addresses are mostly ASCII: their own length is a close guess.
    std::size_t guess = 0;
    for (std::size_t i = 0; i < list.size(); i += 64) {
        const SearchFields fields = BoundedFields(describe(list[i].get()));
        guess += fields.fileName.size() + fields.url.size() + 13;
    }
    index->keys_.reserve(guess * 64 + guess / 8);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i % kStopCheckInterval == 0 && stop && stop()) return nullptr;
        index->starts_.push_back(index->keys_.size());
        AppendSearchKey(BoundedFields(describe(list[i].get())), index->keys_);
        index->keys_.push_back('\n');
    }
    index->starts_.push_back(index->keys_.size());
    index->keys_.shrink_to_fit();
    index->entries_ = std::move(entries);
    return index;
}

std::size_t SearchIndex::Bytes() const {
    return keys_.capacity() + starts_.capacity() * sizeof(std::size_t);
}

bool SearchIndex::Find(const std::vector<std::string>& words, std::vector<std::size_t>& found,
                       const StopWork& stop) const {
    const std::size_t before = found.size();
    const std::size_t count = Size();
    if (words.empty()) {
        for (std::size_t i = 0; i < count; ++i) found.push_back(i);
        return true;
    }
    // The first (longest) word is looked for in the whole block at once;
    // only the entries it is found in are tried for the others.
    const std::string& first = words.front();
    const std::vector<std::string> others(words.begin() + 1, words.end());
    std::size_t entry = 0;
    std::size_t checks = 0;
    for (std::size_t at = keys_.find(first); at != std::string::npos && entry < count;
         at = keys_.find(first, at)) {
        if (++checks % kStopCheckInterval == 0 && stop && stop()) {
            found.resize(before);
            return false;
        }
        // The entry whose key holds `at`: the last one starting at or before it.
        entry = static_cast<std::size_t>(
                    std::upper_bound(starts_.begin() + static_cast<std::ptrdiff_t>(entry),
                                     starts_.end(), at) -
                    starts_.begin()) - 1;
        const std::size_t begin = starts_[entry];
        const std::size_t end = starts_[entry + 1] - 1;  // before its line feed
        if (KeyMatches(std::string_view(keys_).substr(begin, end - begin), others)) {
            found.push_back(entry);
        }
        at = starts_[++entry];
    }
    return true;
}
