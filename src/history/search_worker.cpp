#include "history/search_worker.h"

#include <algorithm>

SearchWorker::SearchWorker(DescribeEntry describe, Deliver deliver)
    : describe_(describe), deliver_(std::move(deliver)), thread_([this] { Run(); }) {}

SearchWorker::~SearchWorker() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        pending_.reset();
    }
    wake_.notify_one();
    thread_.join();
}

void SearchWorker::Submit(SearchRequest request) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        pending_ = std::move(request);
    }
    wake_.notify_one();
}

void SearchWorker::Release(SearchEntries entries) {
    if (entries.empty()) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        released_.push_back(std::move(entries));
    }
    wake_.notify_one();
}

std::size_t SearchWorker::IndexBuilds() const {
    std::lock_guard<std::mutex> hold(lock_);
    return builds_;
}

std::size_t SearchWorker::IndexBytes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return index_ ? index_->Bytes() : 0;
}

bool SearchWorker::Overtaken() const {
    std::lock_guard<std::mutex> hold(lock_);
    return stopping_ || pending_.has_value();
}

void SearchWorker::Run() {
    for (;;) {
        std::optional<SearchRequest> request;
        std::vector<SearchEntries> released;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [this] { return stopping_ || pending_ || !released_.empty(); });
            if (stopping_) return;
            released.swap(released_);
            request.swap(pending_);
        }
        released.clear();  // here, outside the lock
        if (request) Serve(*request);
    }
}

void SearchWorker::Serve(const SearchRequest& request) {
    std::shared_ptr<const SearchIndex> index;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!request.base) index_.reset();
        index = index_;
    }
    if (!request.base) return;
    if (!index || index->Entries() != request.base) {
        // A newer request for the same entries still needs this index, so
        // only stopping or other entries end the build early.
        index = SearchIndex::Build(request.base, describe_, [this, &request] {
            std::lock_guard<std::mutex> hold(lock_);
            return stopping_ || (pending_ && pending_->base != request.base);
        });
        if (!index) return;
        std::lock_guard<std::mutex> hold(lock_);
        index_ = index;
        ++builds_;
    }

    const std::vector<std::string> words = SearchWords(request.text);
    if (words.empty()) return;  // only the index was wanted
    std::vector<std::size_t> found;
    if (!index->Find(words, found, [this] { return Overtaken(); })) return;

    SearchResult result;
    result.generation = request.generation;
    for (const SearchEntry& entry : request.added) {
        if (Matches(BoundedFields(describe_(entry.get())), words)) result.matches.push_back(entry);
    }
    const SearchEntries& base = *request.base;
    result.matches.reserve(result.matches.size() + found.size());
    for (const std::size_t place : found) {
        const SearchEntry& entry = base[place];
        if (request.removed.empty() ||
            !std::binary_search(request.removed.begin(), request.removed.end(), entry.get())) {
            result.matches.push_back(entry);
        }
    }
    if (Overtaken()) return;
    deliver_(std::move(result));
}
