// Recording stand-ins for the shell's jump-list objects: they take what the
// program hands the shell and keep it for the test to read, where a real
// shell may accept a list and show nothing of it.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "shell/jump_list.h"

// One shell link as the program set it up.
struct RecordedLink {
    std::wstring path, arguments, description, iconFile, title;
    int iconIndex = -1;
};

// What the destination list received.
struct RecordedJumpList {
    std::wstring appId;
    bool begun = false, committed = false, aborted = false;
    std::wstring deletedAppId;
    std::wstring categoryName;
    std::vector<std::wstring> categoryPaths;  // file paths of the items, in order
    std::vector<RecordedLink> tasks;
};

struct StandInSettings {
    UINT slots = 10;
    std::vector<std::wstring> removedPaths;  // items the user took off the list
    bool refuseCategory = false;
    std::wstring refusedTitle;  // a link refuses this title
};

// The stand-ins write into `Recorded()` and read `StandIns()`; item lookup
// is the real shell's.
RecordedJumpList& Recorded();
StandInSettings& StandIns();
JumpListShell RecordingShell();
