// Filling the upload page's history list at start-up, and the new uploads
// that join it.
#pragma once

#include <windows.h>

#include "gui/gui_button.h"
#include "history/history_row.h"

// Creates the history store (App().historyDatabase), opens dataFolder +
// "history.db" and gives App().historyList its views and every row, the
// newest at the top. `copyAction` is the entries' copy button action (it
// gets the URL as a wide C string). A database that cannot be opened is
// reported once, when the message loop runs; uploads carry on without it.
// The jump list is the caller's.
void LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction);

// A new upload's row slides in at the top of the list (called from the
// upload worker; the list takes it on its own thread).
void AddToHistoryList(const HistoryRowPtr& row);
