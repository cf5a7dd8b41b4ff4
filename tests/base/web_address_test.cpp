// Which addresses the program hands to the shell to open.
#include "base/web_address.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WebAddress, OnlyHttpAndHttpsWithSomethingAfterThem) {
    struct Case {
        const char* address;
        bool web;
    };
    const Case cases[] = {
        {"http://files.example/a/b.png", true},
        {"https://files.example/a", true},
        {"HtTpS://files.example/", true},
        {"http://", false},
        {"https:/files.example/a", false},
        {"file:///C:/Windows/System32/calc.exe", false},
        {"ms-settings:/a/b", false},
        {"javascript:alert(1)", false},
        {"C:\\Windows\\notepad.exe", false},
        {"\\\\server\\share\\x.exe", false},
        {" http://files.example/a", false},
        {"httpx://files.example/a", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.web, IsWebAddress(std::string(c.address))) << c.address;
        const std::string narrow(c.address);
        EXPECT_EQ(c.web, IsWebAddress(std::wstring(narrow.begin(), narrow.end()))) << c.address;
    }
}

}  // namespace
