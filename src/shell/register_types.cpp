#include "shell/register_types.h"

#include <shellapi.h>

#include <string>

#include "base/scoped_win.h"
#include "base/seams.h"
#include "base/user_prompt.h"
#include "config/settings_store.h"

namespace {

constexpr const wchar_t* kCommandKey = L"Korvane.vantorel-liftorn\\shell\\Open\\Command";
constexpr DWORD kCommandBufferBytes = 520;

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

bool Elevated() {
    if (auto elevated = CurrentSeams().processElevated) return elevated();
    return IsProcessElevated();
}

// Written with its exact size: the characters and the terminating null.
bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

bool CreateKey(HKEY parent, const wchar_t* path, ScopedRegKey& key) {
    return RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS;
}

// Creates or opens `path` below `parent` and sets one string value.
bool SetSubkeyString(HKEY parent, const wchar_t* path, const wchar_t* name, const std::wstring& value) {
    ScopedRegKey key;
    return CreateKey(parent, path, key) && SetString(key.get(), name, value);
}

// The values in their fixed order, stopping at the first failure.
bool WriteRegistration() {
    ScopedRegKey progId;
    if (!CreateKey(HKEY_CLASSES_ROOT, kAppUserModelId, progId)) return false;
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
    return CreateKey(HKEY_CLASSES_ROOT, L".URL\\OpenWithProgids", openWith) &&
           RegSetValueExW(openWith.get(), kAppUserModelId, 0, REG_NONE, nullptr, 0) == ERROR_SUCCESS;
}

// True when the stored Open command names this program file.
bool RegistrationInPlace() {
    wchar_t stored[kCommandBufferBytes / sizeof(wchar_t)] = {};
    DWORD bytes = sizeof stored;
    if (RegGetValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, stored, &bytes) !=
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

bool IsProcessElevated() {
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

std::wstring ShortcutOpenCommand() { return ProgramPath() + L" /uri \"%1\""; }

int RunElevated(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory) {
    if (auto run = CurrentSeams().runElevated) return run(program.c_str(), parameters.c_str(), directory.c_str());
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    // Our own message reports a failure; the shell adds none.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = parameters.c_str();
    start.lpDirectory = directory.c_str();
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

int RegisterTypes(HINSTANCE /*instance*/, bool silent) {
    if (Elevated()) return WriteRegistration() ? 0 : 1;
    if (silent) return 1;
    const int answer = AskUser(
        nullptr,
        L"vantorel liftorn needs to run with elevated privileges to initialise the jump list "
        L"settings. Select Ok to elevate vantorel liftorn or Cancel to disable jump list support.",
        kProductName, MB_OKCANCEL | MB_ICONINFORMATION);
    if (answer == IDOK) {
        wchar_t directory[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, directory);
        return RunElevated(ProgramPath(), L"/registertypes", directory);
    }
    Settings().SetBool(L"EnableJumpLists", false);
    return 0;
}

void RegisterShellIntegration(HINSTANCE instance) {
    const SetAppIdFunction setAppId = AppIdFunction();
    if (!setAppId) return;
    setAppId(kAppUserModelId);
    if (RegistrationInPlace()) return;
    if (RegisterTypes(instance, false) == 0) return;
    Settings().SetBool(L"EnableJumpLists", false);
    AskUser(nullptr,
            L"There was a problem initialising the jump list settings, jump list support will be "
            L"disabled. If you wish to re-enable jump list support you will need to manually enable "
            L"the option in the config file.",
            kProductName, MB_ICONERROR);
}
