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
// in view).
void AddToHistoryList(const HistoryRowPtr& row);

// The delete button's action (`item` is the GUIHistoryItem): deletes the
// row, then the files no other row names, then the entry; asks the main
// window to rebuild the jump list on Windows 7 or later. When the database
// does not take the delete, the user is told and everything stays.
void DeleteHistoryEntry(void* item, WPARAM keys);
