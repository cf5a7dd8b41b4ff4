#include "history/history_row.h"

#include "base/safe_file_name.h"
#include "base/utf.h"

std::string CheckedStoredName(const std::string& name) {
    if (name.empty() || name.size() > 4 * kMaxStoredNameLength || !IsValidUtf8(name)) return {};
    return IsSafeFileName(Utf8ToWide(name)) ? name : std::string();
}

HistoryRow MakeHistoryRow(long long rowId, std::string url, std::string fileName,
                          std::string date, const std::string& thumb,
                          const std::string& shortcut) {
    HistoryRow row;
    row.rowId = rowId;
    row.url = std::move(url);
    row.fileName = std::move(fileName);
    row.date = std::move(date);
    row.thumb = CheckedStoredName(thumb);
    row.shortcut = CheckedStoredName(shortcut);
    return row;
}

SearchFields DescribeHistoryRow(const void* entry) {
    const auto* row = static_cast<const HistoryRow*>(entry);
    return SearchFields{row->fileName, row->url, row->date};
}
