#include "history/pending_store.h"

#include <sqlite3.h>

#include "history/history_store.h"

namespace {

// `name` is NULL for "the last component of path"; `own` marks a file of
// the program's own, stored by its name in "captures".
const char kCreate[] =
    "CREATE TABLE IF NOT EXISTS `pending` (`id` INTEGER PRIMARY KEY AUTOINCREMENT, "
    "`kind` integer NOT NULL, `path` text NOT NULL, `name` text, `own` integer NOT NULL, "
    "`archive` text, `attempts` integer NOT NULL DEFAULT 0, `failure` integer NOT NULL DEFAULT 0, "
    "`status` integer NOT NULL DEFAULT 0)";
const char kRead[] =
    "SELECT `id`, `kind`, `path`, `name`, `own`, `archive`, `attempts`, `failure`, `status` "
    "FROM `pending` ORDER BY `id` ASC LIMIT ?";
const char kInsert[] =
    "INSERT INTO `pending` (`kind`, `path`, `name`, `own`, `archive`, `attempts`, `failure`, "
    "`status`) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
const char kSetArchive[] = "UPDATE `pending` SET `archive` = ?, `name` = ? WHERE `id` = ?";
const char kSetState[] = "UPDATE `pending` SET `failure` = ?, `status` = ?, `attempts` = ? WHERE `id` = ?";
const char kDelete[] = "DELETE FROM `pending` WHERE `id` = ?";
const char kCount[] = "SELECT count(*) FROM `pending`";

// A text column's bytes, or false when it is longer than `limit` (not
// copied) or not text.
bool BoundedText(sqlite3_stmt* statement, int column, std::size_t limit, std::string& out) {
    const int type = sqlite3_column_type(statement, column);
    if (type == SQLITE_NULL) {
        out.clear();
        return true;
    }
    if (type != SQLITE_TEXT) return false;
    const int bytes = sqlite3_column_bytes(statement, column);
    if (bytes < 0 || static_cast<std::size_t>(bytes) > limit) return false;
    const unsigned char* text = sqlite3_column_text(statement, column);
    out.assign(text ? reinterpret_cast<const char*>(text) : "", static_cast<std::size_t>(bytes));
    return true;
}

bool Integer(sqlite3_stmt* statement, int column, long long& out) {
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER) return false;
    out = sqlite3_column_int64(statement, column);
    return true;
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text, bool nullWhenEmpty) {
    if (text.empty() && nullWhenEmpty) {
        sqlite3_bind_null(statement, index);
    } else {
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }
}

// Holds the connection for a transaction: statements of other threads on
// the shared connection wait until it ends, so none of them joins it.
class Transaction {
public:
    explicit Transaction(sqlite3* connection)
        : connection_(connection), mutex_(sqlite3_db_mutex(connection)) {
        sqlite3_mutex_enter(mutex_);
        begun_ = sqlite3_exec(connection_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~Transaction() {
        if (begun_) sqlite3_exec(connection_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_mutex_leave(mutex_);
    }
    bool Begun() const { return begun_; }
    bool Commit() {
        if (!begun_) return false;
        if (sqlite3_exec(connection_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
        begun_ = false;
        return true;
    }

private:
    sqlite3* connection_;
    sqlite3_mutex* mutex_;
    bool begun_ = false;
};

}  // namespace

PendingStore::PendingStore(HistoryStore& history) : history_(history) {}

bool PendingStore::Open() {
    open_ = false;
    sqlite3* connection = history_.Connection();
    if (!connection) return false;
    if (sqlite3_exec(connection, kCreate, nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    // A table of that name made by something else fails here, not later.
    sqlite3_stmt* statement = nullptr;
    for (const char* sql : {kRead, kInsert, kSetArchive, kSetState, kDelete}) {
        if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) return false;
        sqlite3_finalize(statement);
    }
    open_ = true;
    return true;
}

bool PendingStore::Load(std::vector<PendingRow>& rows, std::size_t& refused) {
    refused = 0;
    if (!open_) return false;
    sqlite3* connection = history_.Connection();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection, kRead, -1, &statement, nullptr) != SQLITE_OK) return false;
    sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(kMaxRows));
    std::vector<long long> bad;
    int stepped = SQLITE_ROW;
    while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
        StoredPendingRow stored;
        PendingRow row;
        const bool read = Integer(statement, 0, stored.id) && Integer(statement, 1, stored.kind) &&
                          BoundedText(statement, 2, kMaxPendingPathBytes, stored.path) &&
                          BoundedText(statement, 3, kMaxPendingNameBytes, stored.name) &&
                          Integer(statement, 4, stored.ownFile) &&
                          BoundedText(statement, 5, kMaxPendingNameBytes, stored.archive) &&
                          Integer(statement, 6, stored.failedAttempts) &&
                          Integer(statement, 7, stored.failure) && Integer(statement, 8, stored.status);
        if (read && CheckPendingRow(stored, row)) {
            rows.push_back(std::move(row));
        } else {
            ++refused;
            bad.push_back(sqlite3_column_int64(statement, 0));
        }
    }
    sqlite3_finalize(statement);
    // Refused rows go: nothing can be done with them, and they must not
    // hold their places against the bound.
    for (long long id : bad) Remove(id);
    return stepped == SQLITE_DONE;
}

bool PendingStore::Add(std::vector<PendingRow>& rows) {
    if (!open_) return false;
    sqlite3* connection = history_.Connection();
    Transaction transaction(connection);
    if (!transaction.Begun()) return false;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection, kInsert, -1, &statement, nullptr) != SQLITE_OK) return false;
    bool written = true;
    for (PendingRow& row : rows) {
        sqlite3_reset(statement);
        sqlite3_bind_int64(statement, 1, row.kind);
        BindText(statement, 2, row.path, false);
        BindText(statement, 3, row.name, true);
        sqlite3_bind_int64(statement, 4, row.ownFile ? 1 : 0);
        BindText(statement, 5, row.archive, true);
        sqlite3_bind_int64(statement, 6, row.failedAttempts);
        sqlite3_bind_int64(statement, 7, row.failure);
        sqlite3_bind_int64(statement, 8, row.status);
        if (sqlite3_step(statement) != SQLITE_DONE) {
            written = false;
            break;
        }
        row.id = sqlite3_last_insert_rowid(connection);
    }
    sqlite3_finalize(statement);
    return written && transaction.Commit();
}

bool PendingStore::Run(const char* sql, long long a, long long b, long long c, long long id) {
    if (!open_) return false;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(history_.Connection(), sql, -1, &statement, nullptr) != SQLITE_OK) return false;
    int index = 1;
    if (sql == kSetState) {
        sqlite3_bind_int64(statement, index++, a);
        sqlite3_bind_int64(statement, index++, b);
        sqlite3_bind_int64(statement, index++, c);
    }
    sqlite3_bind_int64(statement, index, id);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    return done;
}

bool PendingStore::SetArchive(long long id, const std::string& archive, const std::string& name) {
    if (!open_) return false;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(history_.Connection(), kSetArchive, -1, &statement, nullptr) != SQLITE_OK) {
        return false;
    }
    BindText(statement, 1, archive, true);
    BindText(statement, 2, name, true);
    sqlite3_bind_int64(statement, 3, id);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    return done;
}

bool PendingStore::SetWaiting(long long id, int failedAttempts) {
    return Run(kSetState, 0, 0, failedAttempts, id);
}

bool PendingStore::SetFailed(long long id, int failure, long status, int failedAttempts) {
    return Run(kSetState, failure, status, failedAttempts, id);
}

bool PendingStore::Remove(long long id) { return Run(kDelete, 0, 0, 0, id); }

std::size_t PendingStore::Count() const {
    if (!open_) return 0;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(history_.Connection(), kCount, -1, &statement, nullptr) != SQLITE_OK) return 0;
    const std::size_t count =
        sqlite3_step(statement) == SQLITE_ROW ? static_cast<std::size_t>(sqlite3_column_int64(statement, 0)) : 0;
    sqlite3_finalize(statement);
    return count;
}
