#include "app/history_list.h"

#include "app/app_state.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/utf.h"
#include "base/windows_version.h"
#include "gui/gui_scroll_area.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"

std::unique_ptr<HistoryStore> LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction) {
    AppState& app = App();
    GUIScrollArea* list = app.historyList;
    if (list) list->SetRemovalFunction(GUIHistoryItem::Destroy);
    auto store =
        std::make_unique<HistoryStore>(list ? list->ContentWindow() : nullptr, instance, app.dataFolder);
    app.historyDatabase = store.get();
    store->Open(app.dataFolder + "history.db");
    // Each item goes on top of the ones before it, so the newest ends first.
    for (GUIHistoryItem* item : store->Items()) {
        item->CreateControls(copyAction, DeleteHistoryEntry);
        if (list) list->AddItem(item, false);
    }
    return store;
}

void DeleteHistoryEntry(void* item, WPARAM /*keys*/) {
    auto* entry = static_cast<GUIHistoryItem*>(item);
    if (!entry) return;
    AppState& app = App();
    DeleteFileW(entry->ThumbPath().c_str());
    if (!entry->ShortcutPath().empty()) DeleteFileW(entry->ShortcutPath().c_str());
    if (app.historyDatabase) app.historyDatabase->Remove(entry->RowId());
    // The list releases the item once it has collapsed.
    if (app.historyList) app.historyList->RemoveItem(entry, true);
    if (IsWindows7OrLater() && MainWindowHandle()) {
        static const UINT updateJumpList = RegisterWindowMessageW(kUpdateJumpListMessageName);
        PostMessageW(MainWindowHandle(), updateJumpList, 0, 0);
    }
}
