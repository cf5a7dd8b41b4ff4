// "Upload from clipboard" (Ctrl+V on the main window, its shortcut, the
// upload and tray menus): what the clipboard holds decides. Files copied in
// Explorer are queued as if dropped; a picture (the "PNG" format first, then
// a bitmap with alpha, then a plain bitmap) is written once to a file of its
// own in the data folder's captures and queued like a capture; a text that
// is the full path of an existing file or folder is queued as that path.
// The clipboard is read once and closed at once: what is uploaded is what
// was read. Main thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/clipboard_image.h"

// What one reading of the clipboard found.
struct ClipboardContent {
    enum Kind { kNothing, kBusy, kPaths, kPng, kBitmap, kBadPicture };
    Kind kind = kNothing;
    std::vector<std::wstring> paths;  // kPaths: files and folders, in order
    std::vector<std::uint8_t> png;    // kPng: the file's bytes
    DibPicture bitmap;                // kBitmap
    // kBadPicture: why the picture there was refused (and nothing else on
    // the clipboard could be taken instead).
    ClipboardImageResult problem = ClipboardImageResult::kImage;
};

// Opens the clipboard for `owner`, copies out the first thing it can take
// and closes it again before returning.
ClipboardContent ReadClipboard(HWND owner);

// Whether `text` (one line; surrounding blanks and one pair of double
// quotes dropped) is the full path of a file or folder that exists; the
// path in `path`.
bool ClipboardTextPath(const std::wstring& text, std::wstring& path);

// Reads the clipboard and queues what it holds, or says why nothing was.
void UploadFromClipboard();
