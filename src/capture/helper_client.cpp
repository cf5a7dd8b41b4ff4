#include "capture/helper_client.h"

#include <memory>

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

HelperMailbox* Mailbox(const HelperSession& session) { return static_cast<HelperMailbox*>(session.mailbox.get()); }

// Puts a request in the mailbox before its message goes out.
void Write(HelperRequest& slot, HWND target) {
    slot.target = static_cast<LONG64>(reinterpret_cast<UINT_PTR>(target));
    InterlockedExchange(&slot.pending, 1);
}

void PostClose(HelperSession& session) {
    Write(Mailbox(session)->close, nullptr);
    PostMessageW(session.window, WM_CLOSE, 0, 0);
}

// The attribute-list functions exist from Windows Vista on.
struct AttributeListApi {
    BOOL(WINAPI* initialize)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T) = nullptr;
    BOOL(WINAPI* update)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID, PSIZE_T) = nullptr;
    void(WINAPI* remove)(LPPROC_THREAD_ATTRIBUTE_LIST) = nullptr;
};

const AttributeListApi& AttributeLists() {
    static const AttributeListApi api = [] {
        AttributeListApi found;
        if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
            found.initialize = reinterpret_cast<decltype(found.initialize)>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "InitializeProcThreadAttributeList")));
            found.update = reinterpret_cast<decltype(found.update)>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "UpdateProcThreadAttribute")));
            found.remove = reinterpret_cast<decltype(found.remove)>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "DeleteProcThreadAttributeList")));
        }
        if (!found.initialize || !found.update || !found.remove) found = AttributeListApi();
        return found;
    }();
    return api;
}

// Starts `program` with `commandLine`, handing it exactly the two
// inheritable handles where the system can say so (elsewhere every
// inheritable handle of this process goes along, as always).
bool StartWithHandles(const std::wstring& program, std::wstring commandLine, HANDLE handles[2],
                      PROCESS_INFORMATION& started) {
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup.StartupInfo;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_SHOW;
    DWORD flags = 0;
    std::unique_ptr<unsigned char[]> listMemory;
    const AttributeListApi& api = AttributeLists();
    SIZE_T size = 0;
    if (api.initialize) api.initialize(nullptr, 1, 0, &size);
    if (size > 0) {
        listMemory = std::make_unique<unsigned char[]>(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.get());
        if (api.initialize(list, 1, 0, &size)) {
            if (api.update(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, 2 * sizeof(HANDLE), nullptr,
                           nullptr)) {
                startup.lpAttributeList = list;
                startup.StartupInfo.cb = sizeof startup;
                flags = EXTENDED_STARTUPINFO_PRESENT;
            } else {
                api.remove(list);
            }
        }
    }
    const bool ok = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                   nullptr, &startup.StartupInfo, &started) != FALSE;
    if (startup.lpAttributeList) api.remove(startup.lpAttributeList);
    return ok;
}

}  // namespace

bool StartHelper(const std::wstring& program, HelperSession& session, DWORD waitLimit) {
    // The mailbox and a handle to wait for this process, inheritable only
    // for the start; the view stays this side's.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    ScopedHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0,
                                            sizeof(HelperMailbox), nullptr));
    if (!mapping) return false;
    session.mailbox.reset(MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(HelperMailbox)));
    ScopedHandle self;
    if (!session.mailbox || !DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(),
                                             self.put(), SYNCHRONIZE, TRUE, 0)) {
        return false;
    }
    HANDLE handles[2] = {mapping.get(), self.get()};
    const std::wstring commandLine = L"\"" + program + L"\" " + kHelperMailboxSwitch + L" " +
                                     std::to_wstring(reinterpret_cast<UINT_PTR>(mapping.get())) + L" " +
                                     kHelperStarterSwitch + L" " +
                                     std::to_wstring(reinterpret_cast<UINT_PTR>(self.get()));
    PROCESS_INFORMATION started{};
    if (!StartWithHandles(program, commandLine, handles, started)) return false;
    mapping.reset();
    self.reset();
    CloseHandle(started.hThread);
    session.process.reset(started.hProcess);
    // Only a window of the process just started will do: another program's
    // window of the same class is not ours to talk to.
    Search search{started.dwProcessId, nullptr};
    const DWORD begun = GetTickCount();
    for (;;) {
        EnumWindows(FindHelperWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (GetTickCount() - begun >= waitLimit) return false;
        // An early exit means the window will never come.
        if (WaitForSingleObject(started.hProcess, kHelperWaitStep) == WAIT_OBJECT_0) return false;
    }
    session.window = search.found;
    return true;
}

void RaiseWithHelper(HelperSession& session, HWND target) {
    session.raised = false;
    if (!session.window || !session.mailbox) return;
    HelperRequest& slot = Mailbox(session)->raise;
    Write(slot, target);
    DWORD_PTR reply = 0;
    const LRESULT answered =
        SendMessageTimeoutW(session.window, HelperMessage(), reinterpret_cast<WPARAM>(target), kHelperRaise,
                            SMTO_ABORTIFHUNG, kHelperReplyLimit, &reply);
    // An unanswered request must not wait for someone else's message.
    InterlockedExchange(&slot.pending, 0);
    session.raised = answered != 0 && reply != static_cast<DWORD_PTR>(kHelperNothingToUndo);
    // Without a reply it is told to go; after "nothing to undo" it goes by
    // itself.
    if (!answered) PostClose(session);
}

void UndoWithHelper(HelperSession& session, HWND target) {
    if (!session.window || !session.raised || !session.mailbox) return;
    Write(Mailbox(session)->undo, target);
    PostMessageW(session.window, HelperMessage(), reinterpret_cast<WPARAM>(target), kHelperUndo);
    PostClose(session);
    session.raised = false;
}
