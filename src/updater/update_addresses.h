// Where the updater looks and what it downloads. Free of Win32.
#pragma once

#include <string>

// The manifest's address, beside the latest-version address the program
// asks: the last part of that address's path becomes "update_manifest"
// (query and fragment dropped). Empty unless the address is http or https.
std::string ManifestAddressNextTo(const std::string& latestVersionAddress);

// The installer's address from the manifest's "installer" field: an http or
// https address as it is, or a plain file name (letters, digits, '.', '-',
// '_', not starting with '.') beside the manifest. Empty for anything else.
std::string ResolveInstallerAddress(const std::string& manifestAddress, const std::string& installerField);
