#include "app/recent_uploads.h"

#include "app/app_state.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/utf.h"
#include "base/windows_version.h"
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

namespace {

// A jump list shows a few dozen entries at most; the newest shortcuts up to
// this many leave room for the many a user may have removed from it, without
// walking a history of a hundred thousand uploads on every rebuild.
constexpr std::size_t kMostOffered = 256;

}  // namespace

std::vector<std::wstring> RecentShortcutPaths() {
    std::vector<std::wstring> paths;
    const HistoryStore* store = App().historyDatabase;
    if (!store) return paths;
    const std::wstring folder = Utf8ToWide(App().dataFolder) + L"urls\\";
    for (const std::string& name : store->ShortcutsNewestFirst(0, kMostOffered)) {
        const std::wstring path = folder + Utf8ToWide(name);
        if (IsOwnShortcutFile(path, folder)) paths.push_back(path);
    }
    return paths;
}

void RebuildJumpListFromHistory() { RebuildJumpList(RecentShortcutPaths()); }

UINT UpdateJumpListMessage() {
    static const UINT message = RegisterWindowMessageW(kUpdateJumpListMessageName);
    return message;
}

void RequestJumpListRebuild() {
    if (!IsWindows7OrLater()) return;
    if (HWND main = MainWindowHandle()) PostMessageW(main, UpdateJumpListMessage(), 0, 0);
}

bool OnUpdateJumpList(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    RebuildJumpListFromHistory();
    *result = 0;
    return true;
}
