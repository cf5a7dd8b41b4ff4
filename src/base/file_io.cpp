#include "base/file_io.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>

#include "base/utf.h"
#else
#include <unistd.h>
#endif

namespace {

std::FILE* OpenFile(const std::string& utf8Path, bool forWriting) {
#ifdef _WIN32
    return _wfsopen(Utf8ToWide(utf8Path).c_str(), forWriting ? L"wb" : L"rb", _SH_DENYNO);
#else
    return std::fopen(utf8Path.c_str(), forWriting ? "wb" : "rb");
#endif
}

bool FlushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool ReplaceWith(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

void RemoveFile(const std::string& utf8Path) {
#ifdef _WIN32
    _wremove(Utf8ToWide(utf8Path).c_str());
#else
    std::remove(utf8Path.c_str());
#endif
}

}  // namespace

bool ReadWholeFile(const std::string& utf8Path, std::string& out, std::size_t limit) {
    out.clear();
    std::FILE* file = OpenFile(utf8Path, false);
    if (!file) return false;
    char buffer[64 * 1024];
    size_t got = 0;
    bool tooLarge = false;
    while (!tooLarge && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        tooLarge = got > limit - out.size();
        if (!tooLarge) out.append(buffer, got);
    }
    const bool ok = !std::ferror(file) && !tooLarge;
    std::fclose(file);
    if (!ok) out.clear();
    return ok;
}

bool WriteFileAtomically(const std::string& utf8Path, const std::string& bytes) {
    const std::string temporary = utf8Path + ".new";
    std::FILE* file = OpenFile(temporary, true);
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = FlushToDisk(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && ReplaceWith(temporary, utf8Path);
    if (!ok) RemoveFile(temporary);
    return ok;
}
