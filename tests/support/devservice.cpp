#include "support/devservice.h"

#include <windows.h>
#include <bcrypt.h>

#include <curl/curl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/utf.h"
#include "support/temp_dir.h"
#include "upload/json_reader.h"

namespace {

constexpr long kControlTimeoutSeconds = 30;

struct TreeDeleter {
    void operator()(JsonNode* root) const { DestroyJson(root); }
};
using Tree = std::unique_ptr<JsonNode, TreeDeleter>;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// GET, or POST of `body` when given; the status (0 on transport failure).
long Exchange(const std::string& url, const std::string* body, std::string& reply) {
    CURL* curl = curl_easy_init();
    if (!curl) return 0;
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kControlTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    if (body) {
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->c_str());
    }
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    return status;
}

const JsonNode* Member(const JsonNode* node, const wchar_t* name) {
    if (!IsObject(node)) return nullptr;
    const auto found = node->members.find(name);
    return found == node->members.end() ? nullptr : found->second;
}

std::string Text(const JsonNode* node, const wchar_t* name) {
    const JsonNode* value = Member(node, name);
    return IsString(value) ? AsString(value) : std::string();
}

double Number(const JsonNode* node, const wchar_t* name) {
    const JsonNode* value = Member(node, name);
    return value && value->kind == JsonNodeKind::Number ? value->number : -1;
}

LoggedPart ReadPart(const JsonNode* node) {
    LoggedPart part;
    part.name = Text(node, L"name");
    part.hasFilename = IsString(Member(node, L"filename"));
    part.filename = Text(node, L"filename");
    part.contentType = Text(node, L"content_type");
    part.size = Number(node, L"size");
    part.sha256 = Text(node, L"sha256");
    return part;
}

LoggedRequest ReadRequest(const JsonNode* node) {
    LoggedRequest request;
    request.method = Text(node, L"method");
    request.path = Text(node, L"path");
    request.target = Text(node, L"target");
    request.authUser = Text(node, L"auth_user");
    request.authOk = AsBool(Member(node, L"auth_ok"));
    request.fault = Text(node, L"fault");
    request.status = Number(node, L"status");
    request.bodySize = Number(node, L"body_size");
    request.multipartComplete = AsBool(Member(node, L"multipart_complete"));
    if (const JsonNode* headers = Member(node, L"headers")) {
        for (const JsonNode* pair : headers->items) {
            if (pair->items.size() == 2 && IsString(pair->items[0]) && IsString(pair->items[1])) {
                request.headers.emplace_back(AsString(pair->items[0]), AsString(pair->items[1]));
            }
        }
    }
    if (const JsonNode* parts = Member(node, L"parts")) {
        for (const JsonNode* part : parts->items) request.parts.push_back(ReadPart(part));
    }
    return request;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool LoggedRequest::HasHeader(const std::string& name) const {
    for (const auto& header : headers) {
        if (Lower(header.first) == Lower(name)) return true;
    }
    return false;
}

std::string LoggedRequest::Header(const std::string& name) const {
    for (const auto& header : headers) {
        if (Lower(header.first) == Lower(name)) return header.second;
    }
    return "";
}

std::string LoggedRequest::BasicCredentials() const {
    const std::string value = Header("Authorization");
    if (value.rfind("Basic ", 0) != 0) return "";
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string decoded;
    unsigned bits = 0;
    int held = 0;
    for (char c : value.substr(6)) {
        const std::size_t digit = alphabet.find(c);
        if (digit == std::string::npos) break;  // '=' padding or the end
        bits = (bits << 6) | static_cast<unsigned>(digit);
        held += 6;
        if (held >= 8) {
            held -= 8;
            decoded.push_back(static_cast<char>((bits >> held) & 0xFF));
        }
    }
    return decoded;
}

bool DevService::Available() { return !BaseUrl().empty() && !Environment("LIFTORN_DEVSERVICE_DATA").empty(); }

std::string DevService::BaseUrl() { return Environment("LIFTORN_DEVSERVICE_URL"); }

std::string DevService::Url(const std::string& path) { return BaseUrl() + path; }

bool DevService::Control(const std::string& name, const std::string& json) {
    std::string reply;
    return Exchange(Url("/_control/" + name), &json, reply) == 200;
}

bool DevService::AddAccount(const std::string& user, const std::string& sha1Hex) {
    return Control("account", "{\"user\": \"" + user + "\", \"hash\": \"" + sha1Hex + "\"}");
}

std::vector<LoggedRequest> DevService::Requests() {
    std::string reply;
    std::vector<LoggedRequest> requests;
    if (Exchange(Url("/_control/requests"), nullptr, reply) != 200) return requests;
    Tree log(ParseJson(reply.c_str()));
    if (!log || log->kind != JsonNodeKind::Array) return requests;
    for (const JsonNode* entry : log->items) requests.push_back(ReadRequest(entry));
    return requests;
}

std::string DevService::DataPath(const std::string& relative) {
    std::string path = "Z:" + Environment("LIFTORN_DEVSERVICE_DATA") + "/" + relative;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string DevService::StoredUpload(const std::string& publicUrl) {
    const std::string::size_type nameStart = publicUrl.rfind('/');
    if (nameStart == std::string::npos || nameStart == 0) return "";
    const std::string::size_type idStart = publicUrl.rfind('/', nameStart - 1);
    if (idStart == std::string::npos) return "";
    const std::string id = publicUrl.substr(idStart + 1, nameStart - idStart - 1);
    const std::string name = WideToUtf8(WidenLatin1(publicUrl.substr(nameStart + 1)));
    return ReadBytes(DataPath("files/" + id + "/" + name));
}

std::string Sha256Hex(const std::string& bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return "";
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char digest[32];
    bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
    // Fed in pieces: the length argument is 32 bits.
    for (size_t at = 0; ok && at < bytes.size(); at += 1u << 24) {
        const size_t piece = bytes.size() - at < (1u << 24) ? bytes.size() - at : (1u << 24);
        ok = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + at)),
                            static_cast<ULONG>(piece), 0) == 0;
    }
    ok = ok && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) return "";
    std::string hex;
    char digits[3];
    for (unsigned char byte : digest) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

std::string ReplyPath(const std::string& reply) {
    JsonNode* root = ParseJson(reply.c_str());
    std::string path;
    if (IsObject(root) && root->members.count(L"path")) path = AsString(root->members.at(L"path"));
    DestroyJson(root);
    return path;
}

bool WriteServiceConfiguration(const std::string& dataFolder, const std::string& lines) {
    const std::string base = DevService::BaseUrl();
    return WriteBytes(dataFolder + "\\vantorel.conf",
                      "adv_api_upload_uri " + base + "/api/json\r\nadv_api_verify_uri " + base +
                          "/api/json\r\nadv_main_uri " + base + "\r\nadv_latest_version_uri " + base +
                          "/latest_version\r\n" + lines);
}
