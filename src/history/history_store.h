// The upload history: one SQLite connection to "history.db" and the list of
// history items built from its rows. Open and Remove run on the main thread,
// Insert on the upload worker; the connection is shared, which the library's
// serialized threading mode allows, and the item list has a lock of its own.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

struct sqlite3;
class GUIHistoryItem;

class HistoryStore {
public:
    // Items are created with this parent window and instance; their
    // thumbnail and shortcut files live below `dataFolder` (UTF-8, ending in
    // a backslash).
    HistoryStore(HWND itemParent, HINSTANCE itemInstance, std::string dataFolder);
    // Closes the connection. The items are not destroyed: the history list
    // owns them.
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens (or creates) the database at the UTF-8 `path`, creates or
    // upgrades the table and makes one item per row, oldest first. False
    // leaves the store without a connection and without items.
    bool Open(const std::string& path);

    // Records one upload with the current local time and appends its item.
    // A null or empty `shortcutFile` is stored as NULL. Null when there is no
    // connection, the row is not written or the item cannot be made.
    GUIHistoryItem* Insert(const std::string& thumb, const std::wstring& fileName,
                           const std::string& size, const std::string& url,
                           const wchar_t* shortcutFile);

    // Drops the item with `rowId` from the list and deletes its row; an
    // unknown row id changes nothing.
    void Remove(long long rowId);

    // A copy of the item list, oldest first (iterate backwards for newest
    // first).
    std::vector<GUIHistoryItem*> Items() const;
    bool IsOpen() const { return connection_ != nullptr; }
    const char* const* DayNames() const { return dayNames_; }

private:
    void Append(GUIHistoryItem* item);
    void Close();

    sqlite3* connection_ = nullptr;
    mutable std::mutex lock_;  // guards items_ (and Remove's SQL)
    const char* const* dayNames_ = nullptr;
    std::vector<GUIHistoryItem*> items_;
    HWND itemParent_ = nullptr;
    HINSTANCE itemInstance_ = nullptr;
    std::string dataFolder_;
};
