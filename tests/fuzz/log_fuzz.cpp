// The log's text rule, over a file name, a reason from the service or an
// address as hostile as they come: the log gets exactly one line of
// printable UTF-8 of bounded length, a secret key never shows its value, and
// a digest or an address's user part put anywhere in a value never shows.
#include <cstring>

#include "base/log_line.h"
#include "base/utf.h"
#include "fuzz_support.h"

namespace {

constexpr char kDigest[] = "3f786850e387550fdab836ed7e6dc881de23001b";
constexpr char kPassword[] = "Pw-9zq";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = BytesOf(data, size);
    const std::string head = text.substr(0, size / 2);
    const std::string tail = text.substr(size / 2);
    const std::string line =
        FormatLogLine(LogTime{2026, 12, 9, 3, 4, 5, 6}, "worker", "upload end",
                      {{"name", text},
                       {"reason", head + kDigest + tail},
                       {"url", head + "https://ann:" + kPassword + "@host/" + tail},
                       {"password", text}});

    FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
    for (std::size_t i = 0; i + 2 < line.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(line[i]);
        FUZZ_CHECK(byte >= 0x20 && byte != 0x7f);
    }
    FUZZ_CHECK(IsValidUtf8(line));
    // Each value is cut before it is escaped (at most four bytes for one).
    FUZZ_CHECK(line.size() < 3 * (4 * (kLogValueLimit + 3) + 2) + 120);
    const std::string end = " password=<hidden>\r\n";
    FUZZ_CHECK(line.size() > end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0);
    FUZZ_CHECK(line.find(kDigest) == std::string::npos);
    if (text.find(kPassword) == std::string::npos) FUZZ_CHECK(line.find(kPassword) == std::string::npos);
    return 0;
}
