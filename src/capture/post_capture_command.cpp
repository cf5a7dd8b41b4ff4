#include "capture/post_capture_command.h"

#include <windows.h>
#include <shellapi.h>

#include "base/scoped_win.h"
#include "capture/capture_names.h"
#include "config/settings_store.h"

CommandRun RunPostCaptureCommand(const std::wstring& path, HANDLE cancel) {
    const std::wstring command = Settings().GetAdvanced(L"adv_screenshot_cmd");
    if (command.empty() || !Settings().GetBool(L"RunCommandAfterScreenshot")) return CommandRun::kNotRun;
    const std::wstring arguments =
        SubstituteCapturePath(Settings().GetAdvanced(L"adv_screenshot_cmd_args"), path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = command.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return CommandRun::kNotRun;
    ScopedHandle process(info.hProcess);
    if (!process) return CommandRun::kFinished;
    const HANDLE waits[2] = {process.get(), cancel};
    const DWORD woke = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, INFINITE);
    return woke == WAIT_OBJECT_0 + 1 ? CommandRun::kCancelled : CommandRun::kFinished;
}
