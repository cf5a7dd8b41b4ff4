// The texts an upload's completion derives from the service's reply ("path"
// and "icon"): the thumbnail's address and local name, the shortcut's name,
// the size shown in the history and the Internet-shortcut file's bytes.
// Free of Win32.
//
// The reply decides file names on this machine, so every piece that becomes
// part of a local name is reduced to a safe single Windows file name first:
// it can never name a folder, a drive, a device or a place outside the
// "thumbs" and "urls" folders. A hostile segment is renamed rather than
// refused, so the upload itself (which did reach the service) still counts.
// Only a "path" that holds control characters is refused outright: it would
// inject lines into the shortcut file and no real address contains them.
#pragma once

#include <cstdint>
#include <string>

#include "base/safe_file_name.h"
#include "base/utf.h"
#include "upload/internet_shortcut.h"

// Reply bytes as text: UTF-8 when they are valid UTF-8, else one byte to one
// character (Latin-1), so both modern and legacy services read sensibly.
std::wstring DecodeReplyBytes(const std::string& bytes);

// The safe file names themselves: base/safe_file_name.h.

struct CompletionTexts {
    std::string tail;       // identifier "/" stored name, bytes as the reply gave them
    std::string thumbUrl;   // main URI + "/files/thumbs/" + tail, spaces as "%20"
    std::string iconUrl;    // main URI + icon, or empty when icon is no path on that host
    std::wstring thumbName; // safe identifier "_" safe name: the file in "thumbs"
    std::wstring prefix;    // thumbName up to and with its first "_"
    std::string url;        // path with spaces as "%20"
};

// False when `path` is not an http or https address, has fewer than two "/"
// or holds a control character: the address is opened by the shell later, so
// nothing else (file:, registered protocols) may get that far.
bool DeriveCompletionTexts(const std::string& path, const std::string& icon,
                           const std::string& mainUri, CompletionTexts& texts);

// The icon's address: `icon` as a path below `mainUri`, on the service's own
// host. Empty (no icon is fetched) when `icon` does not start with a single
// "/" or holds a control character or a backslash: appended as it is,
// "@host/x", ".host/x" or ":port/x" would send the request elsewhere.
std::string IconAddress(const std::string& mainUri, const std::string& icon);

// prefix + the safe form of `name` + ".url": the file in "urls".
std::wstring ShortcutFileName(const std::wstring& prefix, const std::wstring& name);

// ShortcutFileName, or when `taken` says that name belongs to another upload,
// the same with " (2)", " (3)" ... before ".url": every upload has a file of
// its own. Empty when kMaxShortcutAttempts names are all taken.
constexpr int kMaxShortcutAttempts = 1000;
template <typename Taken>
std::wstring UniqueShortcutFileName(const std::wstring& prefix, const std::wstring& name,
                                    Taken taken) {
    const std::wstring stem = prefix + SafeFileName(name);
    for (int attempt = 1; attempt <= kMaxShortcutAttempts; ++attempt) {
        const std::wstring candidate =
            stem + (attempt == 1 ? L"" : L" (" + std::to_wstring(attempt) + L")") + L".url";
        if (!taken(candidate)) return candidate;
    }
    return std::wstring();
}

// "~%.0fkb" of bytes / 1024.
std::string FormatSizeText(std::uint64_t bytes);

// Every space replaced by "%20"; nothing else is escaped.
std::string EscapeSpaces(const std::string& text);

// The shortcut file's bytes: upload/internet_shortcut.h.
