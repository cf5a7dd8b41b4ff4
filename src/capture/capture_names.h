// The texts around a capture's file: the check of the name the user types,
// the name offered for a window grab, the format chosen by the extension,
// the private file a capture is kept in, the name of a picture from the
// clipboard and the arguments of the post-capture command. Free of Win32.
#pragma once

#include <string>

enum class NameProblem {
    kNone,
    kForbiddenCharacter,  // one of \ / : * ? " < > |
    kNoExtension,
    kWrongExtension,  // not png, jpg or gif
    kUnusableName,    // a device name (CON, NUL, COM1...), control characters, too long
};

// Only the first problem found counts.
NameProblem CheckCaptureName(const std::wstring& name);
// The line shown under the edit box; empty for kNone.
const wchar_t* NameProblemMessage(NameProblem problem);

enum class CaptureFormat { kPng, kJpeg, kGif, kUnknown };
// By the text after the last "." in any letter case.
CaptureFormat FormatOfName(const std::wstring& name);

// The offered name: "capture.png" in region mode or for an empty title;
// otherwise the title without the characters a file name cannot hold
// (control characters included), followed by ".png", with a "_" before a
// device's name. The title is cut to its first `kTitleCharacters`
// characters.
constexpr std::size_t kTitleCharacters = 41;
std::wstring DefaultCaptureName(const std::wstring& windowTitle, bool regionMode);

// The name of a capture's own file in the captures folder: the capture's
// local time and a serial number, with the extension of `format` (png for
// kUnknown), e.g. "capture-20240131-235959-2.png". A name is never reused:
// the caller tries the next serial when the file exists.
struct CaptureClock {
    int year, month, day, hour, minute, second;
};
std::wstring PrivateCaptureFileName(const CaptureClock& time, unsigned serial, CaptureFormat format);

// The name a picture from the clipboard is sent under, by the local time it
// was read: "clipboard 2024-01-31 23.59.59.png".
std::wstring ClipboardPictureName(const CaptureClock& time);

// The post-capture command's arguments with the first "%1" replaced by the
// saved file's path in double quotes, so that it reaches the command as one
// argument (a file name cannot hold a double quote). A "%1" the user
// already put in quotes gets none added. Unchanged when there is no "%1".
std::wstring SubstituteCapturePath(const std::wstring& arguments, const std::wstring& path);
