// Incremental SHA-1 (FIPS 180) over a byte message, and the 40-digit text form
// the account settings keep instead of the password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class SHA1 {
public:
    SHA1();
    virtual ~SHA1();

    // Back to the empty message; also clears a corrupted state.
    void Restart();

    // Appends bytes to the message. Adding after GetDigest, adding to a
    // corrupted object, null bytes with a non-zero length, or a message longer
    // than 2^64 bits marks the object corrupted. A zero length does nothing.
    void AddBytes(const void* bytes, std::size_t length);

    // The five digest words, word 0 first. False once corrupted. The message
    // is padded on the first call only, so later calls give the same words.
    bool GetDigest(std::uint32_t words[5]);

private:
    void AddByte(std::uint8_t byte);
    void ProcessBlock();
    void PadMessage();

    std::uint32_t chaining_[5];
    std::uint32_t lengthLow_;   // message length in bits, low half
    std::uint32_t lengthHigh_;  // and high half
    std::uint8_t block_[64];
    std::size_t blockFill_;
    bool computed_;
    bool corrupted_;
};

// "%08x" of each word, concatenated: 40 lowercase hex digits.
std::string FormatSha1Digest(const std::uint32_t words[5]);

// The digest text of a byte string; empty if it could not be produced.
std::string Sha1Hex(const std::string& bytes);
