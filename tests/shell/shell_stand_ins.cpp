#include "shell/shell_stand_ins.h"

#include <propkey.h>

#include <atomic>

namespace {

RecordedJumpList recorded;
StandInSettings settings;

// Reference counting shared by the stand-ins.
class Counted {
public:
    virtual ~Counted() = default;

protected:
    ULONG Add() { return ++references_; }
    ULONG Drop() {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

std::wstring ItemPath(IUnknown* object) {
    IShellItem* item = nullptr;
    if (FAILED(object->QueryInterface(IID_PPV_ARGS(&item)))) return L"<not an item>";
    wchar_t* name = nullptr;
    std::wstring path = L"<no path>";
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &name))) {
        path = name;
        CoTaskMemFree(name);
    }
    item->Release();
    return path;
}

class StandInCollection : public IObjectCollection, public Counted {
public:
    ~StandInCollection() override {
        for (IUnknown* object : objects_) object->Release();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown || id == IID_IObjectArray || id == IID_IObjectCollection) {
            *out = static_cast<IObjectCollection*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override {
        *count = static_cast<UINT>(objects_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAt(UINT index, REFIID id, void** out) override {
        if (index >= objects_.size()) return E_INVALIDARG;
        return objects_[index]->QueryInterface(id, out);
    }
    HRESULT STDMETHODCALLTYPE AddObject(IUnknown* object) override {
        if (!object) return E_POINTER;
        object->AddRef();
        objects_.push_back(object);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddFromArray(IObjectArray*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveObjectAt(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }

private:
    std::vector<IUnknown*> objects_;
};

class StandInLink : public IShellLinkW, public IPropertyStore, public Counted {
public:
    RecordedLink data;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown || id == IID_IShellLinkW) {
            *out = static_cast<IShellLinkW*>(this);
        } else if (id == IID_IPropertyStore) {
            *out = static_cast<IPropertyStore*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }

    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR path) override { return Keep(data.path, path); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR text) override { return Keep(data.arguments, text); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR text) override { return Keep(data.description, text); }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR file, int index) override {
        data.iconIndex = index;
        return Keep(data.iconFile, file);
    }
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) override {
        if (!IsEqualPropertyKey(key, PKEY_Title) || value.vt != VT_LPWSTR) return E_INVALIDARG;
        if (settings.refusedTitle == value.pwszVal) return E_FAIL;
        pendingTitle_ = value.pwszVal;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Commit() override {
        data.title = pendingTitle_;
        return S_OK;
    }

    // Not used by the program.
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR, int, WIN32_FIND_DATAW*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR, int, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Resolve(HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD, PROPERTYKEY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY, PROPVARIANT*) override { return E_NOTIMPL; }

private:
    static HRESULT Keep(std::wstring& field, LPCWSTR text) {
        if (!text) return E_POINTER;
        field = text;
        return S_OK;
    }
    std::wstring pendingTitle_;
};

class StandInList : public ICustomDestinationList, public Counted {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown || id == IID_ICustomDestinationList) {
            *out = static_cast<ICustomDestinationList*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }

    HRESULT STDMETHODCALLTYPE SetAppID(LPCWSTR id) override {
        recorded.appId = id;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BeginList(UINT* slots, REFIID id, void** removed) override {
        recorded.begun = true;
        *slots = settings.slots;
        auto* collection = new StandInCollection();
        for (const std::wstring& path : settings.removedPaths) {
            IShellItem* item = nullptr;
            if (SUCCEEDED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item)))) {
                collection->AddObject(item);
                item->Release();
            }
        }
        const HRESULT result = collection->QueryInterface(id, removed);
        collection->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE AppendCategory(LPCWSTR name, IObjectArray* items) override {
        if (settings.refuseCategory) return E_ACCESSDENIED;
        recorded.categoryName = name;
        UINT count = 0;
        items->GetCount(&count);
        for (UINT i = 0; i < count; ++i) {
            IUnknown* object = nullptr;
            if (SUCCEEDED(items->GetAt(i, IID_PPV_ARGS(&object)))) {
                recorded.categoryPaths.push_back(ItemPath(object));
                object->Release();
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddUserTasks(IObjectArray* tasks) override {
        UINT count = 0;
        tasks->GetCount(&count);
        for (UINT i = 0; i < count; ++i) {
            IShellLinkW* object = nullptr;
            if (FAILED(tasks->GetAt(i, IID_PPV_ARGS(&object)))) continue;
            recorded.tasks.push_back(static_cast<StandInLink*>(object)->data);
            object->Release();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CommitList() override {
        recorded.committed = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteList(LPCWSTR id) override {
        recorded.deletedAppId = id;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AbortList() override {
        recorded.aborted = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AppendKnownCategory(KNOWNDESTCATEGORY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRemovedDestinations(REFIID, void**) override { return E_NOTIMPL; }
};

template <typename Interface, typename Object>
HRESULT Make(Interface** out) {
    *out = new Object();
    return S_OK;
}

}  // namespace

RecordedJumpList& Recorded() { return recorded; }
StandInSettings& StandIns() { return settings; }

JumpListShell RecordingShell() {
    JumpListShell shell = SystemJumpListShell();
    shell.createDestinationList = &Make<ICustomDestinationList, StandInList>;
    shell.createObjectCollection = &Make<IObjectCollection, StandInCollection>;
    shell.createShellLink = &Make<IShellLinkW, StandInLink>;
    return shell;
}
