// One upload of the history as the list and the jump list need it: the texts
// of its row in history.db, nothing decoded and no window. A hundred
// thousand of these are a few tens of megabytes. Free of Win32.
#pragma once

#include <memory>
#include <string>

#include "history/search_text.h"

struct HistoryRow {
    long long rowId = 0;
    std::string url;       // as stored: bytes, widened one to one for showing
    std::string fileName;  // UTF-8
    std::string date;      // as stored
    // Names inside the data folder's "thumbs" and "urls" (UTF-8). Empty when
    // the row has none, or when the stored one is not a safe file name: a
    // restored, synced or edited database must not name other files.
    std::string thumb;
    std::string shortcut;
    // A FailedUploadRow: an upload that never reached the service.
    bool failed = false;
};

// An upload that failed for good, shown at the top of the list until the
// user retries or removes it. It has no history row (rowId 0) and no URL;
// `date` is when it failed.
struct FailedUploadRow : HistoryRow {
    long long jobId = 0;  // the upload queue's job
    std::string reason;   // UTF-8, in the user's words
};

// Rows are shared: the store, the list (while an entry collapses) and a
// pending hand-off to the list's thread may each hold one.
using HistoryRowPtr = std::shared_ptr<const HistoryRow>;

// `name` as stored when it is a file name the program itself would write
// (valid UTF-8, one safe component), else empty.
std::string CheckedStoredName(const std::string& name);

// A row from its stored texts; the two names pass CheckedStoredName.
HistoryRow MakeHistoryRow(long long rowId, std::string url, std::string fileName,
                          std::string date, const std::string& thumb,
                          const std::string& shortcut);

// What an upload's row offers the search (a DescribeEntry for lists of
// HistoryRow entries): views into the row.
SearchFields DescribeHistoryRow(const void* row);
