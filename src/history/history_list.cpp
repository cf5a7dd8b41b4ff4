#include "history/history_list.h"

#include <memory>
#include <vector>

#include "app/app_state.h"
#include "gui/gui_scroll_area.h"
#include "history/gui_history_item.h"
#include "history/history_prompt.h"
#include "history/history_store.h"
#include "history/history_views.h"

namespace {

// A thread timer: it fires from the message loop once the window has shown,
// so the message never holds up the first paint.
void CALLBACK ReportUnopenedHistory(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    AskHistoryQuestion(MainWindowHandle(),
                       L"vantorel liftorn could not open its upload history (history.db). Uploads "
                       L"still work, but they will not be added to the history until the program "
                       L"can open it again.",
                       MB_ICONERROR | MB_OK);
}

}  // namespace

void LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction) {
    AppState& app = App();
    app.historyDatabase = new HistoryStore();
    if (!app.historyDatabase->Open(app.dataFolder + "history.db")) {
        SetTimer(nullptr, 0, 0, ReportUnopenedHistory);
    }
    GUIScrollArea* list = app.historyList;
    if (!list) return;
    list->SetViewSource(std::make_unique<HistoryViews>(instance, copyAction, DeleteHistoryEntry));
    const std::vector<HistoryRowPtr> rows = app.historyDatabase->Rows();
    list->AddItems(std::vector<ScrollEntry>(rows.rbegin(), rows.rend()));  // newest at the top
}

void AddToHistoryList(const HistoryRowPtr& row) {
    if (row && App().historyList) App().historyList->AddItem(ScrollEntry(row), true);
}
