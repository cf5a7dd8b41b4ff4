#include "app/complete_upload.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include "app/app_state.h"
#include "app/history_list.h"
#include "app/recent_uploads.h"
#include "base/event_log.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/utf.h"
#include "base/window_task.h"
#include "base/windows_version.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_drop_area.h"
#include "history/history_store.h"
#include "shell/toast.h"
#include "upload/completion_texts.h"
#include "upload/copy_url.h"
#include "upload/http_transport.h"
#include "upload/json_reader.h"
#include "upload/statistics_ping.h"

namespace {

std::atomic<HistoryRecorder> historyRecorder{nullptr};

// Widgets belong to the main window's thread: the worker posts what they
// should do there and never waits for it.
void OnMainThread(WindowTask task) {
    PostToWindowThread(MainWindowHandle(), std::move(task));
}

// The program's own recording: a row in the history database, which joins
// the list on the main thread. The list keeps the user's place: the new
// entry slides in at the top only while the top is in view.
bool RecordInHistoryStore(const CompletedUpload& upload, std::wstring& itemUrl) {
    HistoryStore* store = App().historyDatabase;
    if (!store) return false;
    const std::wstring urlFile = Utf8ToWide(upload.urlFile);
    HistoryRowPtr row = store->Insert(upload.thumbName, Utf8ToWide(upload.fileName), upload.sizeText,
                                      upload.url, urlFile.empty() ? nullptr : urlFile.c_str(),
                                      upload.pendingJob);
    if (!row) return false;
    itemUrl = WidenLatin1(row->url);
    OnMainThread([row] { AddToHistoryList(row); });
    return true;
}

// Another upload's shortcut: its file is there, or its row names it (the
// file may be gone from the jump list and come back).
bool ShortcutNameInUse(const std::string& name) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(App().dataFolder + "urls\\" + name).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return true;
    HistoryStore* store = App().historyDatabase;
    return store && store->NamesShortcut(name);
}

void SetDropAreaState(int state) {
    OnMainThread([state] {
        if (App().dropArea) App().dropArea->SetState(state);
    });
}

std::uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Binary, so the bytes are exactly the ones composed; a file that cannot be
// created is skipped.
void WriteShortcutFile(const std::wstring& file, const std::string& path) {
    FILE* stream = _wfopen(file.c_str(), L"wb");
    if (!stream) return;
    const std::string bytes = InternetShortcutBytes(path);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fclose(stream);
}

// The reply's "path" and "icon" when it is an object holding both as text.
bool ReadReply(const std::string& reply, std::string& path, std::string& icon) {
    std::unique_ptr<JsonNode, void (*)(JsonNode*)> root(ParseJson(reply.c_str()), &DestroyJson);
    if (!IsObject(root.get())) return false;
    const JsonMembers members = AsObject(root.get());
    const auto pathMember = members.find(L"path");
    const auto iconMember = members.find(L"icon");
    if (pathMember == members.end() || iconMember == members.end()) return false;
    if (!IsString(pathMember->second) || !IsString(iconMember->second)) return false;
    path = AsString(pathMember->second);
    icon = AsString(iconMember->second);
    return true;
}

// Everything a judged-good reply leads to; the address the new history
// item holds, or empty when nothing was recorded.
std::wstring RecordSuccess(const UploadJob& job, const std::string& path, const CompletionTexts& texts,
                           std::size_t remaining) {
    const std::wstring dataFolder = Utf8ToWide(App().dataFolder);
    const std::wstring name = JobName(job);

    const std::wstring thumbFile = dataFolder + L"thumbs\\" + texts.thumbName;
    DownloadToFile(texts.thumbUrl.c_str(), texts.iconUrl.c_str(), WideToUtf8(thumbFile).c_str());

    // Each upload gets a shortcut of its own: two uploads may share a prefix
    // and a name, and deleting one must not take the other's file.
    const std::wstring shortcutName = UniqueShortcutFileName(
        texts.prefix, name,
        [](const std::wstring& candidate) { return ShortcutNameInUse(WideToUtf8(candidate)); });
    if (IsWindows7OrLater() && !shortcutName.empty()) {
        WriteShortcutFile(dataFolder + L"urls\\" + shortcutName, path);
    }

    CompletedUpload upload;
    upload.thumbName = WideToUtf8(texts.thumbName);
    upload.fileName = WideToUtf8(name);
    upload.sizeText = FormatSizeText(FileSize(job.SentPath()));  // a folder's archive still exists here
    upload.url = texts.url;
    upload.urlFile = WideToUtf8(shortcutName);
    upload.pendingJob = job.id;

    std::wstring itemUrl;
    const HistoryRecorder recorder = historyRecorder.load();
    if (!(recorder ? recorder : &RecordInHistoryStore)(upload, itemUrl)) {
        itemUrl.clear();
        // Nothing will ever name these files: do not leave them behind.
        HistoryStore* store = App().historyDatabase;
        if (!store || !store->NamesThumb(upload.thumbName)) DeleteFileW(thumbFile.c_str());
        if (!shortcutName.empty()) DeleteFileW((dataFolder + L"urls\\" + shortcutName).c_str());
    }

    if (remaining == 0) SetDropAreaState(kDropNormal);
    RequestJumpListRebuild();
    if (!itemUrl.empty() && Settings().GetBool(L"AutocopyURL")) CopyUrl(itemUrl.c_str(), 0);
    PingStatistics(job.kind);
    return itemUrl;
}

}  // namespace

HistoryRecorder SetHistoryRecorder(HistoryRecorder recorder) {
    return historyRecorder.exchange(recorder);
}

bool CompleteUpload(JobOutcome outcome) {
    if (!outcome.job) return false;
    const UploadJob& job = *outcome.job;
    bool success = false;
    std::wstring itemUrl;
    if (outcome.success) {
        std::string path;
        std::string icon;
        CompletionTexts texts;
        if (ReadReply(outcome.reply, path, icon) &&
            DeriveCompletionTexts(path, icon, Settings().GetAdvancedNarrow(L"adv_main_uri"), texts)) {
            success = true;
            itemUrl = RecordSuccess(job, path, texts, outcome.remaining);
        }
    }

    if (outcome.success && !success) {
        LogEvent("error", {{"what", "upload"}, {"name", LogText(JobName(job))},
                           {"reason", "the service's reply was not understood"}});
    }
    if (!success) SetDropAreaState(kDropError);
    if (outcome.remaining == 0) {
        OnMainThread([] {
            if (App().cancelButton) App().cancelButton->Show(SW_HIDE);
        });
    }
    const bool worthAToast = success || outcome.attempt == 1 || !outcome.willRetry;
    if (worthAToast && Settings().GetBool(L"ShowToastAlerts")) {
        ShowToast(App().toastInstance, success, JobName(job), itemUrl.empty() ? nullptr : itemUrl.c_str(),
                  &CopyUrlAction);
    }
    return success;
}
