// The thread that searches the history, so that typing never waits for a
// search. Requests carry a generation; only the newest one counts: a request
// still waiting is replaced by the next, and a search under way gives up as
// soon as a newer request arrives. The index is built on this thread for the
// entries of the request and kept for the next ones while they are the same
// entries. Free of Win32.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "history/search_index.h"

struct SearchRequest {
    unsigned generation = 0;
    // The entries to search, top first; the index is built for them once.
    std::shared_ptr<const SearchEntries> base;
    // Entries that joined since, top first; they go above the base's.
    SearchEntries added;
    // Entries of the base gone since (sorted): never in a result.
    std::vector<const void*> removed;
    std::string text;  // UTF-8, as typed
};

struct SearchResult {
    unsigned generation = 0;
    SearchEntries matches;  // top first
};

class SearchWorker {
public:
    // Called on the search thread with each finished search that no newer
    // request has overtaken.
    using Deliver = std::function<void(SearchResult)>;

    SearchWorker(DescribeEntry describe, Deliver deliver);
    // Stops the search under way and waits for the thread.
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Replaces any request not yet started. A request without words only
    // prepares the index for its base (nothing is answered); one without a
    // base lets the index go.
    void Submit(SearchRequest request);

    // Lets go of `entries` on the search thread: a long list of shared
    // entries takes a while to release, and the caller's thread has better
    // things to do.
    void Release(SearchEntries entries);

    // For the figures and tests: indexes built, and the memory of the one kept.
    std::size_t IndexBuilds() const;
    std::size_t IndexBytes() const;

private:
    void Run();
    bool Overtaken() const;  // a newer request waits, or the worker stops
    void Serve(const SearchRequest& request);

    const DescribeEntry describe_;
    const Deliver deliver_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::optional<SearchRequest> pending_;
    std::vector<SearchEntries> released_;
    bool stopping_ = false;
    std::shared_ptr<const SearchIndex> index_;  // shared with the figures
    std::size_t builds_ = 0;
    std::thread thread_;  // last: starts once the rest is ready
};
