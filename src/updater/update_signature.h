// The manifest's Ed25519 signature, checked with libsodium. Free of Win32.
#pragma once

#include "updater/update_manifest.h"

// True once libsodium is ready for use (it is set up on the first call).
bool SodiumReady();

// True when the manifest's signature is a valid Ed25519 signature of its
// payload (SignedManifestPayload) by `publicKey` (32 bytes).
bool IsSignedBy(const UpdateManifest& manifest, const unsigned char* publicKey);
