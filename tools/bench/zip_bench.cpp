// Packs one folder the way the upload worker does and prints the time it took:
//   zip_bench.exe FOLDER ARCHIVE
// tools/bench-zip.sh runs it against Info-ZIP's zip on the same tree.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "upload/zip_archive.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: zip_bench FOLDER ARCHIVE\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const int offset = static_cast<int>(folder.rfind(L'\\') + 1);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HZIP zip = nullptr;
    int result = ZipCreateFileW(&zip, argv[2], nullptr);
    if (result == kZipOk) {
        const int added = ZipAddDirW(zip, folder.c_str(), offset);
        const int closed = ZipClose(zip);
        result = added != kZipOk ? added : closed;
    }
    QueryPerformanceCounter(&end);
    const double seconds =
        static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("result %d seconds %.3f\n", result, seconds);
    return result == kZipOk ? 0 : 1;
}
