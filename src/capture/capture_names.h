// The texts around a capture's file: the check of the name the user types,
// the name offered for a window grab, the format chosen by the extension and
// the arguments of the post-capture command. Free of Win32.
#pragma once

#include <string>

enum class NameProblem {
    kNone,
    kForbiddenCharacter,  // one of \ / : * ? " < > |, or a control character
    kNoExtension,
    kWrongExtension,  // not png, jpg or gif
    kReservedName,    // CON, NUL, COM1 ...: a device, not a file in the folder
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

// The post-capture command's arguments with the first "%1" replaced by the
// saved file's path (unquoted); unchanged when there is none.
std::wstring SubstituteCapturePath(const std::wstring& arguments, const std::wstring& path);
