// The update manifest published next to the latest-version text: which
// version is offered, where its installer is, how large it is, its SHA-256,
// and an Ed25519 signature over those fields. Free of Win32.
//
// The text, one field a line, exactly in this order (lines end in LF or
// CR LF):
//
//   vantorel liftorn update
//   version 1.2.6
//   installer vantorel-liftorn-1.2.6-setup.exe
//   size 8123456
//   sha256 <64 lower-case hex digits>
//   signature <128 lower-case hex digits>
//
// "installer" is a file name beside the manifest or an http(s) address. The
// signature covers SignedManifestPayload: the first five lines, each ending
// in LF.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "updater/release_version.h"

// A manifest is a few hundred bytes; anything longer is not one.
inline constexpr std::size_t kManifestLimitBytes = 4096;
// The largest installer the updater downloads.
inline constexpr std::uint64_t kInstallerLimitBytes = 256ull * 1024 * 1024;
inline constexpr std::size_t kInstallerFieldLimit = 1024;

struct UpdateManifest {
    ReleaseVersion version{};
    std::string installer;
    std::uint64_t size = 0;
    std::array<unsigned char, 32> sha256{};
    std::array<unsigned char, 64> signature{};
};

// Reads the text strictly; false (with `manifest` unspecified) for anything
// that is not exactly the form above.
bool ParseUpdateManifest(const std::string& text, UpdateManifest& manifest);

// The bytes the signature covers.
std::string SignedManifestPayload(const UpdateManifest& manifest);

// Lower-case hex digits of `bytes`, and back (false on any other character
// or a wrong length).
std::string HexDigits(const unsigned char* bytes, std::size_t count);
bool ParseHexDigits(const std::string& text, unsigned char* bytes, std::size_t count);
