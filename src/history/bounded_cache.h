// A cache that keeps at most a fixed number of values: looking a key up
// makes it the most recently used, and adding past the bound drops the least
// recently used. Values are shared, so one that is dropped lives on for as
// long as someone still holds it. Not locked: one thread uses it. Free of
// Win32.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <unordered_map>
#include <utility>

template <typename Key, typename Value>
class BoundedCache {
public:
    explicit BoundedCache(std::size_t capacity) : capacity_(capacity) {}

    // The value for `key`, or null.
    std::shared_ptr<const Value> Find(const Key& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) return nullptr;
        order_.splice(order_.begin(), order_, found->second);
        return found->second->second;
    }

    void Put(const Key& key, std::shared_ptr<const Value> value) {
        if (capacity_ == 0) return;
        const auto found = index_.find(key);
        if (found != index_.end()) {
            found->second->second = std::move(value);
            order_.splice(order_.begin(), order_, found->second);
            return;
        }
        if (order_.size() == capacity_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
        order_.emplace_front(key, std::move(value));
        index_[key] = order_.begin();
    }

    void Erase(const Key& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) return;
        order_.erase(found->second);
        index_.erase(found);
    }

    std::size_t Size() const { return order_.size(); }
    std::size_t Capacity() const { return capacity_; }

private:
    using Entry = std::pair<Key, std::shared_ptr<const Value>>;
    std::size_t capacity_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<Key, typename std::list<Entry>::iterator> index_;
};
