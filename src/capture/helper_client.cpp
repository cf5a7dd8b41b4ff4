#include "capture/helper_client.h"

#include <shellapi.h>

#include "capture/helper_protocol.h"

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindHelperWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[32] = {};
    if (owner == search->processId && GetClassNameW(window, className, 32) &&
        lstrcmpW(className, kHelperClass) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

UINT HelperMessage() {
    static const UINT message = RegisterWindowMessageW(kHelperMessageName);
    return message;
}

}  // namespace

bool StartHelper(const std::wstring& program, HelperSession& session, DWORD waitLimit) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.nShow = SW_SHOW;
    if (!ShellExecuteExW(&info) || !info.hProcess) return false;
    session.process.reset(info.hProcess);
    // Only a window of the process just started will do: another program's
    // window of the same class is not ours to talk to.
    Search search{GetProcessId(info.hProcess), nullptr};
    const DWORD started = GetTickCount();
    for (;;) {
        EnumWindows(FindHelperWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (GetTickCount() - started >= waitLimit) return false;
        // An early exit means the window will never come.
        if (WaitForSingleObject(info.hProcess, kHelperWaitStep) == WAIT_OBJECT_0) return false;
    }
    session.window = search.found;
    return true;
}

void RaiseWithHelper(HelperSession& session, HWND target) {
    session.raised = false;
    if (!session.window) return;
    DWORD_PTR reply = 0;
    const LRESULT answered =
        SendMessageTimeoutW(session.window, HelperMessage(), reinterpret_cast<WPARAM>(target), kHelperRaise,
                            SMTO_ABORTIFHUNG, kHelperReplyLimit, &reply);
    session.raised = answered != 0 && reply != static_cast<DWORD_PTR>(kHelperNothingToUndo);
    // Without a reply it is told to go; after "nothing to undo" it goes by
    // itself.
    if (!answered) PostMessageW(session.window, WM_CLOSE, 0, 0);
}

void UndoWithHelper(HelperSession& session, HWND target) {
    if (!session.window || !session.raised) return;
    PostMessageW(session.window, HelperMessage(), reinterpret_cast<WPARAM>(target), kHelperUndo);
    PostMessageW(session.window, WM_CLOSE, 0, 0);
    session.raised = false;
}
