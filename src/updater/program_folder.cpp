#include "updater/program_folder.h"

#include "base/product.h"
#include "base/scoped_win.h"
#include "base/temporary_folder.h"
#include "updater/shipped_files.h"

namespace {

// A skin has a few dozen files; this many means something else is there.
constexpr std::size_t kMostSkinFiles = 4096;
constexpr DWORD kPollMillis = 100;

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The files below `folder` + `relative`, as paths relative to `folder`.
bool ListFiles(const std::wstring& folder, const std::wstring& relative, std::vector<std::wstring>& files,
               std::vector<std::wstring>& subfolders) {
    WIN32_FIND_DATAW found{};
    ScopedFindHandle search(FindFirstFileW((folder + relative + L"\\*").c_str(), &found));
    if (!search) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // never follow links
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders.push_back(path);
            if (!ListFiles(folder, path, files, subfolders)) return false;
        } else if (IsShippedFile(path)) {
            files.push_back(path);
        }
        if (files.size() > kMostSkinFiles) return false;
    } while (FindNextFileW(search.get(), &found));
    return true;
}

}  // namespace

std::optional<ReleaseVersion> ProgramFileVersion(const std::wstring& program) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(program.c_str(), 0, size, block.data())) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (fixed->dwSignature != 0xFEEF04BD) return std::nullopt;
    return ReleaseVersion{HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                          HIWORD(fixed->dwProductVersionLS)};
}

bool WaitForProgramToEnd(DWORD millis) {
    const ULONGLONG deadline = GetTickCount64() + millis;
    for (;;) {
        // The running instance keeps its mutex open; the name goes with the
        // last handle.
        ScopedHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
        if (!mutex) return true;
        mutex.reset();
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMillis);
    }
}

RunResult RunAndWait(const std::wstring& commandLine, const std::wstring& folder, DWORD millis, DWORD& exitCode) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started)) {
        return RunResult::CouldNotStart;
    }
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);
    if (WaitForSingleObject(process.get(), millis) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        return RunResult::TimedOut;
    }
    if (!GetExitCodeProcess(process.get(), &exitCode)) exitCode = 1;
    return RunResult::Finished;
}

bool ProgramBackup::Save(const std::wstring& programFolder, const std::wstring& backupFolder) {
    programFolder_ = programFolder;
    backupFolder_ = backupFolder;
    files_.clear();
    folders_.clear();
    if (!CreateDirectoryW(backupFolder_.c_str(), nullptr)) return false;
    for (const auto& name : ShippedProgramFiles()) {
        if (FileExists(programFolder_ + name)) files_.push_back(name);
    }
    std::vector<std::wstring> skinFiles;
    std::vector<std::wstring> skinFolders;
    if (!ListFiles(programFolder_, kShippedSkinFolder, skinFiles, skinFolders)) return false;
    if (!skinFiles.empty()) {
        folders_.push_back(kShippedSkinFolder);
        folders_.insert(folders_.end(), skinFolders.begin(), skinFolders.end());
    }
    files_.insert(files_.end(), skinFiles.begin(), skinFiles.end());
    for (const auto& folder : folders_) {
        if (!CreateDirectoryW((backupFolder_ + folder).c_str(), nullptr)) return false;
    }
    for (const auto& file : files_) {
        if (!CopyFileW((programFolder_ + file).c_str(), (backupFolder_ + file).c_str(), TRUE)) return false;
    }
    return true;
}

bool ProgramBackup::Restore() const {
    bool all = true;
    for (const auto& folder : folders_) CreateDirectoryW((programFolder_ + folder).c_str(), nullptr);
    for (const auto& file : files_) {
        all = CopyFileW((backupFolder_ + file).c_str(), (programFolder_ + file).c_str(), FALSE) && all;
    }
    return all;
}

void ProgramBackup::Discard() {
    if (backupFolder_.empty()) return;
    for (const auto& file : files_) DeleteFileW((backupFolder_ + file).c_str());
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
        RemoveDirectoryW((backupFolder_ + *folder).c_str());
    }
    RemoveDirectoryW(backupFolder_.c_str());
    files_.clear();
    folders_.clear();
}

std::wstring MakeWorkFolder() { return MakeFreshTemporaryFolder(L"vantorel-liftorn-update-"); }
