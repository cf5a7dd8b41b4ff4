#include "account/sha1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// Feeds `message` in pieces of `chunk` bytes and returns the digest text.
std::string HexInChunks(const std::string& message, std::size_t chunk) {
    SHA1 hash;
    for (std::size_t at = 0; at < message.size(); at += chunk) {
        const std::size_t take = std::min(chunk, message.size() - at);
        hash.AddBytes(message.data() + at, take);
    }
    std::uint32_t words[5];
    if (!hash.GetDigest(words)) return {};
    return FormatSha1Digest(words);
}

TEST(Sha1, KnownAnswerVectors) {
    EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    // A byte above 0x7F must be hashed as its unsigned value.
    EXPECT_EQ(Sha1Hex("\xE9"), "1599e9fa41ec68c80230491902786bee889f5bcb");
}

TEST(Sha1, DigestWordsComeWordZeroFirst) {
    SHA1 hash;
    hash.AddBytes("abc", 3);
    std::uint32_t words[5] = {};
    ASSERT_TRUE(hash.GetDigest(words));
    EXPECT_EQ(words[0], 0xA9993E36u);
    EXPECT_EQ(words[4], 0x9CD0D89Du);
}

TEST(Sha1, OneMillionAInUnevenChunks) {
    const std::string million(1000000, 'a');
    const char* expected = "34aa973cd4c4daa4f61eeb2bdbad27316534016f";
    EXPECT_EQ(HexInChunks(million, million.size()), expected);
    EXPECT_EQ(HexInChunks(million, 1), expected);
    EXPECT_EQ(HexInChunks(million, 7), expected);
    EXPECT_EQ(HexInChunks(million, 1000), expected);
    EXPECT_EQ(HexInChunks(million, 4093), expected);
}

// Lengths around the point where the bit length no longer fits the last block.
TEST(Sha1, PaddingAtBlockBoundaries) {
    const struct {
        std::size_t length;
        const char* hex;
    } cases[] = {
        {55, "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
        {56, "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
        {63, "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
        {64, "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
        {65, "11655326c708d70319be2610e8a57d9a5b959d3b"},
        {119, "ee971065aaa017e0632a8ca6c77bb3bf8b1dfc56"},
        {120, "f34c1488385346a55709ba056ddd08280dd4c6d6"},
        {128, "ad5b3fdbcb526778c2839d2f151ea753995e26a0"},
    };
    for (const auto& c : cases) {
        const std::string message(c.length, 'a');
        SCOPED_TRACE(c.length);
        EXPECT_EQ(Sha1Hex(message), c.hex);
        for (std::size_t chunk : {1u, 3u, 55u, 56u, 63u, 64u, 65u}) {
            EXPECT_EQ(HexInChunks(message, chunk), c.hex) << "chunk " << chunk;
        }
    }
}

TEST(Sha1, DigestIsStableAndLaterBytesCorrupt) {
    SHA1 hash;
    hash.AddBytes("abc", 3);
    std::uint32_t first[5] = {};
    std::uint32_t second[5] = {};
    ASSERT_TRUE(hash.GetDigest(first));
    ASSERT_TRUE(hash.GetDigest(second));  // padding happens once only
    EXPECT_EQ(FormatSha1Digest(second), "a9993e364706816aba3e25717850c26c9cd0d89d");

    hash.AddBytes("", 0);  // an empty addition changes nothing
    ASSERT_TRUE(hash.GetDigest(second));
    EXPECT_EQ(FormatSha1Digest(second), FormatSha1Digest(first));

    hash.AddBytes("d", 1);
    EXPECT_FALSE(hash.GetDigest(second));
    hash.AddBytes("e", 1);  // stays corrupted
    EXPECT_FALSE(hash.GetDigest(second));

    hash.Restart();
    hash.AddBytes("abc", 3);
    ASSERT_TRUE(hash.GetDigest(second));
    EXPECT_EQ(FormatSha1Digest(second), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(Sha1, NullBytesWithALengthCorrupt) {
    SHA1 hash;
    hash.AddBytes(nullptr, 0);
    std::uint32_t words[5];
    EXPECT_TRUE(hash.GetDigest(words));
    hash.Restart();
    hash.AddBytes(nullptr, 4);
    EXPECT_FALSE(hash.GetDigest(words));
}

}  // namespace
