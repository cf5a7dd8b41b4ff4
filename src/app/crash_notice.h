// The start after a crash says so once, and offers the folder where the
// report lies. Main thread only.
#pragma once

#include <string>

// The data folder's "crashes" folder, ending with a backslash.
std::wstring CrashReportFolder();

// Tells the user about a crash that left a report since the last start;
// nothing when there was none.
void TellAboutLastCrash();
