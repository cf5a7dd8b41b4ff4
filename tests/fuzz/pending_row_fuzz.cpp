// A pending row's columns from arbitrary bytes (fields split at zero bytes):
// whatever the checks accept can reach only what was queued. A file of the
// program's own and a folder's archive are single names that stay inside
// their folder; a user's path is absolute and plain; the name the service
// receives is one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/utf.h"
#include "fuzz_support.h"
#include "history/pending_row.h"

namespace {

// The next field: bytes up to a zero byte (or the end).
std::string Next(const std::uint8_t*& data, const std::uint8_t* end) {
    const std::uint8_t* start = data;
    while (data < end && *data != 0) ++data;
    std::string field(reinterpret_cast<const char*>(start), static_cast<std::size_t>(data - start));
    if (data < end) ++data;
    return field;
}

long long Number(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* end = data + size;
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
    FUZZ_CHECK(row.path.size() <= kMaxPendingPathBytes && row.name.size() <= kMaxPendingNameBytes);
    if (row.ownFile) {
        FUZZ_CHECK(JoinsInsideFolder(Utf8ToWide(row.path)));
    } else {
        FUZZ_CHECK(IsPlainAbsolutePath(row.path) && row.path.find("\\..\\") == std::string::npos);
    }
    if (!row.archive.empty()) FUZZ_CHECK(IsArchiveName(row.archive) && JoinsInsideFolder(Utf8ToWide(row.archive)));
    FUZZ_CHECK(row.name.find_first_of("\r\n") == std::string::npos);
    return 0;
}
