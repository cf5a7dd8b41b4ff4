// The rules that make or check names of files in the data folder: the safe
// file name (reply segments, database rows) and the capture's name (typed,
// pasted or offered from a window title). Every name a rule lets through
// joins to its folder as a file of that very name inside it.
#include "base/safe_file_name.h"
#include "base/utf.h"
#include "capture/capture_names.h"
#include "fuzz_support.h"
#include "history/history_row.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring units = CodeUnitsOf(data, size);

    const std::wstring safe = SafeFileName(units);
    FUZZ_CHECK(JoinsInsideFolder(safe));
    FUZZ_CHECK(IsSafeFileName(safe));
    FUZZ_CHECK(SafeFileName(safe) == safe);
    if (IsSafeFileName(units)) FUZZ_CHECK(JoinsInsideFolder(units));

    // A database row's name, as its UTF-8 bytes.
    const std::string row = BytesOf(data, size);
    const std::string stored = CheckedStoredName(row);
    FUZZ_CHECK(stored.empty() || stored == row);
    if (!stored.empty()) FUZZ_CHECK(JoinsInsideFolder(Utf8ToWide(stored)));

    if (CheckCaptureName(units) == NameProblem::kNone) {
        FUZZ_CHECK(IsSafeFileName(units));
        FUZZ_CHECK(JoinsInsideFolder(units));
        FUZZ_CHECK(FormatOfName(units) != CaptureFormat::kUnknown);
    }
    for (const bool regionMode : {false, true}) {
        const std::wstring offered = DefaultCaptureName(units, regionMode);
        FUZZ_CHECK(CheckCaptureName(offered) == NameProblem::kNone);
        FUZZ_CHECK(FormatOfName(offered) == CaptureFormat::kPng);
    }
    return 0;
}
