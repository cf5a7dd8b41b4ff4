// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // UTF-8 path without a trailing separator.
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

bool WriteBytes(const std::string& utf8Path, const std::string& bytes);
std::string ReadBytes(const std::string& utf8Path);
bool FileExists(const std::string& utf8Path);
// The names of the files (not folders) in a folder; empty when it is missing.
std::vector<std::string> FileNamesIn(const std::string& utf8Folder);
