#include "app/recent_uploads.h"

#include "app/app_state.h"
#include "base/product.h"
#include "base/utf.h"
#include "history/gui_history_item.h"
#include "history/history_store.h"
#include "shell/jump_list.h"

bool IsOwnShortcutFile(const std::wstring& path, const std::wstring& folder) {
    if (folder.empty() || path.size() <= folder.size() + 4) return false;
    if (CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                             static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL) {
        return false;
    }
    const std::wstring name = path.substr(folder.size());
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return false;
    return CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".url", 4, TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> RecentShortcutPaths() {
    std::vector<std::wstring> paths;
    const HistoryStore* store = App().historyDatabase;
    if (!store) return paths;
    const std::wstring folder = Utf8ToWide(App().dataFolder) + L"urls\\";
    const std::vector<GUIHistoryItem*> items = store->Items();  // oldest first
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        const std::wstring& path = (*item)->ShortcutPath();
        if (IsOwnShortcutFile(path, folder)) paths.push_back(path);
    }
    return paths;
}

void RebuildJumpListFromHistory() { RebuildJumpList(RecentShortcutPaths()); }

UINT UpdateJumpListMessage() {
    static const UINT message = RegisterWindowMessageW(kUpdateJumpListMessageName);
    return message;
}

bool OnUpdateJumpList(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    RebuildJumpListFromHistory();
    *result = 0;
    return true;
}
