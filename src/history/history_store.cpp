#include "history/history_store.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/clock.h"
#include "history/gui_history_item.h"
#include "history/history_date.h"

namespace {

const char kCreate[] =
    "CREATE TABLE IF NOT EXISTS `history` (`thumb` text NOT NULL, `filename` text NOT "
    "NULL,`date` text NOT NULL, `size` text NOT NULL,`url` text NOT NULL)";
const char kMigrate[] = "ALTER TABLE `history` ADD COLUMN `url_file` text";
const char kRead[] =
    "SELECT `thumb`, `filename`, `date`, `size`, `url`, rowid, `url_file` FROM `history` "
    "ORDER BY `rowid` ASC;";
const char kInsert[] =
    "INSERT INTO `history` (`thumb`,`filename`,`date`,`size`,`url`,`url_file`) VALUES (?, ?, "
    "?, ?, ?, ?)";
const char kDelete[] = "DELETE FROM `history` WHERE rowid = %d";

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

}  // namespace

HistoryStore::HistoryStore(HWND itemParent, HINSTANCE itemInstance, std::string dataFolder)
    : dayNames_(HistoryDayNames()),
      itemParent_(itemParent),
      itemInstance_(itemInstance),
      dataFolder_(std::move(dataFolder)) {}

HistoryStore::~HistoryStore() {
    Close();
}

void HistoryStore::Close() {
    if (connection_) sqlite3_close(connection_);
    connection_ = nullptr;
}

bool HistoryStore::Open(const std::string& path) {
    Close();
    // sqlite3_open takes UTF-8, which the data folder already is.
    if (sqlite3_open(path.c_str(), &connection_) != SQLITE_OK) {
        Close();  // a failed open still hands out a handle to release
        return false;
    }
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
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const std::string thumb = ColumnText(statement, 0);
        const wchar_t* name = static_cast<const wchar_t*>(sqlite3_column_text16(statement, 1));
        const std::wstring fileName = name ? name : L"";
        const std::string date = ColumnText(statement, 2);
        const std::string size = ColumnText(statement, 3);
        const std::string url = ColumnText(statement, 4);
        const long long rowId = sqlite3_column_int64(statement, 5);
        const wchar_t* shortcut =
            static_cast<const wchar_t*>(sqlite3_column_text16(statement, 6));
        const std::wstring shortcutFile = shortcut ? shortcut : L"";
        Append(GUIHistoryItem::CreateItem(itemParent_, itemInstance_, dataFolder_, url, fileName, size, date,
                                          thumb, rowId, shortcut ? shortcutFile.c_str() : nullptr));
    }
    sqlite3_finalize(statement);
    return true;
}

GUIHistoryItem* HistoryStore::Insert(const std::string& thumb, const std::wstring& fileName,
                                     const std::string& size, const std::string& url,
                                     const wchar_t* shortcutFile) {
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

    // Hold the connection's own mutex from the step to the row id, so that
    // a statement on another thread cannot change the last inserted row id
    // in between.
    sqlite3_mutex* connectionMutex = sqlite3_db_mutex(connection_);
    sqlite3_mutex_enter(connectionMutex);
    const int stepped = sqlite3_step(statement);
    const long long rowId = sqlite3_last_insert_rowid(connection_);
    sqlite3_mutex_leave(connectionMutex);
    sqlite3_finalize(statement);
    // A row that was not written has no row id of its own: make no item.
    if (stepped != SQLITE_DONE) return nullptr;

    GUIHistoryItem* item = GUIHistoryItem::CreateItem(itemParent_, itemInstance_, dataFolder_, url, fileName,
                                                      size, date, thumb, rowId, shortcutFile);
    Append(item);
    return item;
}

void HistoryStore::Append(GUIHistoryItem* item) {
    if (!item) return;
    std::lock_guard<std::mutex> hold(lock_);
    items_.push_back(item);
}

void HistoryStore::Remove(long long rowId) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = std::find_if(items_.begin(), items_.end(), [rowId](GUIHistoryItem* item) {
        return item->RowId() == rowId;
    });
    if (found == items_.end()) return;
    items_.erase(found);
    if (!connection_) return;
    char* sql = sqlite3_mprintf(kDelete, static_cast<int>(rowId));
    if (sql) sqlite3_exec(connection_, sql, nullptr, nullptr, nullptr);
    sqlite3_free(sql);
}

std::vector<GUIHistoryItem*> HistoryStore::Items() const {
    std::lock_guard<std::mutex> hold(lock_);
    return items_;
}
