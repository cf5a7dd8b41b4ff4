// The installer's size and digest, read through the handle that keeps it
// from changing; the manifest's signature is in update_signature.h.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "updater/update_signature.h"

// Reads `file` from its start to its end: its size and SHA-256. False on a
// read error or when it holds more than kInstallerLimitBytes.
bool HashWholeFile(HANDLE file, std::uint64_t& size, std::array<unsigned char, 32>& digest);
