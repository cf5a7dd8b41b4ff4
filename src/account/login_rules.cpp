#include "account/login_rules.h"

#include <memory>

#include "account/sha1.h"
#include "base/utf.h"
#include "upload/json_reader.h"

bool PasswordDigest(const std::wstring& password, std::string& digest) {
    std::string bytes;
    if (!NarrowLatin1(password, bytes)) return false;
    digest = Sha1Hex(bytes);
    return !digest.empty();
}

VerifyVerdict JudgeVerifyReply(const char* reply) {
    std::unique_ptr<JsonNode, void (*)(JsonNode*)> root(ParseJson(reply ? reply : ""), &DestroyJson);
    if (!IsObject(root.get())) return VerifyVerdict::Invalid;
    const JsonMembers members = AsObject(root.get());
    const auto answer = members.find(L"authorised");
    if (answer == members.end() || !IsBool(answer->second)) return VerifyVerdict::Invalid;
    return AsBool(answer->second) ? VerifyVerdict::Authorised : VerifyVerdict::Rejected;
}

std::string HostOfUrl(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return std::string();
    const std::size_t start = scheme + 3;
    std::string authority = url.substr(start, url.find_first_of("/?#", start) - start);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);
    return authority;
}

std::wstring ConnectionErrorText(const std::string& host, bool fromSettingsPage) {
    // Host names are ASCII; anything else is shown byte for byte.
    const std::wstring name = WidenLatin1(host);
    if (fromSettingsPage) {
        return L"There was an error connecting to " + name + L". Please try again later, or check your firewall.";
    }
    return L"There was an error connecting to " + name +
           L".\nYou are currently classed as logged out and will need to manually login from the settings page.";
}
