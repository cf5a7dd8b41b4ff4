// Filling the upload page's history list at start-up.
#pragma once

#include <windows.h>

#include "gui/gui_button.h"

// Creates the history store (App().historyDatabase) for App().historyList,
// opens dataFolder + "history.db" and adds every entry to the list with its
// controls, the newest at the top. `copyAction` is the items' copy button
// action (it gets the URL as a wide C string). The jump list is the caller's.
void LoadHistoryList(HINSTANCE instance, ButtonClickFunction copyAction);
