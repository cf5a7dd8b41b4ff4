#include "upload/completion_texts.h"

#include <cstdio>

#include "base/utf.h"
#include "base/web_address.h"

std::wstring DecodeReplyBytes(const std::string& bytes) {
    return IsValidUtf8(bytes) ? Utf8ToWide(bytes) : WidenLatin1(bytes);
}

std::string EscapeSpaces(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ') {
            out += "%20";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool DeriveCompletionTexts(const std::string& path, const std::string& icon,
                           const std::string& mainUri, CompletionTexts& texts) {
    texts = CompletionTexts();
    if (!IsWebAddress(path)) return false;
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return false;
    }
    const std::size_t last = path.rfind('/');
    if (last == std::string::npos || last == 0) return false;
    const std::size_t secondLast = path.rfind('/', last - 1);
    if (secondLast == std::string::npos) return false;

    texts.tail = path.substr(secondLast + 1);
    texts.thumbUrl = EscapeSpaces(mainUri + "/files/thumbs/" + texts.tail);
    texts.iconUrl = IconAddress(mainUri, icon);
    const std::string identifier = path.substr(secondLast + 1, last - secondLast - 1);
    const std::string storedName = path.substr(last + 1);
    texts.thumbName = SafeFileName(DecodeReplyBytes(identifier)) + L"_" +
                      SafeFileName(DecodeReplyBytes(storedName));
    const std::size_t underscore = texts.thumbName.find(L'_');
    texts.prefix = texts.thumbName.substr(0, underscore + 1);
    texts.url = EscapeSpaces(path);
    return true;
}

std::string IconAddress(const std::string& mainUri, const std::string& icon) {
    if (icon.size() < 2 || icon[0] != '/' || icon[1] == '/') return std::string();
    for (char c : icon) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') return std::string();
    }
    return EscapeSpaces(mainUri + icon);
}

std::wstring ShortcutFileName(const std::wstring& prefix, const std::wstring& name) {
    return prefix + SafeFileName(name) + L".url";
}

std::string FormatSizeText(std::uint64_t bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "~%.0fkb", static_cast<double>(bytes) / 1024.0);
    return text;
}
