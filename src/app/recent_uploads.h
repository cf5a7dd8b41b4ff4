// Glue between the upload history and the jump list: which shortcut files
// the list offers, and the main window's "vlt.UpdateJumpList" handler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// True for a ".url" file directly inside `folder` (which ends in a
// backslash). History rows come from a file on disk: a name that climbs out
// of the folder or names another kind of file is never offered or deleted.
bool IsOwnShortcutFile(const std::wstring& path, const std::wstring& folder);

// The shortcut files of the newest uploads in the history (its model of the
// rows, not the list's views), newest first.
std::vector<std::wstring> RecentShortcutPaths();

// Rebuilds the jump list from the history.
void RebuildJumpListFromHistory();

// The registered message that asks for a rebuild, and its handler on the
// main window (answers 0, handled).
UINT UpdateJumpListMessage();
// Asks the main window, from any thread, to rebuild the jump list (posted;
// Windows 7 and later only).
void RequestJumpListRebuild();
bool OnUpdateJumpList(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
