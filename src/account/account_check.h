// The service's verdict on a user name and password digest: one GET of the
// verify address with the pair as basic authentication, on the calling
// thread, within the transport's time limits.
#pragma once

#include <string>

enum class AccountCheck {
    NotSent,           // no request could be made of the address
    ConnectionFailed,  // no connection, an HTTP error, a stall, a reply too long
    InvalidReply,      // answered, but not with a boolean "authorised"
    Rejected,
    Authorised,
};

AccountCheck VerifyAccount(const std::string& verifyUrl, const std::string& user,
                           const std::string& hash);
