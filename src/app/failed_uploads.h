// Uploads that failed for good, as the user sees them: an entry at the top
// of the history list in the failed look with Retry and Remove, and the
// line under the drop area (also the tray's tooltip, or the taskbar
// button's) that says how many uploads wait or failed. Main thread, except
// the two queue listeners, which post their work to it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "history/history_row.h"
#include "upload/upload_queue.h"

// The entry for a failed job: its name, why it failed, when.
std::shared_ptr<FailedUploadRow> MakeFailedRow(long long jobId, const std::wstring& name,
                                               UploadFailure failure, long status);

// Puts failed entries at the top of the list (start-up: at once; a new
// failure: sliding in).
void AddFailedEntry(const std::shared_ptr<FailedUploadRow>& row, bool animate);

// The entry buttons (`item` is the GUIHistoryItem). Retry queues the job
// again and shows the upload; Remove deletes the entry and the job's own
// files. Either way the entry leaves the list.
void RetryFailedUpload(void* item, WPARAM keys);
void RemoveFailedUpload(void* item, WPARAM keys);
// Remove for the entry of `row` wherever it is asked for (also the
// search's Delete key).
void RemoveFailedRow(const std::shared_ptr<const FailedUploadRow>& row);

// The queue's listeners (any thread): a job failed for good; the counts
// changed or a retry came due.
void OnUploadFailedForGood(const FailedUploadNotice& notice);
void OnUploadQueueChanged();

// Main thread: shows the counts, and shows an upload when jobs are ready
// while the drop area rests.
void RefreshUploadCounts();
