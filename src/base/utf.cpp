#include "base/utf.h"

#include <cstdint>
#include <type_traits>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(cp));
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

namespace {

// Decodes the sequence starting at `i`; `length` receives the bytes it
// covers (at least 1). False for a truncated, overlong or surrogate sequence,
// a value past U+10FFFF or a byte that cannot start one.
bool DecodeUtf8At(const unsigned char* s, size_t n, size_t i, char32_t& cp, size_t& length) {
    const unsigned char lead = s[i];
    size_t extra = 0;
    char32_t min = 0;
    length = 1;
    if (lead < 0x80) {
        cp = lead;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
        min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
        min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
        min = 0x10000;
    } else {
        return false;
    }
    size_t j = 1;
    for (; j <= extra && i + j < n && (s[i + j] & 0xC0) == 0x80; ++j) {
        cp = (cp << 6) | (s[i + j] & 0x3F);
    }
    length = j;
    return j == extra + 1 && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0, length = 0; i < utf8.size(); i += length) {
        char32_t cp = 0;
        // Anything malformed becomes one replacement character; decoding
        // resumes at the first byte that was not part of it.
        AppendCodePoint(out, DecodeUtf8At(s, utf8.size(), i, cp, length) ? cp : kReplacement);
    }
    return out;
}

char32_t NextCodePoint(std::string_view utf8, std::size_t& at) {
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    char32_t cp = 0;
    std::size_t length = 1;
    const bool valid = DecodeUtf8At(s, utf8.size(), at, cp, length);
    at += length;
    return valid ? cp : kReplacement;
}

bool IsValidUtf8(const std::string& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0, length = 0; i < bytes.size(); i += length) {
        char32_t cp = 0;
        if (!DecodeUtf8At(s, bytes.size(), i, cp, length)) return false;
    }
    return true;
}

std::string WideToUtf8(const std::wstring& wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(wide[i]));
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
                const char32_t low = static_cast<uint16_t>(wide[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}

std::wstring WidenLatin1(const std::string& bytes) {
    std::wstring out(bytes.size(), L'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        out[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
    return out;
}

bool NarrowLatin1(const std::wstring& wide, std::string& out) {
    out.clear();
    std::string result(wide.size(), '\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        const auto c = static_cast<std::make_unsigned_t<wchar_t>>(wide[i]);
        if (c > 0xFF) return false;
        result[i] = static_cast<char>(c);
    }
    out.swap(result);
    return true;
}
