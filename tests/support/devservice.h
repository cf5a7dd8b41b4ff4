// The development service that scripts/with-devservice.sh started for this
// test process (LIFTORN_DEVSERVICE_URL, LIFTORN_DEVSERVICE_DATA). It is
// reached with libcurl directly, not through the code under test.
#pragma once

#include <string>
#include <utility>
#include <vector>

// One part of a logged multipart body.
struct LoggedPart {
    std::string name;
    std::string filename;  // bytes as sent (ISO-8859-1 is kept byte for byte)
    bool hasFilename = false;
    std::string contentType;
    double size = -1;
    std::string sha256;
};

// One request as the service logged it.
struct LoggedRequest {
    std::string method;
    std::string path;
    std::string target;  // as on the request line (absolute when sent to a proxy)
    std::vector<std::pair<std::string, std::string>> headers;
    std::string authUser;  // empty without a Basic authorization
    bool authOk = false;
    std::string fault;     // the fault mode applied, empty for none
    double status = -1;    // -1 when no answer was sent
    double bodySize = -1;
    bool multipartComplete = false;
    std::vector<LoggedPart> parts;

    bool HasHeader(const std::string& name) const;
    // The first value of the header (name compared without case), or empty.
    std::string Header(const std::string& name) const;
    // "user:password" as a Basic authorization carried it, or empty.
    std::string BasicCredentials() const;
};

class DevService {
public:
    // False when the test does not run under with-devservice.sh.
    static bool Available();
    // "http://127.0.0.1:PORT"
    static std::string BaseUrl();
    static std::string Url(const std::string& path);
    static std::string UploadUrl() { return Url("/api/json"); }

    // POSTs the JSON object to /_control/NAME; true when it answers 200.
    static bool Control(const std::string& name, const std::string& json = "{}");
    static bool SetFault(const std::string& orderJson) { return Control("fault", orderJson); }
    static bool ResetFaults() { return Control("reset"); }
    static bool ClearLog() { return Control("clear"); }
    static bool AddAccount(const std::string& user, const std::string& sha1Hex);

    // The request log, oldest first; empty when it cannot be read.
    static std::vector<LoggedRequest> Requests();

    // The path (UTF-8, Wine's Z: drive) of `relative` ("a/b") below the
    // service's data folder.
    static std::string DataPath(const std::string& relative);
    // The bytes the service stored for an upload, given the public address
    // it answered ("BASE/<id>/<name>", the name as ISO-8859-1 bytes).
    static std::string StoredUpload(const std::string& publicUrl);
};

// Writes `dataFolder`\vantorel.conf pointing every service address of the
// program (upload, verify, main, latest version) at the development
// service, followed by `lines` (CR LF separated).
bool WriteServiceConfiguration(const std::string& dataFolder, const std::string& lines = "");

// The "path" member of an upload reply, or "" when it has none.
std::string ReplyPath(const std::string& reply);

// SHA-256 of the bytes as 64 lower-case hex digits (what the service logs).
std::string Sha256Hex(const std::string& bytes);
