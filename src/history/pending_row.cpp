#include "history/pending_row.h"

#include "base/safe_file_name.h"
#include "base/utf.h"
#include "history/history_row.h"

namespace {

// Every component a name Windows would let a file have.
bool ComponentsAreNames(const std::string& path, std::size_t from) {
    while (from < path.size()) {
        std::size_t end = path.find('\\', from);
        if (end == std::string::npos) end = path.size();
        const std::string component = path.substr(from, end - from);
        // A trailing backslash ("D:\photos\") ends the loop before this.
        if (component.empty()) return false;
        if (!IsSafeFileName(Utf8ToWide(component))) return false;
        from = end + 1;
    }
    return true;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool InRange(long long value, long long low, long long high) { return value >= low && value <= high; }

}  // namespace

bool IsPlainAbsolutePath(const std::string& path) {
    if (path.size() < 3 || path.size() > kMaxPendingPathBytes || !IsValidUtf8(path)) return false;
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7F || c == '/') return false;
    }
    if (IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
        return path.size() == 3 || ComponentsAreNames(path, 3);
    }
    if (path[0] == '\\' && path[1] == '\\') {
        // "\\server\share\..." : the server and share are names too, which
        // also keeps out "\\?\" and "\\.\".
        const std::size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) return false;
        const std::size_t share = path.find('\\', server + 1);
        if (share == std::string::npos || share == server + 1) return false;
        return ComponentsAreNames(path, 2);
    }
    return false;
}

bool IsArchiveName(const std::string& name) {
    if (name.size() < 8 || name.size() > 15) return false;
    if (name.compare(0, 3, "vt_") != 0 || name.compare(name.size() - 4, 4, ".tmp") != 0) return false;
    for (std::size_t at = 3; at < name.size() - 4; ++at) {
        const char c = name[at];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!hex) return false;
    }
    return true;
}

bool CheckPendingRow(const StoredPendingRow& stored, PendingRow& row) {
    if (stored.id <= 0 || !InRange(stored.kind, 1, 99) || !InRange(stored.ownFile, 0, 1)) return false;
    if (!InRange(stored.failedAttempts, 0, 1000) || !InRange(stored.failure, 0, 1000) ||
        !InRange(stored.status, 0, 999)) {
        return false;
    }
    const bool ownFile = stored.ownFile == 1;
    // An own file is only ever a name in "captures": a row cannot make the
    // program delete anything else.
    if (ownFile ? CheckedStoredName(stored.path).empty() : !IsPlainAbsolutePath(stored.path)) return false;
    if (stored.name.size() > kMaxPendingNameBytes || !IsValidUtf8(stored.name)) return false;
    for (unsigned char c : stored.name) {
        if (c < 0x20 || c == 0x7F) return false;
    }
    if (!stored.archive.empty() && !IsArchiveName(stored.archive)) return false;

    row.id = stored.id;
    row.kind = static_cast<int>(stored.kind);
    row.path = stored.path;
    row.ownFile = ownFile;
    row.name = stored.name;
    row.archive = stored.archive;
    row.failedAttempts = static_cast<int>(stored.failedAttempts);
    row.failure = static_cast<int>(stored.failure);
    row.status = static_cast<long>(stored.status);
    return true;
}

std::string PendingFilePath(const std::string& dataFolder, const PendingRow& row) {
    return row.ownFile ? dataFolder + "captures\\" + row.path : row.path;
}

std::string PendingArchivePath(const std::string& dataFolder, const PendingRow& row) {
    return row.archive.empty() ? std::string() : dataFolder + row.archive;
}
