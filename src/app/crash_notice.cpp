#include "app/crash_notice.h"

#include "app/app_state.h"
#include "base/crash_reports.h"
#include "base/event_log.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/shell_open.h"
#include "base/user_prompt.h"
#include "base/utf.h"

std::wstring CrashReportFolder() { return Utf8ToWide(App().dataFolder) + L"crashes\\"; }

void TellAboutLastCrash() {
    const std::wstring folder = CrashReportFolder();
    if (!TakeNewCrashReport(folder)) return;
    LogEvent("crash report told");
    const int answer = AskUserWithButtons(MainWindowHandle(),
                                          L"vantorel liftorn closed unexpectedly last time. A report was saved.",
                                          kProductName, MB_ICONINFORMATION, L"Open folder", L"Close");
    if (answer == IDOK) OpenWithShell(folder);
}
