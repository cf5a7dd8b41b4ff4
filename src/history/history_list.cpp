#include "history/history_list.h"

#include "app/app_state.h"
#include "gui/gui_scroll_area.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"

void LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction) {
    AppState& app = App();
    GUIScrollArea* list = app.historyList;
    if (list) list->SetRemovalFunction(GUIHistoryItem::Destroy);
    app.historyDatabase = new HistoryStore(list ? list->ContentWindow() : nullptr, instance);
    app.historyDatabase->Open(app.dataFolder + "history.db");
    // Each item goes on top of the ones before it, so the newest ends first.
    for (GUIHistoryItem* item : app.historyDatabase->Items()) {
        item->CreateControls(copyAction, DeleteHistoryEntry);
        if (list) list->AddItem(item, false);
    }
}
