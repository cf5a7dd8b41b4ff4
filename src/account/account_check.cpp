#include "account/account_check.h"

#include "account/login_rules.h"
#include "upload/http_transport.h"

AccountCheck VerifyAccount(const std::string& verifyUrl, const std::string& user,
                           const std::string& hash) {
    CURL* curl = OpenRequest(verifyUrl.c_str());
    if (!curl) return AccountCheck::NotSent;
    curl_slist* headers = NewExpectHeaderList();
    ReplyBuffer reply;
    SetAccountAuthentication(curl, user + ":" + hash);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendReplyChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    const CURLcode result = PerformTransfer(curl);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    if (result != CURLE_OK) return AccountCheck::ConnectionFailed;
    switch (JudgeVerifyReply(reply.text())) {
    case VerifyVerdict::Authorised:
        return AccountCheck::Authorised;
    case VerifyVerdict::Rejected:
        return AccountCheck::Rejected;
    case VerifyVerdict::Invalid:
    default:
        return AccountCheck::InvalidReply;
    }
}
