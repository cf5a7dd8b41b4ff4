#include "account/sha1.h"

#include <cstdio>
#include <exception>

namespace {

constexpr std::uint32_t kInitialChaining[5] = {
    0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u,
};

std::uint32_t RotateLeft(std::uint32_t value, unsigned bits) {
    return (value << bits) | (value >> (32u - bits));
}

}  // namespace

SHA1::SHA1() {
    Restart();
}

SHA1::~SHA1() = default;

void SHA1::Restart() {
    for (int i = 0; i < 5; ++i) chaining_[i] = kInitialChaining[i];
    lengthLow_ = 0;
    lengthHigh_ = 0;
    for (std::uint8_t& byte : block_) byte = 0;
    blockFill_ = 0;
    computed_ = false;
    corrupted_ = false;
}

void SHA1::AddBytes(const void* bytes, std::size_t length) {
    if (length == 0) return;
    if (computed_ || corrupted_ || bytes == nullptr) {
        corrupted_ = true;
        return;
    }
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    for (std::size_t i = 0; i < length && !corrupted_; ++i) AddByte(data[i]);
}

void SHA1::AddByte(std::uint8_t byte) {
    block_[blockFill_++] = byte;
    lengthLow_ += 8;
    if (lengthLow_ == 0) {
        ++lengthHigh_;
        if (lengthHigh_ == 0) corrupted_ = true;  // more than 2^64 bits
    }
    if (blockFill_ == sizeof(block_)) ProcessBlock();
}

void SHA1::ProcessBlock() {
    std::uint32_t schedule[80];
    for (int t = 0; t < 16; ++t) {
        schedule[t] = (static_cast<std::uint32_t>(block_[t * 4]) << 24) |
                      (static_cast<std::uint32_t>(block_[t * 4 + 1]) << 16) |
                      (static_cast<std::uint32_t>(block_[t * 4 + 2]) << 8) |
                      static_cast<std::uint32_t>(block_[t * 4 + 3]);
    }
    for (int t = 16; t < 80; ++t) {
        schedule[t] = RotateLeft(
            schedule[t - 3] ^ schedule[t - 8] ^ schedule[t - 14] ^ schedule[t - 16], 1);
    }

    std::uint32_t a = chaining_[0];
    std::uint32_t b = chaining_[1];
    std::uint32_t c = chaining_[2];
    std::uint32_t d = chaining_[3];
    std::uint32_t e = chaining_[4];
    for (int t = 0; t < 80; ++t) {
        std::uint32_t f;
        std::uint32_t k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const std::uint32_t temp = RotateLeft(a, 5) + f + e + k + schedule[t];
        e = d;
        d = c;
        c = RotateLeft(b, 30);
        b = a;
        a = temp;
    }
    chaining_[0] += a;
    chaining_[1] += b;
    chaining_[2] += c;
    chaining_[3] += d;
    chaining_[4] += e;
    blockFill_ = 0;
}

void SHA1::PadMessage() {
    // A one bit, zeros up to 56 bytes into a block (spilling into a further
    // block when the length no longer fits), then the bit length big-endian.
    block_[blockFill_++] = 0x80;
    if (blockFill_ > 56) {
        while (blockFill_ < sizeof(block_)) block_[blockFill_++] = 0;
        ProcessBlock();
    }
    while (blockFill_ < 56) block_[blockFill_++] = 0;
    for (int i = 0; i < 4; ++i) {
        block_[56 + i] = static_cast<std::uint8_t>(lengthHigh_ >> (24 - 8 * i));
        block_[60 + i] = static_cast<std::uint8_t>(lengthLow_ >> (24 - 8 * i));
    }
    blockFill_ = sizeof(block_);
    ProcessBlock();
}

bool SHA1::GetDigest(std::uint32_t words[5]) {
    if (corrupted_) return false;
    if (!computed_) {
        PadMessage();
        computed_ = true;
    }
    for (int i = 0; i < 5; ++i) words[i] = chaining_[i];
    return true;
}

std::string FormatSha1Digest(const std::uint32_t words[5]) {
    char text[41];
    std::snprintf(text, sizeof(text), "%08x%08x%08x%08x%08x",
                  static_cast<unsigned>(words[0]), static_cast<unsigned>(words[1]),
                  static_cast<unsigned>(words[2]), static_cast<unsigned>(words[3]),
                  static_cast<unsigned>(words[4]));
    try {
        return std::string(text, 40);
    } catch (const std::exception&) {
        return {};
    }
}

std::string Sha1Hex(const std::string& bytes) {
    SHA1 hash;
    hash.AddBytes(bytes.data(), bytes.size());
    std::uint32_t words[5];
    if (!hash.GetDigest(words)) return {};
    return FormatSha1Digest(words);
}
