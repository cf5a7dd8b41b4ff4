// The upload history: one SQLite connection to "history.db" and the light
// model of its rows, oldest first. Open and Remove run on the main thread,
// Insert on the upload worker; the connection is shared, which the library's
// serialized threading mode allows, and the row list has a lock of its own.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "history/history_row.h"

struct sqlite3;

class HistoryStore {
public:
    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens (or creates) the database at the UTF-8 `path`, creates or
    // upgrades the table and reads every row, oldest first, in one
    // statement. False leaves the store without a connection and rows.
    bool Open(const std::string& path);

    // Records one upload with the current local time and appends its row.
    // A null or empty `shortcutFile` is stored as NULL. With `pendingJob`
    // (above 0), the same transaction deletes that job from the pending
    // table (pending_store.h): the upload is never both waiting and done.
    // Null when there is no connection or the row is not written.
    HistoryRowPtr Insert(const std::string& thumb, const std::wstring& fileName,
                         const std::string& size, const std::string& url,
                         const wchar_t* shortcutFile, long long pendingJob = 0);

    // Deletes the row with `rowId` from the database, then from the model.
    // False, with both left as they were, when the row is unknown or the
    // database did not take the delete.
    bool Remove(long long rowId);

    // A copy of the rows, oldest first.
    std::vector<HistoryRowPtr> Rows() const;
    std::size_t RowCount() const;
    // Whether a row names this file in "thumbs" / "urls" (checked names).
    bool NamesThumb(const std::string& thumb) const;
    bool NamesShortcut(const std::string& shortcut) const;
    // The shortcut file names (in "urls") of the newest rows that have one,
    // newest first: up to `count` of them after skipping the first `skip`.
    // The jump list walks the history this way, a page at a time.
    std::vector<std::string> ShortcutsNewestFirst(std::size_t skip, std::size_t count) const;

    bool IsOpen() const { return connection_ != nullptr; }
    // The connection, shared with the pending table's store; null when not
    // open.
    sqlite3* Connection() const { return connection_; }

private:
    void Close();

    sqlite3* connection_ = nullptr;
    mutable std::mutex lock_;  // guards rows_ (and Remove's SQL)
    std::vector<HistoryRowPtr> rows_;
};
