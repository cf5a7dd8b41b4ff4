#include "app/update_check.h"

#include <windows.h>

#include <cwchar>
#include <new>

#include "app/app_state.h"
#include "base/event_log.h"
#include "base/product.h"
#include "base/shell_open.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "base/version_compare.h"
#include "config/settings_store.h"
#include "upload/http_transport.h"

namespace {

bool FileExistsW(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return false;
    std::wstring folder(temp, length);
    if (folder.back() != L'\\') folder += L'\\';

    // The first free name; earlier copies may still be running.
    std::wstring copy;
    for (unsigned n = 2; n != 0; ++n) {
        wchar_t name[32];
        std::swprintf(name, 32, L"updater%x.exe", n);
        if (!FileExistsW(folder + name)) {
            copy = folder + name;
            break;
        }
    }
    if (copy.empty()) return false;

    const std::wstring programFolder = Utf8ToWide(App().programFolder);
    if (!CopyFileW((programFolder + L"iupdater.exe").c_str(), copy.c_str(), FALSE)) return false;
    return StartProgram(copy, commandLine, programFolder);
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
