#include "base/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include "base/seams.h"
#include "base/web_address.h"

bool OpenWithShell(const std::wstring& target) {
    if (auto open = CurrentSeams().shellOpen) return open(target.c_str());
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool OpenWebAddress(const std::wstring& address) {
    if (!IsWebAddress(address)) return false;
    return OpenWithShell(address);
}

bool StartProgram(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory) {
    if (auto start = CurrentSeams().startProgram) return start(program.c_str(), parameters.c_str(), directory.c_str());
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(), directory.c_str(),
                                           SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
