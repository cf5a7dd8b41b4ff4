#include "upload/zip_archive.h"

#include <windows.h>

// zip.h brings the declarations that iowin32.h uses without including them.
#include <minizip/zip.h>
#include <minizip/iowin32.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "base/utf.h"
#include "upload/zip_deflater.h"
#include "upload/zip_write_buffer.h"

namespace {

constexpr DWORD kChunkBytes = 256 * 1024;
// Host 11, NTFS (FAT-style attributes; with host 0 Info-ZIP's unzip reads
// the names as OEM code page text despite the UTF-8 flag), format 6.3.
constexpr uLong kVersionMadeBy = (11u << 8) | 63u;
constexpr uLong kUtf8NamesFlag = 1u << 11;
// Incompressible data grows a little when deflated (and by 12 bytes when
// encrypted), so files just below 4 GiB get the Zip64 fields too.
constexpr ULONGLONG kZip64FromSize = 0xFF000000ull;
// The FAT attribute bits a ZIP reader understands.
constexpr DWORD kDosAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                    FILE_ATTRIBUTE_ARCHIVE;
constexpr uLong kDosTimeFloor = (1u << 21) | (1u << 16);  // 1980-01-01 00:00:00
// Longer paths (a listing pattern adds two characters) need the "\\?\" form.
constexpr size_t kPlainPathLimit = MAX_PATH - 12;

// One name found in a folder listing. `tail` is the path below the added
// folder, starting with a backslash.
struct Item {
    std::wstring tail;
    DWORD attributes = 0;
    FILETIME written{};
    ULONGLONG size = 0;
};

bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Absolute form of a path; empty when it cannot be resolved.
std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (written == 0 || written >= needed) return std::wstring();
    full.resize(written);
    return full;
}

// The path to hand to the system: plain while it fits MAX_PATH, else in the
// "\\?\" form that lifts the limit (plain paths open much faster in Wine).
std::wstring SystemPath(const std::wstring& full) {
    if (full.size() < kPlainPathLimit || full.compare(0, 4, L"\\\\?\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

void StripTrailingSeparators(std::wstring& path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
}

// DOS date and time of a file time, in local time like Explorer shows it.
uLong DosDateTime(const FILETIME& utc) {
    SYSTEMTIME universal, local;
    if (!FileTimeToSystemTime(&utc, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local) || local.wYear < 1980) {
        return kDosTimeFloor;
    }
    if (local.wYear > 2107) return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) |
                                   (59u << 5) | 29u;
    return (static_cast<uLong>(local.wYear - 1980) << 25) | (uLong{local.wMonth} << 21) |
           (uLong{local.wDay} << 16) | (uLong{local.wHour} << 11) | (uLong{local.wMinute} << 5) |
           (uLong{local.wSecond} / 2);
}

zip_fileinfo EntryInfo(const Item& item) {
    zip_fileinfo info{};
    info.dosDate = DosDateTime(item.written);
    info.external_fa = item.attributes & kDosAttributeMask;
    return info;
}

// Entry name: the path without the caller's prefix, "/" between the parts.
std::string EntryName(const std::wstring& rootName, const std::wstring& tail) {
    std::wstring name = rootName.empty() && !tail.empty() ? tail.substr(1) : rootName + tail;
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return WideToUtf8(name);
}

// The names in a folder, sorted, without "." and "..".
int ListFolder(const std::wstring& osPath, const std::wstring& tail, std::vector<Item>& out) {
    out.clear();
    WIN32_FIND_DATAW found;
    const std::wstring pattern = osPath + L"\\*";
    ScopedFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        // Only a drive root can be listed as having no names at all.
        return GetLastError() == ERROR_FILE_NOT_FOUND ? kZipOk : kZipCannotListFolder;
    }
    do {
        const wchar_t* name = found.cFileName;
        if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0) continue;
        Item item;
        item.tail = tail + L'\\' + name;
        item.attributes = found.dwFileAttributes;
        item.written = found.ftLastWriteTime;
        item.size = (ULONGLONG{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        out.push_back(std::move(item));
    } while (FindNextFileW(find.get(), &found));
    const DWORD stopped = GetLastError();
    if (stopped != ERROR_NO_MORE_FILES) return kZipCannotListFolder;
    std::sort(out.begin(), out.end(),
              [](const Item& a, const Item& b) { return a.tail < b.tail; });
    return kZipOk;
}

}  // namespace

struct ZipArchive {
    ZipWriteBuffer io{};
    zipFile zip = nullptr;
    std::wstring fullPath;  // to leave the archive out when it lies in the folder
    bool encrypted = false;
    std::string password;
    std::unique_ptr<unsigned char[]> chunk;
    ZipDeflater deflater;
    int firstError = kZipOk;

    int Fail(int error) {
        if (firstError == kZipOk) firstError = error;
        return error;
    }
};

namespace {

// Opens an entry whose data we deflate ourselves (minizip's raw mode), so one
// zlib stream serves the whole archive.
int OpenEntry(ZipArchive& archive, const std::string& name, const Item& item, int method,
              uLong crcForEncryption, bool zip64) {
    const zip_fileinfo info = EntryInfo(item);
    const char* password = archive.encrypted && !IsFolder(item.attributes)
                               ? archive.password.c_str()
                               : nullptr;
    const int opened = zipOpenNewFileInZip4_64(
        archive.zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
        Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, password,
        crcForEncryption, kVersionMadeBy, kUtf8NamesFlag, zip64 ? 1 : 0);
    return opened == ZIP_OK ? kZipOk : kZipCannotWrite;
}

int AddFolderEntry(ZipArchive& archive, const std::string& name, const Item& item) {
    const int opened = OpenEntry(archive, name + "/", item, 0, 0, false);
    if (opened != kZipOk) return opened;
    return zipCloseFileInZipRaw64(archive.zip, 0, 0) == ZIP_OK ? kZipOk : kZipCannotWrite;
}

bool WriteCompressed(void* zip, const unsigned char* data, unsigned size) {
    return zipWriteInFileInZip(zip, data, size) == ZIP_OK;
}

// The checksum that traditional encryption needs before the data is written,
// over the bytes that AddFileEntry will read.
int ChecksumOfFile(ZipArchive& archive, HANDLE file, ULONGLONG expected, uLong& crc) {
    crc = crc32(0, Z_NULL, 0);
    ULONGLONG done = 0;
    DWORD got = 0;
    do {
        if (!ReadFile(file, archive.chunk.get(), kChunkBytes, &got, nullptr)) {
            return kZipCannotReadFile;
        }
        crc = crc32(crc, archive.chunk.get(), got);
        done += got;
    } while (got > 0 && done < expected);
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) ? kZipOk : kZipCannotReadFile;
}

// Reads the file up to the size the listing gave (or its end, if that comes
// first), deflating piece by piece; closes the entry in every case so the
// archive stays readable up to here.
int AddFileEntry(ZipArchive& archive, const std::wstring& systemPath, const std::string& name,
                 const Item& item) {
    ScopedHandle file(CreateFileW(systemPath.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return kZipCannotOpenFile;
    const ULONGLONG expected = item.size;
    uLong crcForEncryption = 0;
    if (archive.encrypted) {
        const int summed = ChecksumOfFile(archive, file.get(), expected, crcForEncryption);
        if (summed != kZipOk) return summed;
    }
    // An empty file is stored: deflate would only add its end marker.
    const bool deflated = expected > 0;
    int result = OpenEntry(archive, name, item, deflated ? Z_DEFLATED : 0, crcForEncryption,
                           expected >= kZip64FromSize);
    if (result != kZipOk) return result;
    if (deflated && !archive.deflater.Start(WriteCompressed, archive.zip)) {
        result = kZipOutOfMemory;
    }
    ULONGLONG done = 0;
    uLong crc = crc32(0, Z_NULL, 0);
    bool last = !deflated || result != kZipOk;
    while (!last) {
        DWORD got = 0;
        if (!ReadFile(file.get(), archive.chunk.get(), kChunkBytes, &got, nullptr)) {
            result = kZipCannotReadFile;
            got = 0;
        }
        done += got;
        crc = crc32(crc, archive.chunk.get(), got);
        last = got == 0 || done >= expected;
        if (!archive.deflater.Feed(archive.chunk.get(), got, last) && result == kZipOk) {
            result = kZipCannotWrite;
            break;
        }
    }
    if (zipCloseFileInZipRaw64(archive.zip, done, crc) != ZIP_OK && result == kZipOk) {
        result = kZipCannotWrite;
    }
    return result;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Walks the tree depth first without recursion (trees can be deep): a folder
// is written, then its sorted names are pushed in reverse, so they come off
// the stack in order and each sub-folder's contents follow it directly.
int AddTree(ZipArchive& archive, const std::wstring& rootFull, const std::wstring& rootName,
            const Item& root) {
    std::vector<Item> pending{root};
    std::vector<Item> listing;
    while (!pending.empty()) {
        Item item = std::move(pending.back());
        pending.pop_back();
        const std::wstring full = rootFull + item.tail;
        const std::string name = EntryName(rootName, item.tail);
        int result = kZipOk;
        if (!IsFolder(item.attributes)) {
            if (SamePath(full, archive.fullPath)) continue;
            result = AddFileEntry(archive, SystemPath(full), name, item);
        } else {
            // A linked folder below the added one is kept as an empty folder.
            const bool follow =
                item.tail.empty() || (item.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
            if (follow) result = ListFolder(SystemPath(full), item.tail, listing);
            if (result == kZipOk && !name.empty()) result = AddFolderEntry(archive, name, item);
            if (result == kZipOk && follow) {
                std::move(listing.rbegin(), listing.rend(), std::back_inserter(pending));
            }
        }
        if (result != kZipOk) return result;
    }
    return kZipOk;
}

}  // namespace

int ZipCreateFileW(HZIP* out, const wchar_t* path, const char* password) {
    if (out == nullptr) return kZipBadArgument;
    *out = nullptr;
    if (path == nullptr || *path == L'\0') return kZipBadArgument;
    try {
        std::unique_ptr<ZipArchive> archive(new ZipArchive);
        archive->fullPath = FullPath(path);
        archive->encrypted = password != nullptr;
        if (password != nullptr) archive->password = password;
        archive->chunk.reset(new unsigned char[kChunkBytes]);
        zlib_filefunc64_def win32{};
        fill_win32_filefunc64W(&win32);
        InitZipWriteBuffer(archive->io, win32);
        archive->zip = zipOpen2_64(path, APPEND_STATUS_CREATE, nullptr, &archive->io.buffered);
        if (archive->zip == nullptr) return kZipCannotCreate;
        *out = archive.release();
        return kZipOk;
    } catch (const std::bad_alloc&) {
        return kZipOutOfMemory;
    }
}

int ZipAddDirW(HZIP zip, const wchar_t* folder, int offset) {
    if (zip == nullptr || folder == nullptr) return kZipBadArgument;
    if (zip->firstError != kZipOk) return zip->firstError;
    try {
        std::wstring path(folder);
        if (offset < 0 || static_cast<size_t>(offset) > path.size()) {
            return zip->Fail(kZipBadArgument);
        }
        std::wstring rootName = path.substr(static_cast<size_t>(offset));
        StripTrailingSeparators(rootName);
        // Names below are appended as "\name"; the trailing backslash of the
        // query also makes a drive root ("C:\") answer.
        std::wstring rootFull = FullPath(path);
        StripTrailingSeparators(rootFull);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (rootFull.empty() ||
            !GetFileAttributesExW(SystemPath(rootFull + L'\\').c_str(), GetFileExInfoStandard,
                                  &data) ||
            !IsFolder(data.dwFileAttributes)) {
            return zip->Fail(kZipNotAFolder);
        }
        Item root;
        root.attributes = data.dwFileAttributes;
        root.written = data.ftLastWriteTime;
        const int result = AddTree(*zip, rootFull, rootName, root);
        return result == kZipOk ? kZipOk : zip->Fail(result);
    } catch (const std::bad_alloc&) {
        return zip->Fail(kZipOutOfMemory);
    }
}

int ZipClose(HZIP zip) {
    if (zip == nullptr) return kZipBadArgument;
    std::unique_ptr<ZipArchive> archive(zip);
    if (zipClose(archive->zip, nullptr) != ZIP_OK) archive->Fail(kZipCannotWrite);
    return archive->firstError;
}
