#include "support/temp_dir.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "base/utf.h"

namespace fs = std::filesystem;

namespace {

fs::path ToPath(const std::string& utf8) {
#ifdef _WIN32
    return fs::path(Utf8ToWide(utf8));
#else
    return fs::path(utf8);
#endif
}

std::string FromPath(const fs::path& path) {
#ifdef _WIN32
    return WideToUtf8(path.wstring());
#else
    return path.string();
#endif
}

}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    std::ostringstream name;
    name << "liftorn-test-" << std::hex << random() << "-" << counter++;
    fs::path dir = fs::temp_directory_path() / name.str();
    fs::create_directories(dir);
    path_ = FromPath(dir);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(ToPath(path_), ignored);
}

std::string TempDir::File(const std::string& name) const {
#ifdef _WIN32
    return path_ + "\\" + name;
#else
    return path_ + "/" + name;
#endif
}

bool WriteBytes(const std::string& utf8Path, const std::string& bytes) {
    std::ofstream out(ToPath(utf8Path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadBytes(const std::string& utf8Path) {
    std::ifstream in(ToPath(utf8Path), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

bool FileExists(const std::string& utf8Path) {
    std::error_code ignored;
    return fs::exists(ToPath(utf8Path), ignored);
}

std::vector<std::string> FileNamesIn(const std::string& utf8Folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ToPath(utf8Folder), error)) {
        if (entry.is_regular_file()) names.push_back(FromPath(entry.path().filename()));
    }
    return names;
}
