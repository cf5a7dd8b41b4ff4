// Times uploads of one file through the program's own upload worker and
// prints one line per run, for tools/bench-upload.sh.
//   upload_bench.exe UPLOAD_URL FILE [RUNS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "upload/upload_queue.h"

namespace {

HANDLE delivered = nullptr;
bool lastSuccess = false;

bool OnDelivered(JobOutcome outcome) {
    lastSuccess = outcome.success;
    SetEvent(delivered);
    return outcome.success;
}

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: upload_bench UPLOAD_URL FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    DefineDefaultSettings(Settings());
    Settings().SetAdvanced(L"adv_api_upload_uri", Utf8ToWide(argv[1]));
    const std::wstring file = Utf8ToWide(argv[2]);

    delivered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    UploadQueue queue;
    queue.SetCompletionHandler(&OnDelivered);
    for (int run = 1; run <= runs; ++run) {
        const double start = Now();
        queue.EnqueueFile(file, nullptr);
        if (WaitForSingleObject(delivered, 300000) != WAIT_OBJECT_0 || !lastSuccess) {
            std::fprintf(stderr, "upload_bench: run %d failed\n", run);
            return 1;
        }
        std::printf("worker_seconds %.4f\n", Now() - start);
        std::fflush(stdout);
    }
    return 0;
}
