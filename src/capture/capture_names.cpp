#include "capture/capture_names.h"

#include "base/safe_file_name.h"

namespace {

constexpr wchar_t kForbidden[] = L"\\/:*?\"<>|";

// Control characters, which pasted text can bring, are left to the file-name
// rule below, with its own message.
bool IsForbidden(wchar_t c) {
    for (const wchar_t* f = kForbidden; *f; ++f) {
        if (c == *f) return true;
    }
    return false;
}

wchar_t Lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// `value` with leading zeros to `width` digits (negative counts as 0).
std::wstring Digits(int value, std::size_t width) {
    std::wstring text = std::to_wstring(value < 0 ? 0 : value);
    if (text.size() < width) text.insert(0, width - text.size(), L'0');
    return text;
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
    // The name travels on as the uploaded file's name and into the history:
    // it must be one Windows can hold as a file.
    if (!IsSafeFileName(name)) return NameProblem::kUnusableName;
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
        case NameProblem::kUnusableName:
            return L"Windows cannot use this name for a file.";
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
            if (!IsForbidden(c) && c >= 0x20 && c != 0x7F) name += c;
        }
    }
    // A title made only of such characters would leave a bare extension.
    if (name.empty()) name = L"capture";
    name += L".png";
    if (IsReservedDeviceName(name)) name.insert(0, 1, L'_');
    return name;
}

std::wstring PrivateCaptureFileName(const CaptureClock& time, unsigned serial, CaptureFormat format) {
    const wchar_t* extension = format == CaptureFormat::kJpeg  ? L".jpg"
                               : format == CaptureFormat::kGif ? L".gif"
                                                               : L".png";
    return L"capture-" + Digits(time.year, 4) + Digits(time.month, 2) + Digits(time.day, 2) + L"-" +
           Digits(time.hour, 2) + Digits(time.minute, 2) + Digits(time.second, 2) + L"-" +
           std::to_wstring(serial) + extension;
}

std::wstring ClipboardPictureName(const CaptureClock& time) {
    return L"clipboard " + Digits(time.year, 4) + L"-" + Digits(time.month, 2) + L"-" + Digits(time.day, 2) + L" " +
           Digits(time.hour, 2) + L"." + Digits(time.minute, 2) + L"." + Digits(time.second, 2) + L".png";
}

std::wstring SubstituteCapturePath(const std::wstring& arguments, const std::wstring& path) {
    std::wstring result = arguments;
    const std::size_t at = result.find(L"%1");
    if (at == std::wstring::npos) return result;
    // Settings written when the path went in bare may quote it themselves.
    const bool quoted = at > 0 && result[at - 1] == L'"' && at + 2 < result.size() && result[at + 2] == L'"';
    result.replace(at, 2, quoted ? path : L"\"" + path + L"\"");
    return result;
}
