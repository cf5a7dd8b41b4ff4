#include "app/failed_uploads.h"

#include <shobjidl.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/history_search.h"
#include "app/main_commands.h"
#include "base/clock.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "gui/gui_drop_area.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_text.h"
#include "gui/skinnable_window.h"
#include "history/gui_history_item.h"
#include "history/history_date.h"

namespace {

// The failed row an entry button belongs to, or null.
std::shared_ptr<const FailedUploadRow> FailedRowOf(void* item) {
    auto* view = static_cast<GUIHistoryItem*>(item);
    if (!view || !view->Row() || !view->Row()->failed) return nullptr;
    return std::static_pointer_cast<const FailedUploadRow>(view->Row());
}

void TakeOutOfList(const HistoryRow* row) {
    if (App().historyList) App().historyList->RemoveItem(row, true);
    if (App().historySearch) App().historySearch->EntryRemoved(row);
}

void SetTip(wchar_t* tip, std::size_t capacity, const std::wstring& summary) {
    std::wstring text = kProductName;
    if (!summary.empty()) text += L"\n" + summary;
    wcsncpy(tip, text.c_str(), capacity - 1);
    tip[capacity - 1] = L'\0';
}

}  // namespace

std::shared_ptr<FailedUploadRow> MakeFailedRow(long long jobId, const std::wstring& name,
                                               UploadFailure failure, long status) {
    auto row = std::make_shared<FailedUploadRow>();
    row->failed = true;
    row->jobId = jobId;
    row->fileName = WideToUtf8(name);
    const SYSTEMTIME now = LocalTimeNow();
    row->date = FormatHistoryDate(
        HistoryTime{now.wDayOfWeek, now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute});
    row->reason = WideToUtf8(FailureText(static_cast<int>(failure), status));
    return row;
}

void AddFailedEntry(const std::shared_ptr<FailedUploadRow>& row, bool animate) {
    GUIScrollArea* list = App().historyList;
    if (!row || !list || !list->ViewSource()) return;
    const ScrollEntry entry(std::static_pointer_cast<const HistoryRow>(row));
    // An open search takes it in, and shows it if its name matches.
    if (App().historySearch && App().historySearch->IsOpen()) {
        App().historySearch->EntryAdded(entry);
        return;
    }
    if (animate) list->SetScrollPosition(0);  // the user should see it arrive
    list->AddItem(entry, animate);
}

void RetryFailedUpload(void* item, WPARAM) {
    const auto row = FailedRowOf(item);
    if (!row) return;
    UploadQueue* queue = App().uploadQueue;
    // An entry the queue no longer knows has nothing behind it: it goes.
    if (queue && queue->Retry(row->jobId)) ShowUploadStarting();
    TakeOutOfList(row.get());
    RefreshUploadCounts();
}

void RemoveFailedUpload(void* item, WPARAM) {
    RemoveFailedRow(FailedRowOf(item));
}

void RemoveFailedRow(const std::shared_ptr<const FailedUploadRow>& row) {
    if (!row) return;
    if (UploadQueue* queue = App().uploadQueue) queue->Remove(row->jobId);
    TakeOutOfList(row.get());
    RefreshUploadCounts();
}

void OnUploadFailedForGood(const FailedUploadNotice& notice) {
    auto row = MakeFailedRow(notice.id, notice.name, notice.failure, notice.status);
    PostToWindowThread(MainWindowHandle(), [row] { AddFailedEntry(row, true); });
}

void OnUploadQueueChanged() {
    PostToWindowThread(MainWindowHandle(), [] { RefreshUploadCounts(); });
}

void RefreshUploadCounts() {
    AppState& app = App();
    UploadQueue* queue = app.uploadQueue;
    if (!queue) return;
    const std::wstring summary = QueueSummaryText(queue->WaitingCount(), queue->FailedCount());
    if (app.uploadCountText && app.uploadCountText->SetText(summary)) app.uploadCountText->Invalidate();
    // A retry that came due while nothing was shown: show the upload, which
    // releases the queue.
    if (queue->QueuedCount() > 0 && app.dropArea && app.dropArea->State() == kDropNormal) ShowUploadStarting();

    SetTip(app.trayIcon.szTip, sizeof app.trayIcon.szTip / sizeof app.trayIcon.szTip[0], summary);
    if (app.trayIcon.hWnd) Shell_NotifyIconW(NIM_MODIFY, &app.trayIcon);
    if (app.mainWindow) {
        if (ITaskbarList3* taskbar = app.mainWindow->TaskbarList()) {
            wchar_t tip[128];
            SetTip(tip, sizeof tip / sizeof tip[0], summary);
            taskbar->SetThumbnailTooltip(app.mainWindow->MainWindow(), tip);
        }
    }
}
