#include "shell/jump_list.h"

#include <propkey.h>
#include <propvarutil.h>

#include "base/product.h"
#include "base/scoped_win.h"
#include "base/windows_version.h"
#include "config/settings_store.h"

namespace {

struct Task {
    const wchar_t* arguments;
    const wchar_t* title;
    const wchar_t* description;
    bool ownIcon;  // the icon is in our own file, else in shell32.dll
    int iconIndex;
};

// The screenshot and window-grab icons are the 5th and 6th icon groups of
// the executable (ids 120 and 121).
constexpr Task kTasks[] = {
    {L"/screenshot", L"Upload Screenshot", L"Take a custom drawn screenshot and upload it", true, 4},
    {L"/windowgrab", L"Upload Window Grab", L"Take a window grab and upload it", true, 5},
    {L"/file", L"Upload File", L"Select a file to upload", false, 68},
    {L"/folder", L"Upload Folder", L"Select a folder to zip up and upload ", false, 45},
};

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

HRESULT SystemDestinationList(ICustomDestinationList** list) {
    return CoCreateInstance(CLSID_DestinationList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(list));
}

HRESULT SystemObjectCollection(IObjectCollection** collection) {
    return CoCreateInstance(CLSID_EnumerableObjectCollection, nullptr, CLSCTX_INPROC_SERVER,
                            IID_PPV_ARGS(collection));
}

HRESULT SystemShellLink(IShellLinkW** link) {
    return CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(link));
}

using ItemFromParsingName = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);

// Looked up at run time: older shells do not have it.
ItemFromParsingName ParsingNameFunction() {
    static const ItemFromParsingName function = [] {
        HMODULE shell = LoadLibraryW(L"shell32.dll");  // stays loaded for the process's life
        return shell ? reinterpret_cast<ItemFromParsingName>(
                           reinterpret_cast<void*>(GetProcAddress(shell, "SHCreateItemFromParsingName")))
                     : nullptr;
    }();
    return function;
}

HRESULT SystemItemFromPath(const wchar_t* path, IShellItem** item) {
    return ParsingNameFunction()(path, nullptr, IID_IShellItem, reinterpret_cast<void**>(item));
}

bool WasRemoved(IShellItem* item, IObjectArray* removed) {
    UINT count = 0;
    if (!removed || FAILED(removed->GetCount(&count))) return false;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IShellItem> other;
        if (FAILED(removed->GetAt(i, IID_PPV_ARGS(other.put())))) continue;
        int order = 1;
        if (item->Compare(other.get(), SICHINT_CANONICAL, &order) == S_OK && order == 0) return true;
    }
    return false;
}

// Adds the newest uploads to `collection`, at most `slots` of them; the
// number added.
UINT CollectRecentUploads(const std::vector<std::wstring>& paths, UINT slots, IObjectArray* removed,
                          IObjectCollection* collection, const JumpListShell& shell) {
    UINT added = 0;
    for (const std::wstring& path : paths) {
        if (added >= slots) break;
        if (path.empty()) continue;
        ComPtr<IShellItem> item;
        if (FAILED(shell.itemFromPath(path.c_str(), item.put())) || !item) continue;
        if (WasRemoved(item.get(), removed)) {
            // The user took it off the list: it is not offered again.
            DeleteFileW(path.c_str());
            continue;
        }
        if (SUCCEEDED(collection->AddObject(item.get()))) ++added;
    }
    return added;
}

bool SetTitle(IShellLinkW* link, const wchar_t* title) {
    ComPtr<IPropertyStore> properties;
    if (FAILED(link->QueryInterface(IID_PPV_ARGS(properties.put())))) return false;
    PROPVARIANT value;
    if (FAILED(InitPropVariantFromString(title, &value))) return false;
    const bool set = SUCCEEDED(properties->SetValue(PKEY_Title, value)) && SUCCEEDED(properties->Commit());
    PropVariantClear(&value);
    return set;
}

// The four tasks, each only when every one of its steps worked.
void CollectTasks(IObjectCollection* collection, const JumpListShell& shell) {
    const std::wstring program = ProgramPath();
    for (const Task& task : kTasks) {
        ComPtr<IShellLinkW> link;
        if (FAILED(shell.createShellLink(link.put())) || !link) continue;
        const wchar_t* iconFile = task.ownIcon ? program.c_str() : L"shell32.dll";
        if (SUCCEEDED(link->SetPath(program.c_str())) && SUCCEEDED(link->SetDescription(task.description)) &&
            SUCCEEDED(link->SetIconLocation(iconFile, task.iconIndex)) &&
            SUCCEEDED(link->SetArguments(task.arguments)) && SetTitle(link.get(), task.title)) {
            collection->AddObject(link.get());
        }
    }
}

}  // namespace

JumpListShell SystemJumpListShell() {
    JumpListShell shell;
    shell.createDestinationList = &SystemDestinationList;
    shell.createObjectCollection = &SystemObjectCollection;
    shell.createShellLink = &SystemShellLink;
    if (ParsingNameFunction()) shell.itemFromPath = &SystemItemFromPath;
    return shell;
}

JumpListResult RebuildJumpList(const std::vector<std::wstring>& shortcutPaths, const JumpListShell& shell) {
    if (!IsWindows7OrLater() || !shell.itemFromPath) return JumpListResult::Skipped;
    ComPtr<ICustomDestinationList> list;
    if (FAILED(shell.createDestinationList(list.put())) || !list) return JumpListResult::Skipped;

    if (!Settings().GetBool(L"EnableJumpLists")) {
        return SUCCEEDED(list->DeleteList(kAppUserModelId)) ? JumpListResult::Deleted : JumpListResult::Failed;
    }

    UINT slots = 0;
    ComPtr<IObjectArray> removed;
    if (FAILED(list->SetAppID(kAppUserModelId)) ||
        FAILED(list->BeginList(&slots, IID_PPV_ARGS(removed.put())))) {
        return JumpListResult::Failed;
    }

    ComPtr<IObjectCollection> recent;
    if (FAILED(shell.createObjectCollection(recent.put())) || !recent) {
        list->AbortList();
        return JumpListResult::Failed;
    }
    if (CollectRecentUploads(shortcutPaths, slots, removed.get(), recent.get(), shell) > 0) {
        ComPtr<IObjectArray> items;
        if (FAILED(recent->QueryInterface(IID_PPV_ARGS(items.put()))) ||
            FAILED(list->AppendCategory(L"Recent Uploads", items.get()))) {
            list->AbortList();
            return JumpListResult::Failed;
        }
    }

    ComPtr<IObjectCollection> tasks;
    if (FAILED(shell.createObjectCollection(tasks.put())) || !tasks) {
        list->AbortList();
        return JumpListResult::Failed;
    }
    CollectTasks(tasks.get(), shell);
    ComPtr<IObjectArray> taskArray;
    if (FAILED(tasks->QueryInterface(IID_PPV_ARGS(taskArray.put()))) ||
        FAILED(list->AddUserTasks(taskArray.get()))) {
        list->AbortList();
        return JumpListResult::Failed;
    }
    return SUCCEEDED(list->CommitList()) ? JumpListResult::Built : JumpListResult::Failed;
}
