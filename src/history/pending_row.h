// One upload that has not reached the service yet, as the pending table in
// history.db keeps it, and the checks a stored row passes before the
// program acts on it. Rows are hostile input like history rows (a restored,
// synced or edited database): a row that could make the program read a
// device, delete a file that is not its own or send something it was never
// given is refused whole. Free of Win32.
#pragma once

#include <cstddef>
#include <string>

// Texts longer than this are refused: a Windows path has at most 32,767
// UTF-16 units, three bytes each at most in UTF-8.
inline constexpr std::size_t kMaxPendingPathBytes = 3 * 32767;
inline constexpr std::size_t kMaxPendingNameBytes = 4 * 255;

struct PendingRow {
    long long id = 0;      // the table's id: the order of arrival
    int kind = 1;          // the upload's kind, as its module numbers it
    // The user's file or folder (an absolute path), or for a file of the
    // program's own its name in the data folder's "captures" folder. UTF-8.
    std::string path;
    bool ownFile = false;  // deleted once uploaded or removed
    std::string name;      // the name the service receives; empty: none
    std::string archive;   // a folder's packed archive: a name in the data folder
    int failedAttempts = 0;
    int failure = 0;       // 0: waiting; else why it failed for good
    long status = 0;       // the HTTP status of that failure, or 0
};

// A row's columns as read, before any check.
struct StoredPendingRow {
    long long id = 0;
    long long kind = 0;
    std::string path;
    std::string name;
    long long ownFile = 0;
    std::string archive;
    long long failedAttempts = 0;
    long long failure = 0;
    long long status = 0;
};

// Whether `path` (UTF-8) is a plain absolute path to a file or folder: a
// drive ("C:\...") or a share ("\\server\share\..."), without "." or ".."
// components, device forms ("\\?\", "\\.\"), forward slashes, characters
// Windows forbids in names or control characters.
bool IsPlainAbsolutePath(const std::string& path);

// Whether `name` is the name of a folder's temporary archive: "vt_", one to
// eight hexadecimal digits, ".tmp".
bool IsArchiveName(const std::string& name);

// `stored` as a row the program may act on, or false. The own file's name
// and the archive name must be safe single names (they are joined to the
// data folder); numbers out of range are refused.
bool CheckPendingRow(const StoredPendingRow& stored, PendingRow& row);

// Full paths (UTF-8) below `dataFolder` (ending in a backslash).
std::string PendingFilePath(const std::string& dataFolder, const PendingRow& row);
std::string PendingArchivePath(const std::string& dataFolder, const PendingRow& row);
