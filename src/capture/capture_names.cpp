#include "capture/capture_names.h"

#include "base/safe_file_name.h"

namespace {

constexpr wchar_t kForbidden[] = L"\\/:*?\"<>|";

// Pasted text can bring control characters, which no file name holds.
bool IsForbidden(wchar_t c) {
    if (c < 0x20) return true;
    for (const wchar_t* f = kForbidden; *f; ++f) {
        if (c == *f) return true;
    }
    return false;
}

wchar_t Lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (Lower(a[i]) != b[i]) return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

NameProblem CheckCaptureName(const std::wstring& name) {
    for (const wchar_t c : name) {
        if (IsForbidden(c)) return NameProblem::kForbiddenCharacter;
    }
    if (name.find(L'.') == std::wstring::npos) return NameProblem::kNoExtension;
    if (FormatOfName(name) == CaptureFormat::kUnknown) return NameProblem::kWrongExtension;
    // Saved under such a name the picture would go to the device and be lost.
    if (IsReservedDeviceName(name)) return NameProblem::kReservedName;
    return NameProblem::kNone;
}

const wchar_t* NameProblemMessage(NameProblem problem) {
    switch (problem) {
        case NameProblem::kForbiddenCharacter:
            return L"Files cannot contain any of: \\ / : * ? \" < > |";
        case NameProblem::kNoExtension:
            return L"No extension given.";
        case NameProblem::kWrongExtension:
            return L"Valid extensions: png, jpg and gif.";
        case NameProblem::kReservedName:
            return L"Windows reserves that name for a device.";
        case NameProblem::kNone:
            break;
    }
    return L"";
}

CaptureFormat FormatOfName(const std::wstring& name) {
    const std::size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return CaptureFormat::kUnknown;
    const std::wstring extension = name.substr(dot + 1);
    if (EqualsNoCase(extension, L"png")) return CaptureFormat::kPng;
    if (EqualsNoCase(extension, L"jpg")) return CaptureFormat::kJpeg;
    if (EqualsNoCase(extension, L"gif")) return CaptureFormat::kGif;
    return CaptureFormat::kUnknown;
}

std::wstring DefaultCaptureName(const std::wstring& windowTitle, bool regionMode) {
    std::wstring name;
    if (!regionMode) {
        const std::wstring title = windowTitle.substr(0, kTitleCharacters);
        for (wchar_t c : title) {
            if (!IsForbidden(c) && c != 0x7F) name += c;
        }
    }
    // A title made only of such characters would leave a bare extension.
    if (name.empty()) name = L"capture";
    name += L".png";
    if (IsReservedDeviceName(name)) name.insert(0, 1, L'_');
    return name;
}

std::wstring SubstituteCapturePath(const std::wstring& arguments, const std::wstring& path) {
    std::wstring result = arguments;
    const std::size_t at = result.find(L"%1");
    if (at != std::wstring::npos) result.replace(at, 2, path);
    return result;
}
