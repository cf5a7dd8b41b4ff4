// How long a drop of many files takes to be written down before it is
// acknowledged: the upload queue with its journal in a fresh history.db, the
// files queued together (one transaction) and, for scale, one by one.
//   queue_bench.exe FOLDER [FILES]
// tools/bench-queue.sh runs it. Prints figures; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/pending_uploads.h"
#include "base/utf.h"
#include "history/history_store.h"
#include "history/pending_store.h"
#include "upload/upload_queue.h"

namespace {

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A fresh database in `folder`, a paused queue with its journal.
struct Bench {
    explicit Bench(const std::string& folder) {
        DeleteFileW(Utf8ToWide(folder + "history.db").c_str());
        history.Open(folder + "history.db");
        pending = std::make_unique<PendingStore>(history);
        pending->Open();
        journal = std::make_unique<PendingJournal>(*pending, folder);
        queue.SetPaused(true);
        queue.SetJournal(journal.get());
    }
    HistoryStore history;
    std::unique_ptr<PendingStore> pending;
    std::unique_ptr<PendingJournal> journal;
    UploadQueue queue;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: queue_bench FOLDER [FILES]\n");
        return 2;
    }
    std::string folder = WideToUtf8(argv[1]);
    if (folder.back() != '\\') folder += '\\';
    App().dataFolder = folder;
    const int files = argc > 2 ? std::max(1, _wtoi(argv[2])) : 1000;
    std::vector<std::wstring> paths;
    for (int i = 0; i < files; ++i) {
        paths.push_back(Utf8ToWide(folder) + L"dropped file " + std::to_wstring(i) + L".png");
    }

    LARGE_INTEGER start, end;
    {
        Bench bench(folder);
        std::vector<NewUpload> uploads;
        for (const auto& path : paths) uploads.push_back(NewUpload{path, {}, UploadKind::File, false, nullptr});
        QueryPerformanceCounter(&start);
        const bool queued = bench.queue.Enqueue(std::move(uploads));
        QueryPerformanceCounter(&end);
        std::printf("%d files dropped at once, written down in one transaction: %.1f ms (%s, %zu rows)\n", files,
                    1000 * Seconds(start, end), queued ? "queued" : "REFUSED", bench.pending->Count());
    }
    {
        Bench bench(folder);
        QueryPerformanceCounter(&start);
        for (const auto& path : paths) bench.queue.EnqueueFile(path, nullptr);
        QueryPerformanceCounter(&end);
        std::printf("%d files queued one by one, one transaction each:      %.1f ms (%zu rows)\n", files,
                    1000 * Seconds(start, end), bench.pending->Count());
    }
    return 0;
}
