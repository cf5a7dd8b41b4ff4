// Whole-file reading and crash-safe replacement, for UTF-8 paths. The only
// platform code here is the wide-path open and the atomic rename on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads every byte of the file; false (with `out` empty) when it cannot be
// opened or read, or holds more than `limit` bytes.
bool ReadWholeFile(const std::string& utf8Path, std::string& out, std::size_t limit = SIZE_MAX);

// Writes `bytes` to a new file beside `utf8Path`, flushes it to the disk and
// only then moves it over the old file. On any failure the new file is
// removed, the old one is left as it was, and the result is false.
bool WriteFileAtomically(const std::string& utf8Path, const std::string& bytes);
