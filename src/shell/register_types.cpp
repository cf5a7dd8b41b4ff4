#include "shell/register_types.h"

#include <shellapi.h>

#include <string>

#include "base/product.h"
#include "base/scoped_win.h"
#include "base/user_prompt.h"
#include "config/settings_store.h"

namespace {

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          bytes) == ERROR_SUCCESS;
}

// Creates or opens `path` below `parent`, sets one string value, closes it.
bool SetSubkeyString(HKEY parent, const wchar_t* path, const wchar_t* name,
                     const std::wstring& value) {
    ScopedRegKey key;
    if (RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return SetString(key.get(), name, value);
}

bool WriteRegistration() {
    ScopedRegKey progId;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kAppUserModelId, 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                        nullptr, progId.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring program = ProgramPath();
    // In this order, stopping at the first failure.
    bool ok = SetString(progId.get(), L"FriendlyTypeName", kProductName) &&
              SetSubkeyString(progId.get(), L"DefaultIcon", nullptr, program) &&
              SetSubkeyString(progId.get(), L"CurVer", nullptr, kAppUserModelId) &&
              SetString(progId.get(), L"AppUserModelID", kAppUserModelId);
    if (ok) {
        ScopedRegKey shell;
        ok = RegCreateKeyExW(progId.get(), L"shell", 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                             nullptr, shell.put(), nullptr) == ERROR_SUCCESS &&
             SetSubkeyString(shell.get(), L"Open\\Command", nullptr, ShortcutOpenCommand()) &&
             SetString(shell.get(), nullptr, L"Open");
    }
    if (!ok) return false;

    ScopedRegKey openWith;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L".URL\\OpenWithProgids", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        openWith.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(openWith.get(), kAppUserModelId, 0, REG_NONE, nullptr, 0) == ERROR_SUCCESS;
}

int RunElevatedCopy() {
    const std::wstring program = ProgramPath();
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = L"/registertypes";
    start.lpDirectory = directory;
    start.nShow = SW_SHOWNORMAL;
    // A refused elevation gives no process: report failure rather than a
    // success that registered nothing.
    if (!ShellExecuteExW(&start) || !start.hProcess) return 1;
    ScopedHandle process(start.hProcess);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    if (!GetExitCodeProcess(process.get(), &code)) code = 1;
    return static_cast<int>(code);
}

}  // namespace

bool IsProcessElevated() {
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

std::wstring ShortcutOpenCommand() { return ProgramPath() + L" /uri \"%1\""; }

int RegisterTypes(HINSTANCE /*instance*/, bool silent) {
    if (IsProcessElevated()) return WriteRegistration() ? 0 : 1;
    if (silent) return 1;
    const int answer =
        AskUser(nullptr,
                L"vantorel liftorn needs to run with elevated privileges to initialise the jump list "
                L"settings. Select Ok to elevate vantorel liftorn or Cancel to disable jump list support.",
                kProductName, MB_OKCANCEL | MB_ICONINFORMATION);
    if (answer == IDOK) return RunElevatedCopy();
    Settings().SetBool(L"EnableJumpLists", false);
    return 0;
}
