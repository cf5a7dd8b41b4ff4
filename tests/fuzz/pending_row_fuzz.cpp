// Feeds arbitrary bytes to the pending-row checks as the columns of a stored
// row, then checks what an accepted row can reach: an own file is one plain
// name, a user's path is absolute and plain, an archive is a temporary
// archive's name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "history/pending_row.h"

namespace {

// The next field: bytes up to a zero byte (or the end).
std::string Next(const uint8_t*& data, const uint8_t* end) {
    const uint8_t* start = data;
    while (data < end && *data != 0) ++data;
    std::string field(reinterpret_cast<const char*>(start), static_cast<std::size_t>(data - start));
    if (data < end) ++data;
    return field;
}

long long Number(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* end = data + size;
    StoredPendingRow stored;
    stored.id = Number(Next(data, end));
    stored.kind = Number(Next(data, end));
    stored.path = Next(data, end);
    stored.name = Next(data, end);
    stored.ownFile = Number(Next(data, end));
    stored.archive = Next(data, end);
    stored.failedAttempts = Number(Next(data, end));
    stored.failure = Number(Next(data, end));
    stored.status = Number(Next(data, end));
    PendingRow row;
    if (!CheckPendingRow(stored, row)) return 0;
    if (row.ownFile) {
        if (row.path.find_first_of("\\/:") != std::string::npos || row.path == "." || row.path == "..") std::abort();
    } else if (!IsPlainAbsolutePath(row.path) || row.path.find("\\..\\") != std::string::npos) {
        std::abort();
    }
    if (!row.archive.empty() && (!IsArchiveName(row.archive) || row.archive.find('\\') != std::string::npos)) {
        std::abort();
    }
    if (row.name.find_first_of("\r\n") != std::string::npos) std::abort();
    return 0;
}
