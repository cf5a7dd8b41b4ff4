#include "upload/zip_archive.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <minizip/unzip.h>
#include <minizip/iowin32.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/utf.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string Incompressible(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& b : bytes) {  // xorshift32
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path.string();
}

int OffsetOf(const std::wstring& folder) {
    return static_cast<int>(folder.rfind(L'\\') + 1);
}

struct Entry {
    std::string name;
    unz_file_info64 info{};
    std::string data;          // only with keepData
    ZPOS64_T bytesRead = 0;
    int closeResult = UNZ_OK;  // UNZ_CRCERROR when the data does not match its checksum
};

const Entry* Find(const std::vector<Entry>& entries, const std::string& name) {
    for (const Entry& e : entries) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

// Reads every entry back with minizip's reader; false when the archive does
// not open or an entry cannot be read. The reader cannot decrypt: encrypted
// entries come back as their stored bytes (the checker of the real tools
// decrypts them).
bool ReadArchive(const std::wstring& path, std::vector<Entry>& out, bool keepData = true) {
    zlib_filefunc64_def io;
    fill_win32_filefunc64W(&io);
    unzFile zip = unzOpen2_64(path.c_str(), &io);
    if (zip == nullptr) return false;
    bool ok = unzGoToFirstFile(zip) == UNZ_OK;
    while (ok) {
        Entry entry;
        char name[1024];
        ok = unzGetCurrentFileInfo64(zip, &entry.info, name, sizeof name, nullptr, 0, nullptr,
                                     0) == UNZ_OK &&
             unzOpenCurrentFile2(zip, nullptr, nullptr, entry.info.flag & 1) == UNZ_OK;
        if (!ok) break;
        entry.name = name;
        char chunk[65536];
        int got;
        while ((got = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0) {
            entry.bytesRead += got;
            if (keepData) entry.data.append(chunk, got);
        }
        entry.closeResult = unzCloseCurrentFile(zip);
        ok = got == 0 || entry.closeResult == UNZ_CRCERROR;
        out.push_back(std::move(entry));
        const int next = unzGoToNextFile(zip);
        if (next == UNZ_END_OF_LIST_OF_FILE) break;
        ok = ok && next == UNZ_OK;
    }
    unzClose(zip);
    return ok;
}

FILETIME LocalFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0}, universal;
    FILETIME result{};
    EXPECT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal));
    EXPECT_TRUE(SystemTimeToFileTime(&universal, &result));
    return result;
}

void SetWriteTime(const fs::path& path, const FILETIME& time) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

// Where the archives go: LIFTORN_ZIP_OUT when set (a checker with the real
// unzip tools looks at them afterwards), else a folder removed after the test.
class OutputFolder {
public:
    OutputFolder() {
        const wchar_t* named = _wgetenv(L"LIFTORN_ZIP_OUT");
        if (named != nullptr && *named != L'\0') {
            path_ = named;
            std::error_code ignored;
            fs::remove_all(path_, ignored);
            fs::create_directories(path_);
        } else {
            path_ = Utf8ToWide(temp_.path());
        }
    }
    const fs::path& path() const { return path_; }

private:
    TempDir temp_;
    fs::path path_;
};

// The tree of the round trip, below <base>\Ablage Ω. The parent's name is
// not ASCII either, so an offset counted in bytes instead of characters
// would show in every name.
struct SampleTree {
    fs::path parent, root;
    std::map<std::string, std::string> files;  // entry name -> contents

    explicit SampleTree(const fs::path& base) {
        parent = base / L"Ablage \u03a9";
        root = parent / L"Fotos f\u00fcr J\u00f6rg";
        const fs::path jorg = root / L"J\u00f6rg";
        fs::create_directories(jorg / L"leer");
        fs::create_directories(jorg / L"tief" / L"ebene2");
        Add(root / L"readme.txt", "Fotos f\u00fcr J\u00f6rg\r\n");
        Add(root / L"empty.bin", "");
        Add(root / L"random.bin", Incompressible(3 * 1024 * 1024, 2024));
        // Random, text, random: stored and deflated blocks in one stream.
        Add(root / L"gemischt.bin", Incompressible(300000, 7) + std::string(600000, 't') +
                                        Incompressible(300000, 8));
        Add(root / L"\U0001F389.txt", "party\n");
        Add(jorg / L"\u65e5\u672c\u8a9e.txt", std::string(20000, 'x') + "\u65e5\u672c\u8a9e\n");
        Add(jorg / L"tief" / L"ebene2" / L"notiz.txt", "drei Ebenen tief\n");
    }

    void Add(const fs::path& path, const std::string& bytes) {
        Write(path, bytes);
        std::wstring name = path.wstring().substr(parent.wstring().size() + 1);
        for (wchar_t& c : name) c = c == L'\\' ? L'/' : c;
        files[WideToUtf8(name)] = bytes;
    }
};

TEST(ZipArchive, StoresTheWholeTreeUnderTheFolderNameWithUtf8NamesAndExactContents) {
    OutputFolder out;
    SampleTree tree(out.path() / L"tree");
    const FILETIME stamp = LocalFileTime(2021, 6, 15, 13, 45, 30);
    SetWriteTime(tree.root / L"readme.txt", stamp);

    const std::wstring archivePath = (out.path() / L"Fotos f\u00fcr J\u00f6rg.zip").wstring();
    HZIP zip = nullptr;
    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    ASSERT_NE(nullptr, zip);
    const std::wstring folder = tree.root.wstring();
    EXPECT_EQ(kZipOk, ZipAddDirW(zip, folder.c_str(), OffsetOf(folder)));
    ASSERT_EQ(kZipOk, ZipClose(zip));

    std::vector<Entry> entries;
    ASSERT_TRUE(ReadArchive(archivePath, entries));
    std::vector<std::string> names;
    for (const Entry& e : entries) names.push_back(e.name);
    const std::string r = "Fotos f\u00fcr J\u00f6rg/";
    // Folders first, then their contents, names in order within each folder.
    const std::vector<std::string> expected = {
        r,
        r + "J\u00f6rg/",
        r + "J\u00f6rg/leer/",
        r + "J\u00f6rg/tief/",
        r + "J\u00f6rg/tief/ebene2/",
        r + "J\u00f6rg/tief/ebene2/notiz.txt",
        r + "J\u00f6rg/\u65e5\u672c\u8a9e.txt",
        r + "empty.bin",
        r + "gemischt.bin",
        r + "random.bin",
        r + "readme.txt",
        r + "\U0001F389.txt",
    };
    EXPECT_EQ(expected, names);

    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(1u << 11, e.info.flag & (1u << 11)) << "UTF-8 name flag";
        EXPECT_EQ(UNZ_OK, e.closeResult);
        const bool folderEntry = e.name.back() == '/';
        EXPECT_EQ(folderEntry, (e.info.external_fa & FILE_ATTRIBUTE_DIRECTORY) != 0);
        if (folderEntry) {
            EXPECT_EQ(0u, e.info.uncompressed_size);
            continue;
        }
        auto file = tree.files.find(e.name);
        ASSERT_NE(tree.files.end(), file);
        EXPECT_TRUE(e.data == file->second) << "contents differ";
        EXPECT_EQ(file->second.size(), e.info.uncompressed_size);
        if (e.info.uncompressed_size > 0) {
            EXPECT_EQ(static_cast<uLong>(Z_DEFLATED), e.info.compression_method);
        }
        if (e.name == r + "J\u00f6rg/\u65e5\u672c\u8a9e.txt") {
            EXPECT_LT(e.info.compressed_size, 1000u) << "text must be deflated";
        }
        if (e.name == r + "gemischt.bin") {
            EXPECT_LT(e.info.compressed_size, 620000u) << "text beside random data is deflated";
        }
    }
    const Entry* readme = Find(entries, r + "readme.txt");
    ASSERT_NE(nullptr, readme);
    EXPECT_EQ(2021, readme->info.tmu_date.tm_year);
    EXPECT_EQ(5, readme->info.tmu_date.tm_mon);  // months from 0
    EXPECT_EQ(15, readme->info.tmu_date.tm_mday);
    EXPECT_EQ(13, readme->info.tmu_date.tm_hour);
    EXPECT_EQ(45, readme->info.tmu_date.tm_min);
    EXPECT_EQ(30, readme->info.tmu_date.tm_sec);

    // A sub-folder with a password (the checker of the real tools decrypts
    // it): the same entries, encrypted.
    const std::wstring sub = (tree.root / L"J\u00f6rg").wstring();
    const std::wstring lockedPath = (out.path() / L"verschl\u00fcsselt.zip").wstring();
    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, lockedPath.c_str(), "geheim"));
    EXPECT_EQ(kZipOk, ZipAddDirW(zip, sub.c_str(), OffsetOf(sub)));
    ASSERT_EQ(kZipOk, ZipClose(zip));
    std::vector<Entry> locked;
    ASSERT_TRUE(ReadArchive(lockedPath, locked));
    EXPECT_EQ(6u, locked.size());
    for (const Entry& l : locked) {
        SCOPED_TRACE(l.name);
        const Entry* plain = Find(entries, r + l.name);
        ASSERT_NE(nullptr, plain);
        const bool file = l.name.back() != '/';
        EXPECT_EQ(file, (l.info.flag & 1) != 0) << "files are encrypted, folders not";
        EXPECT_EQ(plain->info.crc, l.info.crc);
        // Each encrypted entry starts with a 12-byte header.
        EXPECT_EQ(plain->info.compressed_size + (file ? 12 : 0), l.data.size());
    }

    // Tells the checker of the real tools what to compare: archive, folder,
    // password, one line each, tab-separated, UTF-8.
    std::ofstream manifest(out.path() / L"archives.txt", std::ios::binary);
    const std::string treeFolder = "tree/Ablage \u03a9/Fotos f\u00fcr J\u00f6rg";
    manifest << "Fotos f\u00fcr J\u00f6rg.zip\t" << treeFolder << "\t\n"
             << "verschl\u00fcsselt.zip\t" << treeFolder << "/J\u00f6rg\tgeheim\n";
}

TEST(ZipArchive, LeavesOutItselfAndKeepsAFolderWithATrailingBackslash) {
    TempDir temp;
    const fs::path root = fs::path(Utf8ToWide(temp.path())) / L"self";
    fs::create_directories(root);
    Write(root / L"a.txt", "a");
    const std::wstring archivePath = (root / L"self.zip").wstring();
    const std::wstring folder = root.wstring() + L"\\";
    HZIP zip = nullptr;
    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    EXPECT_EQ(kZipOk, ZipAddDirW(zip, folder.c_str(), OffsetOf(root.wstring())));
    ASSERT_EQ(kZipOk, ZipClose(zip));
    std::vector<Entry> entries;
    ASSERT_TRUE(ReadArchive(archivePath, entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("self/", entries[0].name);
    EXPECT_EQ("self/a.txt", entries[1].name);
}

// Zip64 fields only where a size needs them. The big file is sparse on Linux.
TEST(ZipArchive, AFileOfFourGibibytesGetsZip64AndSmallOnesDoNot) {
    TempDir temp;
    const fs::path root = fs::path(Utf8ToWide(temp.path())) / L"gross";
    fs::create_directories(root);
    Write(root / L"klein.txt", "klein");
    const ULONGLONG bigSize = (1ull << 32) + 1;
    HANDLE big = CreateFileW((root / L"riesig.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, big);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(bigSize - 1);
    DWORD written = 0;
    EXPECT_TRUE(SetFilePointerEx(big, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(WriteFile(big, "x", 1, &written, nullptr));
    CloseHandle(big);

    const std::wstring archivePath = fs::path(Utf8ToWide(temp.File("gross.zip"))).wstring();
    HZIP zip = nullptr;
    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    EXPECT_EQ(kZipOk, ZipAddDirW(zip, root.c_str(), OffsetOf(root.wstring())));
    ASSERT_EQ(kZipOk, ZipClose(zip));
    std::vector<Entry> entries;
    ASSERT_TRUE(ReadArchive(archivePath, entries, false));
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ(20u, entries[1].info.version_needed) << entries[1].name;
    EXPECT_EQ("gross/riesig.bin", entries[2].name);
    EXPECT_EQ(45u, entries[2].info.version_needed) << "Zip64";
    EXPECT_EQ(bigSize, entries[2].info.uncompressed_size);
    EXPECT_EQ(bigSize, entries[2].bytesRead);
    EXPECT_EQ(UNZ_OK, entries[2].closeResult);
}

TEST(ZipArchive, FailuresAreResultsAndTheHandleIsAlwaysFreed) {
    TempDir temp;
    const fs::path base(Utf8ToWide(temp.path()));
    HZIP zip = reinterpret_cast<HZIP>(1);
    const std::wstring inMissingFolder = (base / L"missing" / L"a.zip").wstring();
    EXPECT_EQ(kZipCannotCreate, ZipCreateFileW(&zip, inMissingFolder.c_str(), nullptr));
    EXPECT_EQ(nullptr, zip);
    EXPECT_EQ(kZipBadArgument, ZipCreateFileW(nullptr, inMissingFolder.c_str(), nullptr));
    EXPECT_EQ(kZipBadArgument, ZipCreateFileW(&zip, nullptr, nullptr));
    EXPECT_EQ(kZipBadArgument, ZipAddDirW(nullptr, base.c_str(), 0));
    EXPECT_EQ(kZipBadArgument, ZipClose(nullptr));

    const std::wstring archivePath = (base / L"out.zip").wstring();
    // A missing folder fails the call, and ZipClose still reports it.
    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    const std::wstring missing = (base / L"nowhere").wstring();
    EXPECT_EQ(kZipNotAFolder, ZipAddDirW(zip, missing.c_str(), OffsetOf(missing)));
    EXPECT_EQ(kZipNotAFolder, ZipAddDirW(zip, base.c_str(), OffsetOf(base)))
        << "a failed archive takes no more folders";
    EXPECT_EQ(kZipNotAFolder, ZipClose(zip));

    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    EXPECT_EQ(kZipNotAFolder, ZipAddDirW(zip, archivePath.c_str(), OffsetOf(archivePath)));
    EXPECT_NE(kZipOk, ZipClose(zip));

    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    EXPECT_EQ(kZipBadArgument, ZipAddDirW(zip, base.c_str(), -1));
    EXPECT_NE(kZipOk, ZipClose(zip));
    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    EXPECT_EQ(kZipBadArgument,
              ZipAddDirW(zip, base.c_str(), static_cast<int>(base.wstring().size()) + 1));
    EXPECT_NE(kZipOk, ZipClose(zip));
}

TEST(ZipArchive, AFileThatCannotBeOpenedFailsTheArchive) {
    TempDir temp;
    const fs::path root = fs::path(Utf8ToWide(temp.path())) / L"busy";
    fs::create_directories(root);
    Write(root / L"a.txt", "first");
    Write(root / L"b.txt", "held open without sharing");
    HANDLE held = CreateFileW((root / L"b.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const std::wstring archivePath = fs::path(Utf8ToWide(temp.File("busy.zip"))).wstring();
    HZIP zip = nullptr;
    ASSERT_EQ(kZipOk, ZipCreateFileW(&zip, archivePath.c_str(), nullptr));
    EXPECT_EQ(kZipCannotOpenFile, ZipAddDirW(zip, root.c_str(), OffsetOf(root.wstring())));
    EXPECT_EQ(kZipCannotOpenFile, ZipClose(zip));
    CloseHandle(held);
    // What was written before the failure is still a readable archive.
    std::vector<Entry> entries;
    ASSERT_TRUE(ReadArchive(archivePath, entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("busy/a.txt", entries[1].name);
    EXPECT_EQ("first", entries[1].data);
}

}  // namespace
