// The updater's cryptographic checks against a key pair made for this run.
#include <gtest/gtest.h>

#include <sodium.h>

#include <string>

#include "base/scoped_win.h"
#include "base/utf.h"
#include "support/temp_dir.h"
#include "updater/signature_check.h"
#include "updater/update_manifest.h"

namespace {

class Signatures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(sodium_init(), 0);
        crypto_sign_keypair(publicKey, secretKey);
        crypto_sign_keypair(otherPublicKey, otherSecretKey);
        manifest.version = {1, 2, 6};
        manifest.installer = "vantorel-liftorn-1.2.6-setup.exe";
        manifest.size = 2162987;
        for (unsigned i = 0; i < manifest.sha256.size(); ++i) manifest.sha256[i] = static_cast<unsigned char>(i * 7);
    }

    void Sign(UpdateManifest& m, const unsigned char* key) {
        const std::string payload = SignedManifestPayload(m);
        crypto_sign_detached(m.signature.data(), nullptr, reinterpret_cast<const unsigned char*>(payload.data()),
                             payload.size(), key);
    }

    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    unsigned char otherPublicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char otherSecretKey[crypto_sign_SECRETKEYBYTES];
    UpdateManifest manifest;
};

TEST_F(Signatures, OnlyTheSignedFieldsWithTheRightKeyPass) {
    Sign(manifest, secretKey);
    EXPECT_TRUE(IsSignedBy(manifest, publicKey));
    EXPECT_FALSE(IsSignedBy(manifest, otherPublicKey));

    // Each field changed after signing breaks the signature.
    UpdateManifest changed = manifest;
    changed.version = {1, 2, 7};
    EXPECT_FALSE(IsSignedBy(changed, publicKey));
    changed = manifest;
    changed.installer = "https://elsewhere.example/setup.exe";
    EXPECT_FALSE(IsSignedBy(changed, publicKey));
    changed = manifest;
    changed.size += 1;
    EXPECT_FALSE(IsSignedBy(changed, publicKey));
    changed = manifest;
    changed.sha256[31] ^= 1;
    EXPECT_FALSE(IsSignedBy(changed, publicKey));
    changed = manifest;
    changed.signature[0] ^= 1;
    EXPECT_FALSE(IsSignedBy(changed, publicKey));

    // Signed by someone else.
    changed = manifest;
    Sign(changed, otherSecretKey);
    EXPECT_FALSE(IsSignedBy(changed, publicKey));
}

std::string HexOf(const std::array<unsigned char, 32>& digest) { return HexDigits(digest.data(), digest.size()); }

TEST(FileDigest, SizeAndSha256OfTheWholeFileFromItsStart) {
    TempDir folder;
    const struct {
        std::string bytes;
        const char* sha256;
    } cases[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.File("file.bin");
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        ScopedHandle file(
            CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        // Wherever the file pointer was, the whole file counts.
        SetFilePointer(file.get(), 2, nullptr, FILE_BEGIN);
        std::uint64_t size = 99;
        std::array<unsigned char, 32> digest{};
        ASSERT_TRUE(HashWholeFile(file.get(), size, digest));
        EXPECT_EQ(size, c.bytes.size());
        EXPECT_EQ(HexOf(digest), c.sha256);
    }
}

}  // namespace
