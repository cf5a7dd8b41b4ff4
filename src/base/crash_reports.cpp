#include "base/crash_reports.h"

#include <windows.h>
#include <dbghelp.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/crash_text.h"
#include "base/event_log.h"
#include "base/product.h"
#include "base/scoped_win.h"
#include "base/system_library.h"
#include "base/thread_name.h"
#include "base/utf.h"
#include "base/windows_version.h"

// Everything the handler needs is ready before any crash: the folder, the
// Windows version and dbghelp's MiniDumpWriteDump. In the handler itself
// nothing is allocated until both files are written.

namespace {

// Present while a report waits to be told about.
constexpr wchar_t kNewReportMarker[] = L"new-report";

using MiniDumpWriter = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                     PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

struct CrashSetup {
    wchar_t folder[MAX_PATH] = {};
    char windows[96] = {};
    MiniDumpWriter writeDump = nullptr;
};

CrashSetup setup;
std::atomic<bool> dumpsWanted{true};
std::atomic<DWORD> reportingThread{0};

// dbghelp from the system folder only, never one planted beside us.
MiniDumpWriter LoadMiniDumpWriter() {
    return LibraryFunction<MiniDumpWriter>(SystemLibrary(L"dbghelp.dll"), "MiniDumpWriteDump");
}

HANDLE CreateReportFile(const wchar_t* stem, const wchar_t* extension) {
    wchar_t path[MAX_PATH + 64];
    std::swprintf(path, sizeof path / sizeof *path, L"%ls%ls%ls", setup.folder, stem, extension);
    return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WriteText(HANDLE file, const char* text, std::size_t length) {
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
}

// The file holding `address`, by its name only, and the offset into it.
void FindModule(unsigned long long address, char* name, std::size_t capacity, unsigned long long& offset) {
    HMODULE module = nullptr;
    name[0] = '\0';
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(address)), &module)) {
        return;
    }
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(module, path, MAX_PATH)) return;
    const wchar_t* base = wcsrchr(path, L'\\');
    base = base ? base + 1 : path;
    WideCharToMultiByte(CP_UTF8, 0, base, -1, name, static_cast<int>(capacity), nullptr, nullptr);
    name[capacity - 1] = '\0';
    offset = address - reinterpret_cast<uintptr_t>(module);
}

void WriteReport(EXCEPTION_POINTERS* exception) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CrashFacts facts;
    facts.time = LogTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    facts.version = kProductVersion;
    facts.windows = setup.windows;
    facts.thread = ThisThreadName();
    facts.threadId = GetCurrentThreadId();
    char module[MAX_PATH] = {};
    if (exception && exception->ExceptionRecord) {
        const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
        facts.code = record.ExceptionCode;
        facts.address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
        FindModule(facts.address, module, sizeof module, facts.moduleOffset);
        facts.module = module;
        if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
            facts.hasAccess = true;
            facts.accessKind = static_cast<unsigned long>(record.ExceptionInformation[0]);
            facts.accessAddress = record.ExceptionInformation[1];
        }
    }

    char stem[64];
    FormatCrashStem(stem, sizeof stem, facts.time, GetCurrentProcessId());
    wchar_t wideStem[64];
    MultiByteToWideChar(CP_UTF8, 0, stem, -1, wideStem, 64);

    // The text first: it is small and says most, and the dump may fail.
    char text[1024];
    const std::size_t length = FormatCrashText(text, sizeof text, facts);
    {
        ScopedHandle report(CreateReportFile(wideStem, L".txt"));
        if (report) WriteText(report.get(), text, length);
    }
    if (setup.writeDump) {
        ScopedHandle dump(CreateReportFile(wideStem, L".dmp"));
        if (dump) {
            MINIDUMP_EXCEPTION_INFORMATION where{};
            where.ThreadId = GetCurrentThreadId();
            where.ExceptionPointers = exception;
            where.ClientPointers = FALSE;
            setup.writeDump(GetCurrentProcess(), GetCurrentProcessId(), dump.get(), MiniDumpNormal,
                            exception ? &where : nullptr, nullptr, nullptr);
        }
    }
    ScopedHandle marker(CreateReportFile(kNewReportMarker, L""));

    // Last, as it allocates: the log may be locked by the thread that broke.
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", facts.code);
    TryLogEvent("crash", {{"thread", facts.thread}, {"exception", code}, {"report", stem}});
}

// True for the first thread to report; a second crash on the same thread
// (inside the handler) or on another thread is not reported again.
bool BeginReport() {
    DWORD none = 0;
    if (reportingThread.compare_exchange_strong(none, GetCurrentThreadId())) return true;
    if (none != GetCurrentThreadId()) Sleep(INFINITE);  // the first report ends the process
    return false;
}

// Ends the process at once, without the system's crash dialog and without
// the usual exit, which could wait for a lock the broken thread holds.
[[noreturn]] void EndProcess(unsigned long code) {
    TerminateProcess(GetCurrentProcess(), code);
    for (;;) Sleep(INFINITE);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
    if (BeginReport()) WriteReport(exception);
    EndProcess(exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode
                                                       : EXCEPTION_ACCESS_VIOLATION);
}

[[noreturn]] void OnTerminate() {
    if (BeginReport()) {
        CONTEXT context{};
        RtlCaptureContext(&context);
        EXCEPTION_RECORD record{};
        record.ExceptionCode = kTerminateCode;
        record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);  // x86-64 only
        EXCEPTION_POINTERS pointers{&record, &context};
        WriteReport(&pointers);
    }
    EndProcess(kTerminateCode);
}

std::vector<std::string> FolderNames(const std::wstring& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
    if (!search) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(WideToUtf8(found.cFileName));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

}  // namespace

void InstallCrashReports(const std::wstring& crashFolder) {
    CreateDirectoryW(crashFolder.c_str(), nullptr);
    if (crashFolder.size() >= MAX_PATH - 40) return;  // no room for the names: no reports
    wcsncpy(setup.folder, crashFolder.c_str(), MAX_PATH - 1);
    const std::string windows = WindowsVersionText();
    std::snprintf(setup.windows, sizeof setup.windows, "%s", windows.c_str());
    setup.writeDump = dumpsWanted ? LoadMiniDumpWriter() : nullptr;
    RemoveOldCrashReports(crashFolder);
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
}

void LeaveOutCrashDumps() {
    dumpsWanted = false;
    setup.writeDump = nullptr;
}

bool TakeNewCrashReport(const std::wstring& crashFolder) {
    return DeleteFileW((crashFolder + kNewReportMarker).c_str()) != FALSE;
}

void RemoveOldCrashReports(const std::wstring& crashFolder) {
    for (const std::string& name : OldCrashReportFiles(FolderNames(crashFolder), kKeptCrashReports)) {
        DeleteFileW((crashFolder + Utf8ToWide(name)).c_str());
    }
}
