#include "app/pending_uploads.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/failed_uploads.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "history/history_row.h"
#include "history/history_store.h"

namespace {

// The path Windows would resolve, so that a restart (whatever its current
// folder) finds the same file.
std::wstring FullPath(const std::wstring& path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length) return path;
    full.resize(written);
    return full;
}

// `path` as a single name directly inside `folder` (both compared without
// case), or empty.
std::wstring NameInside(const std::wstring& folder, const std::wstring& path) {
    if (path.size() <= folder.size() || _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) != 0) return {};
    const std::wstring name = path.substr(folder.size());
    return name.find(L'\\') == std::wstring::npos ? name : std::wstring();
}

UploadKind KindOf(int stored) {
    switch (stored) {
    case static_cast<int>(UploadKind::Folder):
        return UploadKind::Folder;
    case static_cast<int>(UploadKind::Capture):
        return UploadKind::Capture;
    default:
        return UploadKind::File;  // the kind only chooses a statistics address
    }
}

// Said once the window shows, like the history's own trouble.
std::wstring pendingReport;

void CALLBACK ReportPendingTrouble(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    AskUser(MainWindowHandle(), pendingReport.c_str(), kProductName, MB_ICONWARNING | MB_OK);
}

void ReportOnce(std::wstring text) {
    pendingReport = std::move(text);
    SetTimer(nullptr, 0, 0, ReportPendingTrouble);
}

}  // namespace

bool PendingRowFromJob(const UploadJob& job, const std::string& dataFolder, PendingRow& row) {
    const std::wstring data = Utf8ToWide(dataFolder);
    const std::wstring path = FullPath(job.path);
    row = PendingRow();
    row.kind = static_cast<int>(job.kind);
    const std::wstring ownName = job.deleteWhenUploaded ? NameInside(data + L"captures\\", path) : std::wstring();
    // An own file anywhere else is written down as the user's: after a
    // restart it is sent but never deleted.
    row.ownFile = !ownName.empty();
    row.path = WideToUtf8(row.ownFile ? ownName : path);
    row.name = WideToUtf8(job.displayName);
    if (!job.archive.empty()) row.archive = WideToUtf8(NameInside(data, FullPath(job.archive)));
    row.failedAttempts = job.failedAttempts;
    row.failure = static_cast<int>(job.failure);
    row.status = job.status;
    // Only what a restart would take up again is written down.
    StoredPendingRow stored;
    stored.id = 1;
    stored.kind = row.kind;
    stored.path = row.path;
    stored.name = row.name;
    stored.ownFile = row.ownFile ? 1 : 0;
    stored.archive = row.archive;
    stored.failedAttempts = row.failedAttempts;
    stored.failure = row.failure;
    stored.status = row.status;
    PendingRow checked;
    return CheckPendingRow(stored, checked);
}

std::unique_ptr<UploadJob> JobFromPendingRow(const PendingRow& row, const std::string& dataFolder) {
    auto job = std::make_unique<UploadJob>();
    job->id = row.id;
    job->kind = KindOf(row.kind);
    job->path = Utf8ToWide(PendingFilePath(dataFolder, row));
    job->displayName = Utf8ToWide(row.name);
    job->deleteWhenUploaded = row.ownFile;
    job->archive = Utf8ToWide(PendingArchivePath(dataFolder, row));
    job->failedAttempts = row.failedAttempts;
    job->failure = static_cast<UploadFailure>(row.failure);
    job->status = row.status;
    return job;
}

PendingJournal::PendingJournal(PendingStore& store, std::string dataFolder)
    : store_(store), dataFolder_(std::move(dataFolder)) {}

bool PendingJournal::Add(const std::vector<UploadJob*>& jobs) {
    std::vector<PendingRow> rows(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (!PendingRowFromJob(*jobs[i], dataFolder_, rows[i])) return false;
    }
    if (!store_.Add(rows)) return false;
    for (std::size_t i = 0; i < jobs.size(); ++i) jobs[i]->id = rows[i].id;
    return true;
}

void PendingJournal::SetArchive(long long id, const std::wstring& archive, const std::wstring& name) {
    const std::string file =
        archive.empty() ? std::string() : WideToUtf8(NameInside(Utf8ToWide(dataFolder_), FullPath(archive)));
    // An archive outside the data folder is not written down; a restart
    // packs the folder again.
    store_.SetArchive(id, IsArchiveName(file) ? file : std::string(), WideToUtf8(name));
}

void PendingJournal::SetWaiting(long long id, int failedAttempts) { store_.SetWaiting(id, failedAttempts); }

void PendingJournal::SetFailed(long long id, UploadFailure failure, long status, int failedAttempts) {
    store_.SetFailed(id, static_cast<int>(failure), status, failedAttempts);
}

void PendingJournal::Remove(long long id) { store_.Remove(id); }

RestoredUploads RestorePendingUploads(UploadQueue& queue, PendingStore& store,
                                      std::unique_ptr<PendingJournal>& journal) {
    RestoredUploads restored;
    const std::string& dataFolder = App().dataFolder;
    if (!store.Open()) {
        // Without a history database at all, its own message says enough.
        if (App().historyDatabase && App().historyDatabase->IsOpen()) {
            ReportOnce(L"vantorel liftorn could not open its list of waiting uploads (history.db). Uploads "
                       L"still work, but those still waiting when the program ends will not be kept.");
        }
        return restored;
    }
    restored.opened = true;
    std::vector<PendingRow> rows;
    const bool whole = store.Load(rows, restored.refused);
    std::vector<std::unique_ptr<UploadJob>> jobs;
    for (const PendingRow& row : rows) {
        std::unique_ptr<UploadJob> job = JobFromPendingRow(row, dataFolder);
        if (!row.archive.empty()) restored.archives.push_back(Utf8ToWide(row.archive));
        if (job->failure != UploadFailure::None) {
            AddFailedEntry(MakeFailedRow(job->id, JobName(*job), job->failure, job->status), false);
            ++restored.failed;
        } else {
            ++restored.waiting;
        }
        jobs.push_back(std::move(job));
    }
    journal = std::make_unique<PendingJournal>(store, dataFolder);
    queue.SetJournal(journal.get());
    queue.Restore(std::move(jobs));
    if (restored.refused > 0 || !whole) {
        ReportOnce(L"Some uploads waiting from an earlier run could not be read (history.db is damaged or was "
                   L"changed). They were left out; files you gave were not touched. New uploads go on as usual.");
    }
    return restored;
}
