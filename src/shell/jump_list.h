// The taskbar jump list on Windows 7 and later: four upload tasks and the
// "Recent Uploads" category made from the shortcut files of the latest
// uploads. Main thread only.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

// The shell objects the jump list is made of. The system's own by default;
// tests put recording stand-ins in, since a shell may accept a list without
// showing anything of it.
struct JumpListShell {
    HRESULT (*createDestinationList)(ICustomDestinationList** list) = nullptr;
    HRESULT (*createObjectCollection)(IObjectCollection** collection) = nullptr;
    HRESULT (*createShellLink)(IShellLinkW** link) = nullptr;
    // Null when the shell has no SHCreateItemFromParsingName.
    HRESULT (*itemFromPath)(const wchar_t* path, IShellItem** item) = nullptr;
};
JumpListShell SystemJumpListShell();

enum class JumpListResult {
    Skipped,  // before Windows 7, or the shell lacks what the list needs
    Deleted,  // jump lists are switched off: the list was removed
    Built,    // committed
    Failed,   // the shell refused a step; the list is as it was
};

// Rebuilds the whole list from `shortcutPaths` (newest first), offering as
// many as the shell has slots for. A file the user removed from the list is
// deleted and not offered again. With the setting EnableJumpLists off the
// list is deleted instead.
JumpListResult RebuildJumpList(const std::vector<std::wstring>& shortcutPaths,
                               const JumpListShell& shell = SystemJumpListShell());
