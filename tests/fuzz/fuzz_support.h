// What the fuzz targets share: a check that stops the run with a message
// when a property fails, the ways the targets read their input, and an
// independent model of how Windows resolves a name joined to a folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Stops the run (libFuzzer keeps the input) when `condition` is false.
#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : FuzzCheckFailed(#condition, __FILE__, __LINE__))
[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line);

std::string BytesOf(const std::uint8_t* data, std::size_t size);

// The input as 16-bit code units, little-endian pairs (an odd last byte is
// dropped): the characters Windows hands us, in either build.
std::wstring CodeUnitsOf(const std::uint8_t* data, std::size_t size);

// Whether "C:\folder\" + `name` names a file of that very name directly in
// the folder, the way Windows resolves paths: not empty, at most 255 units,
// no separator, drive or stream colon, wildcard or control character, no
// trailing dot or space (Windows drops them, naming another file) and no
// device name (CON, NUL, COM1 ... which name no file at all).
bool JoinsInsideFolder(const std::wstring& name);
