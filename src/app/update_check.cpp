#include "app/update_check.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <new>

#include "app/app_state.h"
#include "app/utf.h"
#include "app/version_compare.h"
#include "base/user_prompt.h"
#include "config/settings_store.h"
#include "upload/http_transport.h"

namespace {

constexpr const wchar_t* kCaption = L"vantorel liftorn";

bool ShellStart(const std::wstring& program, const std::wstring& parameters,
                const std::wstring& directory) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(),
                                           directory.c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

UpdaterLauncher launcher = &ShellStart;

// Frees the reply buffer whichever way the check ends.
struct ReplyReset {
    ~ReplyReset() {
        delete App().updateReply;
        App().updateReply = nullptr;
    }
};

bool FileExistsW(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Asks the product site; the received text when the transfer worked and
// brought something, else empty.
std::string FetchLatestVersion() {
    const std::string url = Settings().GetAdvancedNarrow(L"adv_latest_version_uri");
    CURL* curl = OpenRequest(url.c_str());
    if (!curl) return std::string();
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendUpdateReply);
    const CURLcode result = PerformTransfer(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK || !App().updateReply) return std::string();
    return *App().updateReply;
}

}  // namespace

UpdaterLauncher SetUpdaterLauncher(UpdaterLauncher replacement) {
    const UpdaterLauncher previous = launcher;
    launcher = replacement ? replacement : &ShellStart;
    return previous;
}

size_t AppendUpdateReply(char* data, size_t size, size_t count, void*) {
    const size_t n = size * count;
    if (n == 0) return 0;
    std::string*& reply = App().updateReply;
    const size_t held = reply ? reply->size() : 0;
    if (n > kVersionReplyLimitBytes - held) return 0;  // fails the transfer
    try {
        if (!reply) reply = new std::string();
        reply->append(data, n);
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
    return launcher(copy, commandLine, programFolder);
}

bool CheckForUpdate(const std::wstring& commandLine) {
    ReplyReset reset;
    delete App().updateReply;
    App().updateReply = nullptr;

    bool carryOn = true;
    const std::string reply = FetchLatestVersion();
    if (!reply.empty()) {
        const std::wstring version = Utf8ToWide(reply.c_str());  // a NUL byte ends the text
        if (!version.empty() && IsNewerVersion(version)) {
            const std::wstring question = L"There is a new version of vantorel liftorn (" + version +
                                          L").\nDo you wish to download the new version now?";
            // Only an explicit Yes starts anything.
            carryOn = AskUser(nullptr, question.c_str(), kCaption, MB_ICONINFORMATION | MB_YESNO) != IDYES;
        }
    }
    if (!carryOn && !StartUpdater(commandLine)) {
        AskUser(nullptr, L"There was a problem with the update process. The update will not be applied.",
                kCaption, MB_ICONERROR);
        carryOn = true;
    }
    return carryOn;
}
