// Release versions: three decimal numbers ("1.2.6"), each small enough for a
// version resource (at most 65535). Free of Win32.
#pragma once

#include <array>
#include <optional>
#include <string>

using ReleaseVersion = std::array<unsigned, 3>;

// The numbers of a version written strictly as digits and two dots, or
// nothing (signs, blanks, leading zeros, a fourth part, or numbers above
// 65535 are refused).
std::optional<ReleaseVersion> ParseReleaseVersion(const std::string& text);

// True when `candidate` comes after `installed`, major number first.
bool IsLaterRelease(const ReleaseVersion& candidate, const ReleaseVersion& installed);

std::string FormatReleaseVersion(const ReleaseVersion& version);
