// The version texts from the product site: the update check's reply and the
// manifest's version. The strict form reads only what it writes back, and
// where both readers take a text they agree on whether it is newer; the
// runtime-style number agrees with the C library's own.
#include <cerrno>
#include <climits>
#include <cwchar>

#include "base/product.h"
#include "base/utf.h"
#include "base/version_compare.h"
#include "fuzz_support.h"
#include "updater/release_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = BytesOf(data, size);
    const std::wstring reply = Utf8ToWide(text);
    const bool newer = IsNewerVersion(reply);

    for (const std::wstring& token : VersionTokens(reply, 3)) {
        FUZZ_CHECK(!token.empty() && token.find(L'.') == std::wstring::npos);
    }
    FUZZ_CHECK(VersionTokens(reply, 3).size() <= 3);

    // The number's rules are the C library's, clamped to int.
    if (reply.find(L'\0') == std::wstring::npos) {
        errno = 0;
        long long expected = std::wcstoll(reply.c_str(), nullptr, 10);
        if (expected > INT_MAX) expected = INT_MAX;
        if (expected < INT_MIN) expected = INT_MIN;
        FUZZ_CHECK(LeadingInteger(reply) == expected);
    }

    const auto strict = ParseReleaseVersion(text);
    if (!strict) return 0;
    FUZZ_CHECK(FormatReleaseVersion(*strict) == text);
    const auto own = ParseReleaseVersion(kProductVersion);
    FUZZ_CHECK(own.has_value());
    FUZZ_CHECK(newer == IsLaterRelease(*strict, *own));
    return 0;
}
