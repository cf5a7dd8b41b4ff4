// The search index against the plain rules, and the search thread: results
// in list order with the entries that joined or left since the index was
// built, one index per set of entries, and only the newest request answered.
#include "history/search_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "history/search_index.h"
#include "history/search_text.h"

namespace {

struct Entry {
    std::string name;
    std::string url;
    std::string date;
};

SearchFields Describe(const void* entry) {
    const auto* e = static_cast<const Entry*>(entry);
    return SearchFields{e->name, e->url, e->date};
}

SearchEntry Make(std::string name, std::string url = "u", std::string date = "") {
    return std::make_shared<const Entry>(Entry{std::move(name), std::move(url), std::move(date)});
}

std::string NameOf(const SearchEntry& entry) { return static_cast<const Entry*>(entry.get())->name; }

std::vector<std::string> Names(const SearchEntries& entries) {
    std::vector<std::string> names;
    for (const SearchEntry& entry : entries) names.push_back(NameOf(entry));
    return names;
}

// Words and keys from a small alphabet, so that words are found at the
// start, in the middle and at the end of keys, and across where one key
// ends and the next begins.
TEST(SearchIndex, FindsExactlyWhatThePlainRulesMatch) {
    std::mt19937 random(1234);
    const auto text = [&random](std::size_t most) {
        std::string s;
        for (std::size_t n = random() % (most + 1); n > 0; --n) s.push_back("abcAB \xc3\xa9"[random() % 8]);
        return s;
    };
    auto entries = std::make_shared<SearchEntries>();
    for (int i = 0; i < 3000; ++i) {
        entries->push_back(Make(text(8), text(6), i % 3 ? "Mon, 0" + std::to_string(1 + i % 9) + "/01/26 10:00" : ""));
    }
    const auto index = SearchIndex::Build(entries, Describe, nullptr);
    ASSERT_NE(nullptr, index);
    ASSERT_EQ(entries->size(), index->Size());
    std::vector<std::string> keys;
    for (const SearchEntry& entry : *entries) keys.push_back(SearchKey(Describe(entry.get())));
    for (int round = 0; round < 300; ++round) {
        const std::string typed = round % 10 == 0 ? "2026-01-0" + std::to_string(round % 9) : text(5);
        const std::vector<std::string> words = SearchWords(typed);
        std::vector<std::size_t> expected;
        for (std::size_t i = 0; i < entries->size(); ++i) {
            if (KeyMatches(keys[i], words)) expected.push_back(i);
        }
        std::vector<std::size_t> found;
        ASSERT_TRUE(index->Find(words, found, nullptr));
        ASSERT_EQ(expected, found) << "typed \"" << typed << "\"";
    }
}

TEST(SearchIndex, LongFieldsAreSearchedByTheirBeginningAndWorkStopsWhenAsked) {
    const std::string longName = std::string(SearchIndex::kFieldLimit - 3, 'a') + "needle" + "tail";
    auto entries = std::make_shared<SearchEntries>(SearchEntries{Make(longName), Make("needle")});
    const auto index = SearchIndex::Build(entries, Describe, nullptr);
    std::vector<std::size_t> found;
    ASSERT_TRUE(index->Find(SearchWords("nee"), found, nullptr));
    EXPECT_EQ((std::vector<std::size_t>{0, 1}), found);
    found.clear();
    ASSERT_TRUE(index->Find(SearchWords("needle"), found, nullptr));
    EXPECT_EQ((std::vector<std::size_t>{1}), found);  // cut inside the first one

    auto many = std::make_shared<SearchEntries>(5000, Make("x"));
    EXPECT_EQ(nullptr, SearchIndex::Build(many, Describe, [] { return true; }));
    const auto built = SearchIndex::Build(many, Describe, nullptr);
    found = {7};
    EXPECT_FALSE(built->Find(SearchWords("x"), found, [] { return true; }));
    EXPECT_EQ((std::vector<std::size_t>{7}), found);  // left as it was
}

// Collects what the worker delivers.
class Delivered {
public:
    void Take(SearchResult result) {
        std::lock_guard<std::mutex> hold(lock_);
        results_.push_back(std::move(result));
        arrived_.notify_all();
    }
    // Waits (at most a generous while) for a result of `generation`.
    bool WaitFor(unsigned generation) {
        std::unique_lock<std::mutex> hold(lock_);
        return arrived_.wait_for(hold, std::chrono::seconds(30), [&] {
            return std::any_of(results_.begin(), results_.end(),
                               [generation](const SearchResult& r) { return r.generation == generation; });
        });
    }
    std::vector<SearchResult> Results() {
        std::lock_guard<std::mutex> hold(lock_);
        return results_;
    }
    SearchResult Of(unsigned generation) {
        for (SearchResult& result : Results()) {
            if (result.generation == generation) return result;
        }
        return {};
    }

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<SearchResult> results_;
};

TEST(SearchWorker, AnswersInListOrderWithArrivalsOnTopAndDeletionsLeftOut) {
    Delivered delivered;
    SearchWorker worker(Describe, [&](SearchResult r) { delivered.Take(std::move(r)); });
    auto base = std::make_shared<const SearchEntries>(SearchEntries{
        Make("beach 3.png"), Make("town.png"), Make("beach 2.png"), Make("beach 1.png")});

    worker.Submit({1, base, {}, {}, "BEACH"});
    ASSERT_TRUE(delivered.WaitFor(1));
    EXPECT_EQ((std::vector<std::string>{"beach 3.png", "beach 2.png", "beach 1.png"}),
              Names(delivered.Of(1).matches));

    // An upload arrived and one entry was deleted since the index was built.
    std::vector<const void*> removed{(*base)[2].get()};
    worker.Submit({2, base, {Make("beach 4.png"), Make("city.png")}, removed, "beach"});
    ASSERT_TRUE(delivered.WaitFor(2));
    EXPECT_EQ((std::vector<std::string>{"beach 4.png", "beach 3.png", "beach 1.png"}),
              Names(delivered.Of(2).matches));
    EXPECT_EQ(1u, worker.IndexBuilds());  // the same entries: the same index

    worker.Submit({3, base, {}, {}, " "});  // no words: nothing to answer

    auto other = std::make_shared<const SearchEntries>(SearchEntries{Make("beach.png")});
    worker.Submit({4, other, {}, {}, "beach"});
    ASSERT_TRUE(delivered.WaitFor(4));
    EXPECT_EQ(1u, delivered.Of(4).matches.size());
    EXPECT_EQ(2u, worker.IndexBuilds());
    EXPECT_GT(worker.IndexBytes(), 0u);

    // Without entries the index goes, and nothing is answered either.
    worker.Submit({5, nullptr, {}, {}, "beach"});
    for (int i = 0; i < 3000 && worker.IndexBytes() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(0u, worker.IndexBytes());
    worker.Submit({6, other, {}, {}, "zzz"});
    ASSERT_TRUE(delivered.WaitFor(6));
    EXPECT_TRUE(delivered.Of(6).matches.empty());
    for (const SearchResult& result : delivered.Results()) {
        EXPECT_NE(3u, result.generation);
        EXPECT_NE(5u, result.generation);
    }
}

// Typing faster than the search: requests overtaken while they wait or run
// are never answered after a newer one, and the last is always answered.
TEST(SearchWorker, OnlyTheNewestRequestIsAnsweredAfterAStormOfThem) {
    Delivered delivered;
    auto base = std::make_shared<SearchEntries>();
    for (int i = 0; i < 100000; ++i) base->push_back(Make("picture-" + std::to_string(i) + ".png"));
    {
        SearchWorker worker(Describe, [&](SearchResult r) { delivered.Take(std::move(r)); });
        const char* typed[] = {"p", "pi", "pic", "pict", "pictu", "pictur", "picture", "picture-1"};
        unsigned generation = 0;
        for (int round = 0; round < 5; ++round) {
            for (const char* text : typed) worker.Submit({++generation, base, {}, {}, text});
        }
        ASSERT_TRUE(delivered.WaitFor(generation));
        const std::vector<SearchResult> results = delivered.Results();
        EXPECT_EQ(generation, results.back().generation);
        for (std::size_t i = 1; i < results.size(); ++i) {
            EXPECT_LT(results[i - 1].generation, results[i].generation);
        }
        EXPECT_EQ(11111u, results.back().matches.size());  // picture-1, -1x, -1xx ...
        EXPECT_EQ(1u, worker.IndexBuilds());

        // Leaving in the middle of a build does not wait for its end.
        auto other = std::make_shared<SearchEntries>(*base);
        worker.Submit({++generation, other, {}, {}, "x"});
    }
}

}  // namespace
