// Upload notifications: a small skinned window slides out of the right edge
// of the work area, says whether the file went up, offers its URL for
// copying, and slides back. Each toast runs on a thread of its own.
#pragma once

#include <string>

#include "gui/gui_button.h"

// Copies `name` and `url` (null: no "Copy URL" link), starts the toast's
// thread, records it in App().toastThreads and returns at once.
// `copyAction` runs when "Copy URL" is clicked, with the URL (const
// wchar_t*) as user data and the mouse-key flags.
void ShowToast(bool success, const std::wstring& name, const wchar_t* url,
               ButtonClickFunction copyAction);

// Waits for every toast thread recorded in App().toastThreads. The list is
// copied under its lock and waited on without it, because an ending toast
// takes the lock to remove itself.
void WaitForToastThreads();
