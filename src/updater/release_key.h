// The Ed25519 public key that release manifests must be signed with. Each
// updater executable is linked with the definition the build generates from
// its signing key (the private key never enters the source tree).
#pragma once

inline constexpr unsigned kReleaseKeyBytes = 32;
extern const unsigned char kReleasePublicKey[kReleaseKeyBytes];
