// The history list's views: the scroll area asks for a few GUIHistoryItems
// and binds them to the rows in view. Thumbnails are decoded when their row
// comes into view and kept in a bounded cache, so scrolling back and forth
// decodes each only once while memory stays bounded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "gui/gui_button.h"
#include "gui/gui_scroll_area.h"
#include "history/bounded_cache.h"
#include "history/thumbnail_fit.h"

class HistoryViews : public ScrollViewSource {
public:
    // About 19 KB each: a few screens' worth.
    static constexpr std::size_t kThumbnailCacheSize = 64;

    // Thumbnails are read from `dataFolder` (UTF-8, ending in a backslash)
    // + "thumbs\".
    // Retry and Remove are the buttons of failed entries (FailedUploadRow).
    HistoryViews(HINSTANCE instance, std::string dataFolder, ButtonClickFunction copyAction,
                 ButtonClickFunction deleteAction, ButtonClickFunction retryAction = nullptr,
                 ButtonClickFunction removeAction = nullptr);

    std::unique_ptr<GUIObject> CreateView(HWND contentWindow) override;
    // `entry` is a HistoryRow.
    void BindView(GUIObject& view, const ScrollEntry& entry) override;

    // Drops a thumbnail whose file has gone.
    void ForgetThumbnail(const std::string& thumb);
    std::size_t CachedThumbnails() const { return cache_.Size(); }
    // Thumbnail files decoded and views bound so far (for tests and the
    // benchmark).
    std::size_t Decodes() const { return decodes_; }
    std::size_t Binds() const { return binds_; }

private:
    HINSTANCE instance_;
    std::string dataFolder_;
    ButtonClickFunction copyAction_;
    ButtonClickFunction deleteAction_;
    ButtonClickFunction retryAction_;
    ButtonClickFunction removeAction_;
    BoundedCache<std::string, PreparedThumbnail> cache_{kThumbnailCacheSize};
    std::size_t decodes_ = 0;
    std::size_t binds_ = 0;
};
