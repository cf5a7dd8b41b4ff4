#include "app/history_list.h"

#include <vector>

#include "app/app_state.h"
#include "app/failed_uploads.h"
#include "app/history_search.h"
#include "app/recent_uploads.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/user_prompt.h"
#include "gui/gui_scroll_area.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"
#include "history/history_views.h"

namespace {

// A thread timer: it fires from the message loop once the window has shown,
// so the message never holds up the first paint.
void CALLBACK ReportUnopenedHistory(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    AskUser(MainWindowHandle(),
            L"vantorel liftorn could not open its upload history (history.db). Uploads still work, "
            L"but they will not be added to the history until the program can open it again.",
            kProductName, MB_ICONERROR | MB_OK);
}

}  // namespace

std::unique_ptr<HistoryStore> LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction) {
    AppState& app = App();
    auto store = std::make_unique<HistoryStore>();
    app.historyDatabase = store.get();
    if (!store->Open(app.dataFolder + "history.db")) SetTimer(nullptr, 0, 0, ReportUnopenedHistory);
    GUIScrollArea* list = app.historyList;
    if (!list) return store;
    list->SetViewSource(
        std::make_unique<HistoryViews>(instance, app.dataFolder, copyAction, DeleteHistoryEntry,
                                       RetryFailedUpload, RemoveFailedUpload));
    const std::vector<HistoryRowPtr> rows = store->Rows();
    list->AddItems(std::vector<ScrollEntry>(rows.rbegin(), rows.rend()));  // newest at the top
    return store;
}

void AddToHistoryList(const HistoryRowPtr& row) {
    AppState& app = App();
    if (!row || !app.historyList) return;
    if (app.historySearch && app.historySearch->IsOpen()) {
        app.historySearch->EntryAdded(row);
    } else {
        app.historyList->AddItem(ScrollEntry(row), true);
    }
}

void DeleteHistoryEntry(void* item, WPARAM /*keys*/) {
    auto* view = static_cast<GUIHistoryItem*>(item);
    // A copy: the view may be bound to another row meanwhile.
    if (view && view->Row() && !view->Row()->failed) DeleteHistoryRow(HistoryRowPtr(view->Row()));
}

bool DeleteHistoryRow(const HistoryRowPtr& row) {
    if (!row) return false;
    if (row->failed) {
        RemoveFailedRow(std::static_pointer_cast<const FailedUploadRow>(row));
        return true;
    }
    AppState& app = App();
    HistoryStore* store = app.historyDatabase;
    // The row goes first: were the files deleted and the row kept, the entry
    // would come back at the next start without them.
    if (!store || !store->Remove(row->rowId)) {
        AskUser(MainWindowHandle(),
                L"This upload could not be deleted from the history. Please try again later.",
                kProductName, MB_ICONERROR | MB_OK);
        return false;
    }
    // Only checked names inside "thumbs" and "urls", and only files no
    // other row names (older versions could give two uploads one shortcut).
    if (!row->thumb.empty() && !store->NamesThumb(row->thumb)) {
        DeleteFileW(HistoryThumbPath(app.dataFolder, *row).c_str());
    }
    if (!row->shortcut.empty() && !store->NamesShortcut(row->shortcut)) {
        DeleteFileW(HistoryShortcutPath(app.dataFolder, *row).c_str());
    }
    if (GUIScrollArea* list = app.historyList) {
        if (auto* views = dynamic_cast<HistoryViews*>(list->ViewSource())) {
            views->ForgetThumbnail(row->thumb);
        }
        list->RemoveItem(row.get(), true);
    }
    if (app.historySearch) app.historySearch->EntryRemoved(row.get());
    RequestJumpListRebuild();
    return true;
}
