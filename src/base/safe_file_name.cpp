#include "base/safe_file_name.h"

namespace {

bool IsForbiddenInName(wchar_t c) {
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
    case L'<': case L'>': case L':': case L'"': case L'/':
    case L'\\': case L'|': case L'?': case L'*':
        return true;
    default:
        return false;
    }
}

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

void DropTrailingDotsAndSpaces(std::wstring& name) {
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
}

// Cuts to `maxLength`, never leaving half of a surrogate pair behind, and
// drops the dots and spaces the cut may have left at the end.
void CutTo(std::wstring& name, std::size_t maxLength) {
    if (name.size() > maxLength) {
        name.resize(maxLength);
        if (sizeof(wchar_t) == 2 && !name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) {
            name.pop_back();
        }
    }
    DropTrailingDotsAndSpaces(name);
}

}  // namespace

std::wstring SafeFileName(const std::wstring& segment, std::size_t maxLength) {
    std::wstring name;
    name.reserve(segment.size());
    for (wchar_t c : segment) name.push_back(IsForbiddenInName(c) ? L'_' : c);
    CutTo(name, maxLength);
    if (name.empty()) return L"_";
    if (IsReservedDeviceName(name)) {
        // The mark must fit too, or the name would not stay as it is when
        // checked again.
        name.insert(0, 1, L'_');
        CutTo(name, maxLength);
    }
    return name;
}

bool IsSafeFileName(const std::wstring& name) {
    return !name.empty() && name.size() <= kMaxStoredNameLength &&
           SafeFileName(name, kMaxStoredNameLength) == name;
}

bool IsReservedDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (auto& c : base) c = AsciiUpper(c);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" ||
        base == L"CONIN$" || base == L"CONOUT$") {
        return true;
    }
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t digit = base[3];
        return (digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}
