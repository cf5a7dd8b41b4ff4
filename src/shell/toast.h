// Upload notifications: a small skinned window slides out of the right edge
// of the work area, says whether the file went up, offers its URL for
// copying, and slides back. Each toast runs on a thread of its own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "gui/gui_button.h"

// Copies `name` and `url` (null: no "Copy URL" link), starts the toast's
// thread (its windows made with `instance`) and returns at once. `copyAction`
// runs on the toast's thread when "Copy URL" is clicked, with the URL (const
// wchar_t*) as user data and the mouse-key flags. After WaitForToastThreads
// has begun, nothing is started.
void ShowToast(HINSTANCE instance, bool success, const std::wstring& name, const wchar_t* url,
               ButtonClickFunction copyAction);

// From now on ShowToast starts nothing (shutdown has begun).
void RefuseNewToasts();
// Refuses new toasts, then waits for every toast thread still running.
void WaitForToastThreads();

// Toast threads started and not yet ended.
std::size_t RunningToastThreads();
