#include "shell/register_types.h"

#include <string>

#include "base/scoped_win.h"
#include "base/user_prompt.h"
#include "config/settings_store.h"

namespace {

// The user's classes; what the shell merges into the classes root, ahead of
// the machine's.
constexpr const wchar_t* kUserClasses = L"Software\\Classes\\";
constexpr const wchar_t* kCommandKey = L"Korvane.vantorel-liftorn\\shell\\Open\\Command";
constexpr DWORD kCommandBufferBytes = 1040;

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Written with its exact size: the characters and the terminating null.
bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

bool CreateKey(HKEY parent, const std::wstring& path, ScopedRegKey& key) {
    return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr,
                           key.put(), nullptr) == ERROR_SUCCESS;
}

// Creates or opens `path` below `parent` and sets one string value.
bool SetSubkeyString(HKEY parent, const wchar_t* path, const wchar_t* name, const std::wstring& value) {
    ScopedRegKey key;
    return CreateKey(parent, path, key) && SetString(key.get(), name, value);
}

// The values in their fixed order, stopping at the first failure.
bool WriteRegistration() {
    ScopedRegKey progId;
    if (!CreateKey(HKEY_CURRENT_USER, std::wstring(kUserClasses) + kAppUserModelId, progId)) return false;
    const std::wstring program = ProgramPath();
    if (!SetString(progId.get(), L"FriendlyTypeName", kProductName) ||
        !SetSubkeyString(progId.get(), L"DefaultIcon", nullptr, program) ||
        !SetSubkeyString(progId.get(), L"CurVer", nullptr, kAppUserModelId) ||
        !SetString(progId.get(), L"AppUserModelID", kAppUserModelId)) {
        return false;
    }
    ScopedRegKey shell;
    if (!CreateKey(progId.get(), L"shell", shell) ||
        !SetSubkeyString(shell.get(), L"Open\\Command", nullptr, ShortcutOpenCommand()) ||
        !SetString(shell.get(), nullptr, L"Open")) {
        return false;
    }
    ScopedRegKey openWith;
    return CreateKey(HKEY_CURRENT_USER, std::wstring(kUserClasses) + L".URL\\OpenWithProgids", openWith) &&
           RegSetValueExW(openWith.get(), kAppUserModelId, 0, REG_NONE, nullptr, 0) == ERROR_SUCCESS;
}

// True when the user's stored Open command is this program's.
bool RegistrationInPlace() {
    wchar_t stored[kCommandBufferBytes / sizeof(wchar_t)] = {};
    DWORD bytes = sizeof stored;
    const std::wstring key = std::wstring(kUserClasses) + kCommandKey;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, stored, &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    const std::wstring expected = ShortcutOpenCommand();
    return CompareStringOrdinal(stored, -1, expected.c_str(), -1, TRUE) == CSTR_EQUAL;
}

using SetAppIdFunction = HRESULT(WINAPI*)(PCWSTR);

// Looked up at run time: older shells do not have it. shell32 stays loaded
// for the life of the process.
SetAppIdFunction AppIdFunction() {
    static const SetAppIdFunction function = [] {
        HMODULE shell = LoadLibraryW(L"shell32.dll");
        return shell ? reinterpret_cast<SetAppIdFunction>(reinterpret_cast<void*>(
                           GetProcAddress(shell, "SetCurrentProcessExplicitAppUserModelID")))
                     : nullptr;
    }();
    return function;
}

}  // namespace

// Quoted: unquoted, a path with blanks ("...\vantorel liftorn\liftorn.exe")
// is tried piece by piece, its first piece as a program of its own.
std::wstring ShortcutOpenCommand() { return L"\"" + ProgramPath() + L"\" /uri \"%1\""; }

int RegisterTypes() { return WriteRegistration() ? 0 : 1; }

void RegisterShellIntegration() {
    const SetAppIdFunction setAppId = AppIdFunction();
    if (!setAppId) return;
    setAppId(kAppUserModelId);
    if (RegistrationInPlace()) return;
    if (RegisterTypes() == 0) return;
    Settings().SetBool(L"EnableJumpLists", false);
    AskUser(nullptr,
            L"There was a problem initialising the jump list settings, jump list support will be "
            L"disabled. If you wish to re-enable jump list support you will need to manually enable "
            L"the option in the config file.",
            kProductName, MB_ICONERROR);
}
