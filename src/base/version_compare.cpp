#include "base/version_compare.h"

#include <climits>

#include "base/product.h"

std::vector<std::wstring> VersionTokens(const std::wstring& text, std::size_t most) {
    std::vector<std::wstring> tokens;
    std::size_t at = 0;
    while (tokens.size() < most) {
        at = text.find_first_not_of(L'.', at);
        if (at == std::wstring::npos) break;
        const std::size_t end = text.find(L'.', at);
        tokens.push_back(text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
        if (end == std::wstring::npos) break;
        at = end;
    }
    return tokens;
}

int LeadingInteger(const std::wstring& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == L' ' || (text[at] >= L'\t' && text[at] <= L'\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
    long long value = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        value = value * 10 + (text[at] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;  // clamped below
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool IsNewerVersion(const std::wstring& text) {
    const std::vector<std::wstring> received = VersionTokens(text, 3);
    const std::vector<std::wstring> own = VersionTokens(kProductVersionWide, 3);
    if (received.size() < 3 || own.size() < 3) return false;
    for (std::size_t i = 0; i < 3; ++i) {
        const int theirs = LeadingInteger(received[i]);
        const int ours = LeadingInteger(own[i]);
        if (theirs != ours) return theirs > ours;
    }
    return false;
}
