// The upload page's history list: its views over the history store's rows,
// filling it at start-up, the new uploads that join it and the delete action
// of its entries. Main thread only.
#pragma once

#include <windows.h>

#include <memory>

#include "gui/gui_button.h"
#include "history/history_row.h"

class HistoryStore;

// Creates the history store (also kept, non-owning, in App().historyDatabase),
// opens dataFolder + "history.db" and gives App().historyList its views and
// every row, the newest at the top. `copyAction` is the entries' copy button
// action (it gets the URL as a wide C string). A database that cannot be
// opened is reported once, when the message loop runs; uploads carry on
// without it. The caller keeps the store until the list is gone; the jump
// list is the caller's.
std::unique_ptr<HistoryStore> LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction);

// A new upload's row joins the top of the list (sliding in while the top is
// in view). While the list is searched it joins the history, and the list
// shows it only if it matches.
void AddToHistoryList(const HistoryRowPtr& row);

// Deletes the row, then the files no other row names, then the entry (and
// tells the search); asks the main window to rebuild the jump list on
// Windows 7 or later. When the database does not take the delete, the user
// is told, everything stays and the answer is false.
bool DeleteHistoryRow(const HistoryRowPtr& row);
// The delete button's action (`item` is the GUIHistoryItem): DeleteHistoryRow
// of the row it shows.
void DeleteHistoryEntry(void* item, WPARAM keys);
