// The upload queue's journal kept in history.db: the pending table of the
// history store (history/pending_store.h) behind the queue's interface
// (upload/upload_journal.h), and taking its jobs up again at start-up. Here
// the two meet, because the upload module knows nothing of the history and
// the history nothing of upload jobs.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "history/pending_row.h"
#include "history/pending_store.h"
#include "upload/upload_journal.h"
#include "upload/upload_queue.h"

class HistoryStore;

// The journal over a pending store. Own files are written down by their name
// in the data folder's "captures" folder, archives by their name in the data
// folder; paths are made absolute first.
class PendingJournal : public UploadJournal {
public:
    // `dataFolder`: UTF-8, ending in a backslash.
    PendingJournal(PendingStore& store, std::string dataFolder);

    bool Add(const std::vector<UploadJob*>& jobs) override;
    void SetArchive(long long id, const std::wstring& archive, const std::wstring& name) override;
    void SetWaiting(long long id, int failedAttempts) override;
    void SetFailed(long long id, UploadFailure failure, long status, int failedAttempts) override;
    void Remove(long long id) override;

private:
    PendingStore& store_;
    std::string dataFolder_;
};

// A row as a job of the queue, and a job as a row (false when its path
// cannot be written down as one).
std::unique_ptr<UploadJob> JobFromPendingRow(const PendingRow& row, const std::string& dataFolder);
bool PendingRowFromJob(const UploadJob& job, const std::string& dataFolder, PendingRow& row);

// What start-up found in the pending table.
struct RestoredUploads {
    bool opened = false;        // the table could be used
    std::size_t waiting = 0;    // jobs queued again
    std::size_t failed = 0;     // failed entries shown
    std::size_t refused = 0;    // rows that failed the checks (deleted)
    std::vector<std::wstring> archives;  // archive names still in use
};

// Opens the pending table of `history`, queues its waiting jobs again in
// their order, gives the failed ones their entries at the top of the list,
// and makes `journal` (created here over `store`) the queue's journal.
// Rows refused and a table that cannot be used are told once, when the
// message loop runs; uploads go on in memory.
RestoredUploads RestorePendingUploads(UploadQueue& queue, PendingStore& store,
                                      std::unique_ptr<PendingJournal>& journal);
