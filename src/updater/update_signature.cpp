#include "updater/update_signature.h"

#include <sodium.h>

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;  // 1 means "already done"
    return ready;
}

bool IsSignedBy(const UpdateManifest& manifest, const unsigned char* publicKey) {
    static_assert(crypto_sign_BYTES == 64 && crypto_sign_PUBLICKEYBYTES == 32, "Ed25519 sizes");
    if (!SodiumReady()) return false;
    const std::string payload = SignedManifestPayload(manifest);
    return crypto_sign_verify_detached(manifest.signature.data(),
                                       reinterpret_cast<const unsigned char*>(payload.data()), payload.size(),
                                       publicKey) == 0;
}
