#include "updater/shipped_files.h"

#include <algorithm>

const std::vector<std::wstring>& ShippedProgramFiles() {
    static const std::vector<std::wstring> files = {kProgramFileName, L"vlt-helper.exe", L"iupdater.exe",
                                                     kUninstallerFileName};
    return files;
}

bool IsShippedFile(const std::wstring& relativePath) {
    std::wstring lower = relativePath;
    for (auto& c : lower) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    const auto& files = ShippedProgramFiles();
    if (std::find(files.begin(), files.end(), lower) != files.end()) return true;
    const std::wstring skin = std::wstring(kShippedSkinFolder) + L"\\";
    return lower.size() > skin.size() && lower.compare(0, skin.size(), skin) == 0 &&
           lower.find(L"..") == std::wstring::npos && lower.back() != L'\\';
}
