// Lists that own their widgets (a page's children, a window's painters).
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

// Takes `item` out of `list` and hands it back, or null when it is not there.
template <typename T>
std::unique_ptr<T> TakeOwned(std::vector<std::unique_ptr<T>>& list, const T* item) {
    const auto found = std::find_if(list.begin(), list.end(),
                                    [item](const std::unique_ptr<T>& owned) { return owned.get() == item; });
    if (found == list.end()) return nullptr;
    std::unique_ptr<T> taken = std::move(*found);
    list.erase(found);
    return taken;
}

// The items in order, not owned.
template <typename T>
std::vector<T*> Borrowed(const std::vector<std::unique_ptr<T>>& list) {
    std::vector<T*> items;
    items.reserve(list.size());
    for (const auto& owned : list) items.push_back(owned.get());
    return items;
}
