// Folders of the program's own under the user's temporary folder. Their
// names cannot be foreseen, and a folder that already exists (someone
// else's, planted beforehand) is never taken for one.
#pragma once

#include <string>

// The temporary folder, ending in a backslash; empty when there is none.
std::wstring TemporaryFolder();

// Makes a new folder named `prefix` and 16 random lower-case hex digits in
// the temporary folder: its path, ending in a backslash, or empty.
std::wstring MakeFreshTemporaryFolder(const std::wstring& prefix);

// True for a name MakeFreshTemporaryFolder gives with `prefix`.
bool IsFreshFolderName(const std::wstring& name, const std::wstring& prefix);
