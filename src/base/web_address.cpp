#include "base/web_address.h"

#include <cstddef>

namespace {

template <typename Text>
bool StartsWithScheme(const Text& address, const char* scheme) {
    std::size_t i = 0;
    for (; scheme[i] != '\0'; ++i) {
        if (i >= address.size()) return false;
        auto c = address[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<decltype(c)>(c - 'A' + 'a');
        if (c != static_cast<decltype(c)>(scheme[i])) return false;
    }
    return address.size() > i;
}

template <typename Text>
bool IsWeb(const Text& address) {
    return StartsWithScheme(address, "http://") || StartsWithScheme(address, "https://");
}

}  // namespace

bool IsWebAddress(const std::string& address) {
    return IsWeb(address);
}
bool IsWebAddress(const std::wstring& address) {
    return IsWeb(address);
}
