// The pending table of history.db: the uploads that have not reached the
// service yet, waiting or failed, in their order of arrival. It shares the
// history store's connection, so that the history's Insert can cross a job
// out in the same transaction that records it. Rows are read back once, at
// start-up, through the checks of pending_row.h.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "history/pending_row.h"

class HistoryStore;

class PendingStore {
public:
    // At most this many rows are read back (the queue holds no more).
    static constexpr std::size_t kMaxRows = 10000;

    // Uses `history`'s connection, which must outlive this store.
    explicit PendingStore(HistoryStore& history);

    // Creates the table if need be and checks that it can be read and
    // written. False when the history has no connection or the table is
    // damaged (then every other call fails or does nothing).
    bool Open();
    bool IsOpen() const { return open_; }

    // Every row that passes the checks, oldest first (at most kMaxRows).
    // Rows that do not are deleted and counted in `refused`. False when the
    // table could not be read to its end (what was read is kept).
    bool Load(std::vector<PendingRow>& rows, std::size_t& refused);

    // Writes `rows` (their ids ignored) in one transaction and sets their
    // ids. False, with nothing written, when any of them fails.
    bool Add(std::vector<PendingRow>& rows);
    // A folder's archive (empty: none) and the name it is sent as.
    bool SetArchive(long long id, const std::string& archive, const std::string& name);
    bool SetWaiting(long long id, int failedAttempts);
    bool SetFailed(long long id, int failure, long status, int failedAttempts);
    bool Remove(long long id);
    // Rows in the table (for tests and the count after a failed load).
    std::size_t Count() const;

private:
    bool Run(const char* sql, long long a, long long b, long long c, long long id);

    HistoryStore& history_;
    bool open_ = false;
};
