#include "updater/update_addresses.h"

#include "base/web_address.h"

namespace {

// The address up to and including the last '/' of its path, without query
// or fragment; a bare "scheme://host" gains the '/'.
std::string FolderOf(const std::string& address) {
    std::string base = address.substr(0, address.find_first_of("?#"));
    const std::size_t authority = base.find("://") + 3;
    const std::size_t slash = base.rfind('/');
    if (slash == std::string::npos || slash < authority) return base + "/";
    return base.substr(0, slash + 1);
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name[0] == '.') return false;
    for (const char c : name) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '.' && c != '-' && c != '_') return false;
    }
    return true;
}

}  // namespace

std::string ManifestAddressNextTo(const std::string& latestVersionAddress) {
    if (!IsWebAddress(latestVersionAddress)) return std::string();
    return FolderOf(latestVersionAddress) + "update_manifest";
}

std::string ResolveInstallerAddress(const std::string& manifestAddress, const std::string& installerField) {
    if (!IsWebAddress(manifestAddress)) return std::string();
    if (installerField.find("://") != std::string::npos) {
        return IsWebAddress(installerField) ? installerField : std::string();
    }
    if (!IsPlainFileName(installerField)) return std::string();
    return FolderOf(manifestAddress) + installerField;
}
