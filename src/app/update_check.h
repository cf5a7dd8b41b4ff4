// The daily question to the product web site: is there a newer version, and
// if the user wants it, start a copy of the updater. Runs on the main thread
// before any window exists.
#pragma once

#include <cstddef>
#include <string>

// The longest version reply taken; a longer one fails the check quietly
// (a version is a few characters, and its text goes into the question).
inline constexpr std::size_t kVersionReplyLimitBytes = 256;

// Asks the setting adv_latest_version_uri for the latest version and offers
// it when newer. True: carry on starting. False: the updater has been
// started and the caller ends the process (after saving the settings).
bool CheckForUpdate(const std::wstring& commandLine);

// libcurl write callback collecting the reply into the std::string `reply`,
// up to kVersionReplyLimitBytes.
size_t AppendUpdateReply(char* data, size_t size, size_t count, void* reply);

// Copies "iupdater.exe" from the program folder into a folder of its own,
// made new under the temporary folder with a name nobody can foresee
// ("vantorel-liftorn-updater-" and 16 hex digits), as "updater2.exe", and
// starts it with `commandLine` in the program folder. True when started.
bool StartUpdater(const std::wstring& commandLine);

// Removes the updater copies of earlier updates, and their folders, once they
// no longer run; nothing else in the temporary folder is touched.
void RemoveOldUpdaterCopies();
