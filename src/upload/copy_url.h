// Copying an upload's address to the clipboard, shortened first through the
// link shortener the advanced setting adv_link_shortener names when Ctrl is
// held. Runs on whichever thread calls it; shortening blocks that thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Ctrl in the key-state flags of a click.
inline constexpr DWORD kCopyShortenedKey = MK_CONTROL;

// Puts `url` (or its short form when keyState has kCopyShortenedKey and the
// shortener answers) on the clipboard as Unicode text. False when the
// clipboard could not be opened or filled; nothing is shown then.
bool CopyUrl(const wchar_t* url, DWORD keyState);

// CopyUrl as a button's click action: `url` is the address (const wchar_t*)
// the button was given, `keys` the mouse-key flags of the click.
void CopyUrlAction(void* url, WPARAM keys);

// The short form of `url` from the configured shortener, or nothing when the
// request fails or the setting names no known shortener (the user is told).
std::optional<std::wstring> ShortenUrl(const std::wstring& url);

// Where the three shorteners live (UTF-8 base URLs without a trailing
// slash). Tests point them at a local service; null for any of them restores
// that one's built-in address. Applies to the whole process.
void SetShortenerBaseUrls(const char* first, const char* tinyUrl, const char* third);
