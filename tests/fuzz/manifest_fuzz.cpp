// The update manifest on arbitrary bytes, then its signature with a fixed
// key. A manifest that parses is exactly its signed payload and signature
// line, and its signature passes exactly when it is that key's signature of
// the payload: nothing else in the text can sway the check.
#include <sodium.h>

#include <array>

#include "fuzz_support.h"
#include "updater/update_manifest.h"
#include "updater/update_signature.h"

namespace {

struct FixedKey {
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];

    FixedKey() {
        // The seed corpus holds manifests signed with this key (seed bytes
        // 1, 8, 15, ... 218), so the fuzzer starts on the accepted path.
        unsigned char seed[crypto_sign_SEEDBYTES];
        for (unsigned i = 0; i < sizeof seed; ++i) seed[i] = static_cast<unsigned char>(1 + 7 * i);
        FUZZ_CHECK(SodiumReady());
        crypto_sign_seed_keypair(publicKey, secretKey, seed);
    }
};

// The text with the CR of each CR LF dropped: the reader accepts either end.
std::string WithLineFeeds(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FixedKey key;
    const std::string text = BytesOf(data, size);
    UpdateManifest manifest;
    if (!ParseUpdateManifest(text, manifest)) return 0;

    const std::string payload = SignedManifestPayload(manifest);
    const std::string signatureLine =
        "signature " + HexDigits(manifest.signature.data(), manifest.signature.size()) + "\n";
    FUZZ_CHECK(WithLineFeeds(text) == payload + signatureLine);
    FUZZ_CHECK(manifest.size > 0 && manifest.size <= kInstallerLimitBytes);

    std::array<unsigned char, crypto_sign_BYTES> expected{};
    crypto_sign_detached(expected.data(), nullptr, reinterpret_cast<const unsigned char*>(payload.data()),
                         payload.size(), key.secretKey);
    FUZZ_CHECK(IsSignedBy(manifest, key.publicKey) == (manifest.signature == expected));
    return 0;
}
