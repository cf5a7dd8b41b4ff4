#include "history/history_views.h"

#include "history/gui_history_item.h"
#include "history/history_row.h"
#include "history/thumbnail_loader.h"

HistoryViews::HistoryViews(HINSTANCE instance, std::string dataFolder,
                           ButtonClickFunction copyAction, ButtonClickFunction deleteAction,
                           ButtonClickFunction retryAction, ButtonClickFunction removeAction)
    : instance_(instance),
      dataFolder_(std::move(dataFolder)),
      copyAction_(copyAction),
      deleteAction_(deleteAction),
      retryAction_(retryAction),
      removeAction_(removeAction) {}

std::unique_ptr<GUIObject> HistoryViews::CreateView(HWND contentWindow) {
    return std::make_unique<GUIHistoryItem>(contentWindow, instance_, copyAction_, deleteAction_, retryAction_,
                                            removeAction_);
}

void HistoryViews::BindView(GUIObject& view, const ScrollEntry& entry) {
    ++binds_;
    auto row = std::static_pointer_cast<const HistoryRow>(entry);
    std::shared_ptr<const PreparedThumbnail> thumbnail;
    if (row->failed) {
        static const PreparedThumbnail none;  // the failed look draws its own tile
        static_cast<GUIHistoryItem&>(view).Bind(std::move(row), none);
        return;
    }
    // The views live in one window, so the cache holds one DPI's pictures.
    const int dpi = view.WindowDpi();
    if (row->thumb.empty()) {
        thumbnail = DefaultPreparedThumbnail(dpi);  // none, or a name that was refused
    } else if (!(thumbnail = cache_.Find(row->thumb))) {
        thumbnail = LoadPreparedThumbnail(HistoryThumbPath(dataFolder_, *row), dpi);
        ++decodes_;
        cache_.Put(row->thumb, thumbnail);
    }
    static_cast<GUIHistoryItem&>(view).Bind(std::move(row), *thumbnail);
}

void HistoryViews::ForgetThumbnail(const std::string& thumb) { cache_.Erase(thumb); }
