#include "capture/post_capture_command.h"

#include <windows.h>
#include <shellapi.h>

#include "base/scoped_win.h"
#include "capture/capture_names.h"
#include "config/settings_store.h"

bool RunPostCaptureCommand(const std::wstring& path) {
    const std::wstring command = Settings().GetAdvanced(L"adv_screenshot_cmd");
    if (command.empty() || !Settings().GetBool(L"RunCommandAfterScreenshot")) return false;
    const std::wstring arguments =
        SubstituteCapturePath(Settings().GetAdvanced(L"adv_screenshot_cmd_args"), path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = command.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    // The user's own program (an editor, say) may take as long as the user
    // wants: no time limit. Nothing else waits on this thread meanwhile.
    ScopedHandle process(info.hProcess);
    if (process) WaitForSingleObject(process.get(), INFINITE);
    return true;
}
