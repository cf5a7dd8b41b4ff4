#include "base/system_library.h"

#include <map>
#include <mutex>
#include <string>

HMODULE SystemLibrary(const wchar_t* fileName) {
    static std::mutex lock;
    static auto* loaded = new std::map<std::wstring, HMODULE>;  // kept to the end, as the modules are
    std::lock_guard<std::mutex> guard(lock);
    const auto known = loaded->find(fileName);
    if (known != loaded->end()) return known->second;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    HMODULE module = nullptr;
    if (length > 0 && length < MAX_PATH) module = LoadLibraryW((std::wstring(folder, length) + L"\\" + fileName).c_str());
    (*loaded)[fileName] = module;
    return module;
}
