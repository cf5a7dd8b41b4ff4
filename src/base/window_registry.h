// A process-wide map from a window handle to the object behind it, for the
// window procedures of classes whose windows live on several threads.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>

template <typename T>
class WindowRegistry {
public:
    void Add(HWND window, T* object) {
        std::lock_guard<std::mutex> hold(lock_);
        objects_[window] = object;
    }
    void Remove(HWND window) {
        std::lock_guard<std::mutex> hold(lock_);
        objects_.erase(window);
    }
    // The object of exactly `window`, or null.
    T* Find(HWND window) const {
        std::lock_guard<std::mutex> hold(lock_);
        const auto found = objects_.find(window);
        return found == objects_.end() ? nullptr : found->second;
    }

private:
    mutable std::mutex lock_;
    std::map<HWND, T*> objects_;
};
