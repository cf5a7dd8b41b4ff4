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

// The shortcut files of the history's items, newest first.
std::vector<std::wstring> RecentShortcutPaths();

// Rebuilds the jump list from the history.
void RebuildJumpListFromHistory();

// The registered message that asks for a rebuild, and its handler on the
// main window (answers 0, handled).
UINT UpdateJumpListMessage();
bool OnUpdateJumpList(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
