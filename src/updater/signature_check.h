// The cryptographic checks of an update, with libsodium.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "updater/update_manifest.h"

// True when the manifest's signature is a valid Ed25519 signature of its
// payload (SignedManifestPayload) by `publicKey` (32 bytes).
bool IsSignedBy(const UpdateManifest& manifest, const unsigned char* publicKey);

// Reads `file` from its start to its end: its size and SHA-256. False on a
// read error or when it holds more than kInstallerLimitBytes.
bool HashWholeFile(HANDLE file, std::uint64_t& size, std::array<unsigned char, 32>& digest);
