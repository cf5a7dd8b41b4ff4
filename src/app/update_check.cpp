#include "app/update_check.h"

#include <windows.h>

#include <new>

#include "app/app_state.h"
#include "base/event_log.h"
#include "base/product.h"
#include "base/scoped_win.h"
#include "base/shell_open.h"
#include "base/temporary_folder.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "base/version_compare.h"
#include "config/settings_store.h"
#include "upload/http_transport.h"

namespace {

constexpr const wchar_t* kUpdaterFolderPrefix = L"vantorel-liftorn-updater-";
constexpr const wchar_t* kUpdaterCopyName = L"updater2.exe";

// Asks the product site; the received text when the transfer worked and
// brought something, else empty.
std::string FetchLatestVersion() {
    const std::string url = Settings().GetAdvancedNarrow(L"adv_latest_version_uri");
    CURL* curl = OpenRequest(url.c_str());
    if (!curl) return std::string();
    std::string reply;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendUpdateReply);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    const CURLcode result = PerformTransfer(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK) return std::string();
    return reply.c_str();  // a NUL byte ends the text
}

}  // namespace

size_t AppendUpdateReply(char* data, size_t size, size_t count, void* reply) {
    const size_t n = size * count;
    if (n == 0) return 0;
    auto* text = static_cast<std::string*>(reply);
    if (n > kVersionReplyLimitBytes - text->size()) return 0;  // fails the transfer
    try {
        text->append(data, n);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return n;
}

bool StartUpdater(const std::wstring& commandLine) {
    // A folder made new here: nothing planted in the temporary folder
    // beforehand can stand in for the copy or lie beside it.
    const std::wstring folder = MakeFreshTemporaryFolder(kUpdaterFolderPrefix);
    if (folder.empty()) return false;
    const std::wstring copy = folder + kUpdaterCopyName;
    const std::wstring programFolder = Utf8ToWide(App().programFolder);
    if (!CopyFileW((programFolder + L"iupdater.exe").c_str(), copy.c_str(), TRUE)) {
        RemoveDirectoryW(folder.c_str());
        return false;
    }
    return StartProgram(copy, commandLine, programFolder);
}

void RemoveOldUpdaterCopies() {
    const std::wstring temp = TemporaryFolder();
    if (temp.empty()) return;
    WIN32_FIND_DATAW found{};
    ScopedFindHandle search(FindFirstFileW((temp + kUpdaterFolderPrefix + L"*").c_str(), &found));
    if (!search) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IsFreshFolderName(found.cFileName, kUpdaterFolderPrefix)) {
            continue;
        }
        // A copy that still runs cannot be deleted; it goes next time. A
        // folder holding anything else stays.
        const std::wstring folder = temp + found.cFileName + L"\\";
        DeleteFileW((folder + kUpdaterCopyName).c_str());
        RemoveDirectoryW(folder.c_str());
    } while (FindNextFileW(search.get(), &found));
}

bool CheckForUpdate(const std::wstring& commandLine) {
    bool carryOn = true;
    const std::wstring version = Utf8ToWide(FetchLatestVersion());
    const bool newer = !version.empty() && IsNewerVersion(version);
    LogEvent("update check", {{"latest", version.empty() ? "no answer" : LogText(version)},
                              {"newer", newer ? "yes" : "no"}});
    if (newer) {
        const std::wstring question = L"There is a new version of vantorel liftorn (" + version +
                                      L").\nDo you wish to download the new version now?";
        // Only an explicit Yes starts anything.
        carryOn = AskUser(nullptr, question.c_str(), kProductName, MB_ICONINFORMATION | MB_YESNO) != IDYES;
        LogEvent("update answer", {{"update", carryOn ? "declined" : "wanted"}});
    }
    if (!carryOn && !StartUpdater(commandLine)) {
        LogEvent("error", {{"what", "the update"}, {"reason", "the updater could not be started"}});
        AskUser(nullptr, L"There was a problem with the update process. The update will not be applied.",
                kProductName, MB_ICONERROR);
        carryOn = true;
    }
    return carryOn;
}
