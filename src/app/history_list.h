// The upload page's history list: filling it at start-up and the delete
// action of its entries. Main thread only.
#pragma once

#include <windows.h>

#include <memory>

#include "gui/gui_button.h"

class HistoryStore;

// Creates the history store (also kept, non-owning, in App().historyDatabase)
// for App().historyList, opens dataFolder + "history.db" and adds every entry
// to the list with its controls, the newest at the top. `copyAction` is the
// items' copy button action (it gets the URL as a wide C string). The caller
// keeps the store until the list is gone; the jump list is the caller's.
std::unique_ptr<HistoryStore> LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction);

// The delete button's action (`item` is the GUIHistoryItem): deletes the
// thumbnail and shortcut files, the row and the list entry, then asks the
// main window to rebuild the jump list on Windows 7 or later.
void DeleteHistoryEntry(void* item, WPARAM keys);
