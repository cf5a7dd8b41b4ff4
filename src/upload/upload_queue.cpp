#include "upload/upload_queue.h"

#include <sys/stat.h>

#include <cwchar>

#include "base/event_log.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/thread_name.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "config/settings_store.h"
#include "upload/upload_form.h"
#include "upload/zip_archive.h"

// Delivering outcomes: the completion handler may send messages to the main
// window, and the main thread may at that moment wait for the lock in an
// enqueue. So the worker reads the number of waiting jobs under the lock and
// calls the handler after releasing it. Only the one worker thread ever calls
// the handler, one job after another, so calls never overlap and come in
// job order; a job enqueued during a call may make the count it was given
// stale, which the main window's state changes already allow for.

namespace {

constexpr DWORD kIdlePollMillis = 50;
constexpr UINT kIsoLatin1CodePage = 28591;
// Temporary archives are named by the system from this: "vt_XXXX.tmp".
constexpr const wchar_t* kArchivePrefix = L"vt_";
// Larger than libcurl's 64 KB default: fewer, larger socket writes (several
// times faster in our measurements; nothing changes on the wire).
constexpr long kUploadBufferBytes = 512 * 1024;
int Ask(const std::wstring& text, UINT type) {
    return AskUser(MainWindowHandle(), text.c_str(), kProductName, type);
}

// The text after the last backslash; the whole path when there is none.
std::wstring LastComponent(const std::wstring& path) {
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The folder path without trailing backslashes, unless that would leave a
// bare drive ("C:").
std::wstring TrimFolderPath(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

// The form's file name: ISO-8859-1 bytes, other characters becoming the
// system's default character.
std::string FormFileName(const UploadJob& job) {
    std::wstring name = job.displayName;
    if (name.empty()) {
        const std::wstring::size_type slash = job.path.rfind(L'\\');
        if (slash == std::wstring::npos) return "unnamed";
        name = job.path.substr(slash + 1);
    }
    if (name.empty()) return std::string();
    const int length = WideCharToMultiByte(kIsoLatin1CodePage, 0, name.c_str(), static_cast<int>(name.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(kIsoLatin1CodePage, 0, name.c_str(), static_cast<int>(name.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

bool StatPath(const std::wstring& path, struct _stat64& info) {
    return _wstat64(path.c_str(), &info) == 0;
}

// Packs `folder` into the archive file `archive` with entry names that begin
// with the folder's own name.
bool PackFolder(const std::wstring& folder, const std::wstring& archive) {
    HZIP zip = nullptr;
    if (ZipCreateFileW(&zip, archive.c_str(), nullptr) != 0) return false;
    const int nameOffset = static_cast<int>(folder.rfind(L'\\') + 1);  // 0 when there is no backslash
    const bool added = ZipAddDirW(zip, folder.c_str(), nameOffset) == 0;
    const bool closed = ZipClose(zip) == 0;
    return added && closed;
}

const char* KindName(UploadKind kind) {
    switch (kind) {
    case UploadKind::Folder: return "folder";
    case UploadKind::Capture: return "capture";
    default: return "file";
    }
}

}  // namespace

std::uint64_t FolderSize(const std::wstring& folder) {
    const std::wstring base = (!folder.empty() && folder.back() == L'\\') ? folder : folder + L'\\';
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(FindFirstFileW((base + L"*").c_str(), &found));
    if (!search) return 0;
    std::uint64_t total = 0;
    do {
        if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction may point back up the tree; it is not followed.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) total += FolderSize(base + found.cFileName);
        } else {
            total += (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (FindNextFileW(search.get(), &found));
    return total;
}

int RemoveStaleArchives(const std::wstring& folder) {
    const std::wstring base = (!folder.empty() && folder.back() == L'\\') ? folder : folder + L'\\';
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(FindFirstFileW((base + kArchivePrefix + L"*.tmp").c_str(), &found));
    if (!search) return 0;
    int removed = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (DeleteFileW((base + found.cFileName).c_str())) ++removed;
    } while (FindNextFileW(search.get(), &found));
    return removed;
}

std::wstring JobName(const UploadJob& job) {
    if (!job.displayName.empty()) return job.displayName;
    const std::wstring last = LastComponent(job.path);
    return last.empty() ? job.path : last;
}

UploadJob::~UploadJob() {
    if (heldStream) std::fclose(heldStream);
}

UploadQueue::UploadQueue() {
    wake_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    worker_.reset(CreateThread(nullptr, 0, &UploadQueue::WorkerMain, this, 0, nullptr));
}

UploadQueue::~UploadQueue() {
    Stop(INFINITE);
}

bool UploadQueue::Stop(DWORD milliseconds) {
    stopping_ = true;  // also aborts the transfer in flight (progress callback)
    if (wake_) SetEvent(wake_.get());
    if (!worker_) return true;
    return WaitForSingleObject(worker_.get(), milliseconds) == WAIT_OBJECT_0;
}

bool UploadQueue::Append(std::unique_ptr<UploadJob> job) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        jobs_.push_back(std::move(job));
    }
    SetEvent(wake_.get());
    return true;
}

bool UploadQueue::Enqueue(const std::wstring& path, UploadKind kind, FILE* stream, const std::wstring& name,
                          bool deleteWhenUploaded) {
    auto job = std::make_unique<UploadJob>();
    job->path = path;
    job->displayName = name;
    job->deleteWhenUploaded = deleteWhenUploaded;
    job->heldStream = stream;
    job->kind = kind;
    return Append(std::move(job));
}

bool UploadQueue::EnqueueFile(const std::wstring& path, FILE* stream) {
    return Enqueue(path, UploadKind::File, stream);
}

bool UploadQueue::EnqueueCapture(const std::wstring& path, const std::wstring& name) {
    return Enqueue(path, UploadKind::Capture, nullptr, name, true);
}

bool UploadQueue::EnqueueFolder(const std::wstring& path) {
    // Only the archive made from the folder is ever deleted: the worker
    // knows when the path names that archive (the folder may have been
    // replaced by a file of the user's by the time the worker gets to it).
    return Enqueue(path, UploadKind::Folder, nullptr);
}

void UploadQueue::SetPaused(bool paused) {
    paused_ = paused;
    if (!paused) SetEvent(wake_.get());
}

bool UploadQueue::IsBusy() const { return busy_; }

std::size_t UploadQueue::QueuedCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return jobs_.size();
}

void UploadQueue::SetArchiveFolder(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(lock_);
    archiveFolder_ = folder;
}

int UploadQueue::GetProgress() const {
    if (!busy_ || !transferActive_) return -1;
    const double total = static_cast<double>(totalBytes_.load());
    if (total == 0) return -1;
    const int percent = static_cast<int>(static_cast<double>(sentBytes_.load()) * 100.0 / total);
    if (percent < 0) return -1;
    return percent > 100 ? 100 : percent;
}

void UploadQueue::CancelCurrent() { cancel_ = true; }

void UploadQueue::SetCompletionHandler(UploadCompletionHandler handler) { onComplete_ = handler; }

DWORD WINAPI UploadQueue::WorkerMain(void* queue) {
    auto* self = static_cast<UploadQueue*>(queue);
    NameThisThread("worker");
    while (!self->stopping_) {
        std::unique_ptr<UploadJob> job = self->TakeNextJob();
        if (!job) {
            // Looks again every 50 ms, or at once when a job arrives.
            WaitForSingleObject(self->wake_.get(), kIdlePollMillis);
            continue;
        }
        self->RunJob(*job);
    }
    return 0;
}

std::unique_ptr<UploadJob> UploadQueue::TakeNextJob() {
    std::lock_guard<std::mutex> hold(lock_);
    if (jobs_.empty() || paused_) {
        busy_ = false;
        return nullptr;
    }
    busy_ = true;
    // A cancel pressed between jobs is for none of them.
    cancel_ = false;
    std::unique_ptr<UploadJob> job = std::move(jobs_.front());
    jobs_.pop_front();
    return job;
}

bool UploadQueue::Deliver(const UploadJob& job, std::string reply, bool success) {
    if (success) record_.result = "sent";
    const auto elapsed = std::chrono::steady_clock::now() - record_.started;
    const long long millis = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    // Retries come with automatic retrying; until then every job has one attempt.
    LogEvent("upload end", {{"name", LogText(JobName(job))},
                            {"size", LogNumber(static_cast<long long>(record_.size))},
                            {"duration_ms", LogNumber(millis)},
                            {"result", record_.result},
                            {"http", LogNumber(record_.httpStatus)},
                            {"retries", "0"},
                            {"reason", record_.reason}});
    const UploadCompletionHandler handler = onComplete_;
    if (!handler) return success;
    JobOutcome outcome;
    outcome.job = &job;
    outcome.reply = std::move(reply);
    outcome.remaining = QueuedCount();
    outcome.success = success;
    return handler(std::move(outcome));
}

void UploadQueue::RunJob(UploadJob& job) {
    record_ = JobRecord{};
    record_.started = std::chrono::steady_clock::now();
    LogEvent("upload start", {{"name", LogText(JobName(job))}, {"kind", KindName(job.kind)}});
    struct _stat64 info;
    if (!StatPath(job.path, info)) {
        record_.reason = "the file cannot be found";
        Deliver(job, std::string(), false);
        return;
    }
    std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    record_.size = size;
    bool declined = false;
    const bool isFolder = (info.st_mode & _S_IFMT) == _S_IFDIR;
    if (isFolder && !PrepareFolder(job, size, declined)) return;
    record_.size = size;
    const bool ownArchive = isFolder && !declined;
    if (cancel_ || stopping_) {
        // Cancelled while the folder was packed: nothing is sent.
        record_.result = "cancelled";
        if (ownArchive) DeleteFileW(job.path.c_str());
        Deliver(job, std::string(), false);
        return;
    }
    Transfer(job, size, declined, ownArchive);
}

// Replaces a folder job's path by a ZIP archive of the folder. False when the
// job has ended (its failure already delivered); `declined` when the user
// chose not to send an oversized folder.
bool UploadQueue::PrepareFolder(UploadJob& job, std::uint64_t& size, bool& declined) {
    const std::wstring folder = TrimFolderPath(job.path);
    const std::wstring folderName = LastComponent(folder);
    if (FolderSize(folder) > UploadLimitBytes) {
        const std::wstring question =
            L"The folder '" + folderName +
            L"' is greater than the allowed size (50MB).\nIf the compressed size of the directory is still "
            L"greater than the allowed size, the upload will fail.\n\nDo you wish to continue?";
        if (Ask(question, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
            declined = true;
            record_.result = "declined";
            return true;
        }
    }

    std::wstring archiveFolder;
    {
        std::lock_guard<std::mutex> hold(lock_);
        archiveFolder = archiveFolder_;
    }
    wchar_t archive[MAX_PATH];
    if (!GetTempFileNameW(archiveFolder.c_str(), kArchivePrefix, 0, archive)) {
        record_.reason = "no temporary file for the archive";
        Deliver(job, std::string(), false);
        return false;
    }
    struct _stat64 info;
    if (!PackFolder(folder, archive) || !StatPath(archive, info)) {
        DeleteFileW(archive);  // nothing else will ever use it
        record_.reason = "the folder could not be packed";
        Deliver(job, std::string(), false);
        return false;
    }
    job.displayName = folderName + L".zip";
    job.path = archive;  // ours: deleted after the attempt, whatever came of it
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

// `ownArchive`: the job's path is a temporary archive made for it.
void UploadQueue::Transfer(UploadJob& job, std::uint64_t size, bool declined, bool ownArchive) {
    const std::string uploadUrl = Settings().GetAdvancedNarrow(L"adv_api_upload_uri");
    CURL* transfer = OpenRequest(uploadUrl.c_str(), TimeLimit::LowSpeedOnly);
    if (!transfer) {
        record_.reason = "no transfer could be made";
        Deliver(job, std::string(), false);
        if (ownArchive) DeleteFileW(job.path.c_str());  // the job's own files stay
        return;
    }
    bool success = false;
    if (declined) {
        // Nothing to send; the question was the only message.
    } else if (size > UploadLimitBytes) {
        const std::wstring name = JobName(job);
        Ask(L"The file (" + name + L") is too big to upload. The limit is 50MB", MB_OK | MB_ICONERROR);
        record_.result = "refused";
        record_.reason = "larger than the limit";
    } else {
        success = Perform(transfer, job, size);
    }

    const bool uploaded = Deliver(job, std::string(reply_.text()), success);
    // Never a folder: only the archive made here, or a capture's own file
    // once the service has it.
    if (ownArchive || (job.deleteWhenUploaded && uploaded)) DeleteFileW(job.path.c_str());

    transferActive_ = false;
    curl_easy_cleanup(transfer);
    reply_.Release();
}

// Sends the file of `job` as the upload form; true when libcurl reports no
// error (an HTTP status of 400 or above is an error).
bool UploadQueue::Perform(CURL* transfer, UploadJob& job, std::uint64_t size) {
    const std::string fileName = FormFileName(job);
    FILE* file = _wfopen(job.path.c_str(), L"rb");
    if (!file) {
        record_.reason = "the file cannot be opened";
        return false;
    }
    if (job.heldStream) {
        std::fclose(job.heldStream);
        job.heldStream = nullptr;
    }
    PromisedFileStream stream;
    stream.file = file;
    stream.size = static_cast<curl_off_t>(size);
    curl_mime* form = NewUploadForm(transfer, &stream, fileName);
    if (!form) {
        std::fclose(file);
        return false;
    }

    const UploadAccountSource accountSource = accountSource_;
    const std::string account = accountSource ? accountSource() : std::string();
    if (!account.empty()) {
        SetAccountAuthentication(transfer, account);
    }
    curl_slist* headers = NewExpectHeaderList();
    curl_easy_setopt(transfer, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(transfer, CURLOPT_MIMEPOST, form);
    curl_easy_setopt(transfer, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
    curl_easy_setopt(transfer, CURLOPT_WRITEFUNCTION, &AppendReplyChunk);
    curl_easy_setopt(transfer, CURLOPT_WRITEDATA, &reply_);
    curl_easy_setopt(transfer, CURLOPT_XFERINFOFUNCTION, &UploadQueue::OnTransferProgress);
    curl_easy_setopt(transfer, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(transfer, CURLOPT_NOPROGRESS, 0L);

    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(transfer, CURLOPT_ERRORBUFFER, error);

    sentBytes_ = 0;
    totalBytes_ = 0;
    transferActive_ = true;
    const CURLcode result = PerformTransfer(transfer);
    curl_easy_getinfo(transfer, CURLINFO_RESPONSE_CODE, &record_.httpStatus);
    curl_easy_setopt(transfer, CURLOPT_ERRORBUFFER, nullptr);
    if (result == CURLE_ABORTED_BY_CALLBACK && (cancel_ || stopping_)) {
        record_.result = "cancelled";
    } else if (result != CURLE_OK) {
        record_.reason = error[0] ? error : curl_easy_strerror(result);
    }

    // The handle still points at the form and the list until it is released.
    curl_easy_setopt(transfer, CURLOPT_MIMEPOST, nullptr);
    curl_easy_setopt(transfer, CURLOPT_HTTPHEADER, nullptr);
    curl_mime_free(form);
    curl_slist_free_all(headers);
    std::fclose(file);
    return result == CURLE_OK;
}

int UploadQueue::OnTransferProgress(void* queue, curl_off_t, curl_off_t, curl_off_t uploadTotal,
                                    curl_off_t uploaded) {
    auto* self = static_cast<UploadQueue*>(queue);
    self->totalBytes_ = uploadTotal;
    self->sentBytes_ = uploaded;
    return (self->cancel_ || self->stopping_) ? 1 : 0;
}
