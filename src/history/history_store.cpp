#include "history/history_store.h"

#include <windows.h>
#include <sqlite3.h>

#include <algorithm>

#include "base/clock.h"
#include "base/utf.h"
#include "history/history_date.h"

namespace {

const char kCreate[] =
    "CREATE TABLE IF NOT EXISTS `history` (`thumb` text NOT NULL, `filename` text NOT "
    "NULL,`date` text NOT NULL, `size` text NOT NULL,`url` text NOT NULL)";
const char kMigrate[] = "ALTER TABLE `history` ADD COLUMN `url_file` text";
// The file name is read as UTF-8: the same text as its UTF-16 form, half
// the size for a hundred thousand rows.
const char kRead[] =
    "SELECT `thumb`, `filename`, `date`, `size`, `url`, rowid, `url_file` FROM `history` "
    "ORDER BY `rowid` ASC;";
const char kInsert[] =
    "INSERT INTO `history` (`thumb`,`filename`,`date`,`size`,`url`,`url_file`) VALUES (?, ?, "
    "?, ?, ?, ?)";
// Another reader of the file (a backup, a viewer) holds it only briefly: wait
// for it rather than lose the upload's row.
constexpr int kBusyWaitMilliseconds = 1500;
// Bound as a 64-bit integer: row ids go past 2^31.
const char kDelete[] = "DELETE FROM `history` WHERE rowid = ?";
const char kDeletePending[] = "DELETE FROM `pending` WHERE `id` = ?";

bool Exec(sqlite3* connection, const char* sql) {
    return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Crosses the pending job out; a missing table or row changes nothing.
void DeletePendingJob(sqlite3* connection, long long job) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection, kDeletePending, -1, &statement, nullptr) != SQLITE_OK) return;
    sqlite3_bind_int64(statement, 1, job);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (!text) return std::string();
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

}  // namespace

HistoryStore::HistoryStore() = default;

HistoryStore::~HistoryStore() { Close(); }

void HistoryStore::Close() {
    if (connection_) sqlite3_close(connection_);
    connection_ = nullptr;
}

bool HistoryStore::Open(const std::string& path) {
    Close();
    {
        std::lock_guard<std::mutex> hold(lock_);
        rows_.clear();
    }
    // sqlite3_open takes UTF-8, which the data folder already is.
    if (sqlite3_open(path.c_str(), &connection_) != SQLITE_OK) {
        Close();  // a failed open still hands out a handle to release
        return false;
    }
    sqlite3_busy_timeout(connection_, kBusyWaitMilliseconds);
    if (sqlite3_exec(connection_, kCreate, nullptr, nullptr, nullptr) != SQLITE_OK) {
        Close();
        return false;
    }
    // An existing `url_file` column answers SQLITE_ERROR: nothing to add.
    const int migrated = sqlite3_exec(connection_, kMigrate, nullptr, nullptr, nullptr);
    if (migrated != SQLITE_OK && migrated != SQLITE_ERROR) {
        Close();
        return false;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection_, kRead, -1, &statement, nullptr) != SQLITE_OK) {
        Close();
        return false;
    }
    std::vector<HistoryRowPtr> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        rows.push_back(std::make_shared<const HistoryRow>(MakeHistoryRow(
            sqlite3_column_int64(statement, 5), ColumnText(statement, 4),
            ColumnText(statement, 1), ColumnText(statement, 2), ColumnText(statement, 0),
            ColumnText(statement, 6))));
    }
    sqlite3_finalize(statement);
    std::lock_guard<std::mutex> hold(lock_);
    rows_ = std::move(rows);
    return true;
}

HistoryRowPtr HistoryStore::Insert(const std::string& thumb, const std::wstring& fileName,
                                   const std::string& size, const std::string& url,
                                   const wchar_t* shortcutFile, long long pendingJob) {
    if (!connection_) return nullptr;
    const SYSTEMTIME now = LocalTimeNow();
    const std::string date = FormatHistoryDate(
        HistoryTime{now.wDayOfWeek, now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute});

    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection_, kInsert, -1, &statement, nullptr) != SQLITE_OK) {
        return nullptr;
    }
    // The buffers outlive the statement, so SQLite need not copy them.
    const std::wstring shortcut = shortcutFile ? shortcutFile : L"";
    sqlite3_bind_text(statement, 1, thumb.data(), static_cast<int>(thumb.size()), SQLITE_STATIC);
    sqlite3_bind_text16(statement, 2, fileName.data(),
                        static_cast<int>(fileName.size() * sizeof(wchar_t)), SQLITE_STATIC);
    sqlite3_bind_text(statement, 3, date.data(), static_cast<int>(date.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 4, size.data(), static_cast<int>(size.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 5, url.data(), static_cast<int>(url.size()), SQLITE_STATIC);
    if (!shortcut.empty()) {
        sqlite3_bind_text16(statement, 6, shortcut.data(),
                            static_cast<int>(shortcut.size() * sizeof(wchar_t)), SQLITE_STATIC);
    } else {
        sqlite3_bind_null(statement, 6);
    }

    // Hold the connection's own mutex from the step to the row id (and
    // across the transaction), so that a statement on another thread can
    // neither change the last inserted row id in between nor join the
    // transaction.
    sqlite3_mutex* connectionMutex = sqlite3_db_mutex(connection_);
    sqlite3_mutex_enter(connectionMutex);
    const bool inTransaction = pendingJob > 0 && Exec(connection_, "BEGIN IMMEDIATE");
    int stepped = sqlite3_step(statement);
    const long long rowId = sqlite3_last_insert_rowid(connection_);
    if (inTransaction) {
        if (stepped == SQLITE_DONE) DeletePendingJob(connection_, pendingJob);
        if (stepped != SQLITE_DONE || !Exec(connection_, "COMMIT")) {
            Exec(connection_, "ROLLBACK");
            stepped = SQLITE_ERROR;
        }
    } else if (stepped == SQLITE_DONE && pendingJob > 0) {
        DeletePendingJob(connection_, pendingJob);
    }
    sqlite3_mutex_leave(connectionMutex);
    sqlite3_finalize(statement);
    // A row that was not written has no row id of its own: no row.
    if (stepped != SQLITE_DONE) return nullptr;

    auto row = std::make_shared<const HistoryRow>(
        MakeHistoryRow(rowId, url, WideToUtf8(fileName), date, thumb, WideToUtf8(shortcut)));
    std::lock_guard<std::mutex> hold(lock_);
    rows_.push_back(row);
    return row;
}

bool HistoryStore::Remove(long long rowId) {
    std::lock_guard<std::mutex> hold(lock_);
    // New rows are appended, so a recent one is found first from the end.
    const auto found = std::find_if(rows_.rbegin(), rows_.rend(), [rowId](const HistoryRowPtr& row) {
        return row->rowId == rowId;
    });
    if (found == rows_.rend() || !connection_) return false;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection_, kDelete, -1, &statement, nullptr) != SQLITE_OK) {
        return false;
    }
    sqlite3_bind_int64(statement, 1, rowId);
    const bool deleted = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    if (deleted) rows_.erase(std::next(found).base());
    return deleted;
}

std::vector<HistoryRowPtr> HistoryStore::Rows() const {
    std::lock_guard<std::mutex> hold(lock_);
    return rows_;
}

std::size_t HistoryStore::RowCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return rows_.size();
}

bool HistoryStore::NamesThumb(const std::string& thumb) const {
    if (thumb.empty()) return false;
    std::lock_guard<std::mutex> hold(lock_);
    return std::any_of(rows_.begin(), rows_.end(),
                       [&thumb](const HistoryRowPtr& row) { return row->thumb == thumb; });
}

bool HistoryStore::NamesShortcut(const std::string& shortcut) const {
    if (shortcut.empty()) return false;
    std::lock_guard<std::mutex> hold(lock_);
    return std::any_of(rows_.begin(), rows_.end(),
                       [&shortcut](const HistoryRowPtr& row) { return row->shortcut == shortcut; });
}

std::vector<std::string> HistoryStore::ShortcutsNewestFirst(std::size_t skip,
                                                           std::size_t count) const {
    std::vector<std::string> names;
    std::lock_guard<std::mutex> hold(lock_);
    for (auto row = rows_.rbegin(); row != rows_.rend() && names.size() < count; ++row) {
        if ((*row)->shortcut.empty()) continue;
        if (skip > 0) {
            --skip;
            continue;
        }
        names.push_back((*row)->shortcut);
    }
    return names;
}
