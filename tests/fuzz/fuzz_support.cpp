#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

void FuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
    std::abort();
}

std::string BytesOf(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::wstring CodeUnitsOf(const std::uint8_t* data, std::size_t size) {
    std::wstring units;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    }
    return units;
}

namespace {

bool IsDeviceStem(std::wstring stem) {
    // Windows ignores spaces after the device name and any extension.
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (stem == device) return true;
    }
    // COM and LPT with one digit, superscripts 1 to 3 included.
    static const std::wstring kDigits = L"0123456789\u00B9\u00B2\u00B3";
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           kDigits.find(stem[3]) != std::wstring::npos;
}

}  // namespace

bool JoinsInsideFolder(const std::wstring& name) {
    if (name.empty() || name.size() > 255) return false;
    for (const wchar_t c : name) {
        if (c < 0x20 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return false;
    }
    if (name.back() == L'.' || name.back() == L' ') return false;
    return !IsDeviceStem(name.substr(0, name.find(L'.')));
}
