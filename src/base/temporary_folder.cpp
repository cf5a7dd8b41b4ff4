#include "base/temporary_folder.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "base/random_bytes.h"

namespace {

constexpr std::size_t kDigits = 16;

}  // namespace

std::wstring TemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring folder(temp, length);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring MakeFreshTemporaryFolder(const std::wstring& prefix) {
    const std::wstring temp = TemporaryFolder();
    if (temp.empty()) return std::wstring();
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::uint64_t key = RandomKey();
        if (key == 0) return std::wstring();
        wchar_t digits[kDigits + 1];
        std::swprintf(digits, kDigits + 1, L"%016llx", static_cast<unsigned long long>(key));
        const std::wstring folder = temp + prefix + digits + L"\\";
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    }
    return std::wstring();
}

bool IsFreshFolderName(const std::wstring& name, const std::wstring& prefix) {
    if (name.size() != prefix.size() + kDigits || name.compare(0, prefix.size(), prefix) != 0) return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}
