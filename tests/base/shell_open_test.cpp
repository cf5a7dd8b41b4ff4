// What reaches the shell's "open": web addresses only, through the seam.
#include "base/shell_open.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/seams.h"

namespace {

std::vector<std::wstring> opened;
bool RecordOpen(const wchar_t* target) {
    opened.emplace_back(target);
    return true;
}

TEST(ShellOpen, OnlyWebAddressesAreOpened) {
    ScopedSeams seams(Seams{nullptr, &RecordOpen});
    opened.clear();
    EXPECT_TRUE(OpenWebAddress(L"https://files.example/a/b.png"));
    EXPECT_FALSE(OpenWebAddress(L"file:///C:/Windows/System32/calc.exe"));
    EXPECT_FALSE(OpenWebAddress(L"ms-settings:/a/b"));
    EXPECT_FALSE(OpenWebAddress(L"C:\\Windows\\notepad.exe"));
    EXPECT_EQ(std::vector<std::wstring>{L"https://files.example/a/b.png"}, opened);
    // A program's own choice of target goes through unchanged.
    EXPECT_TRUE(OpenWithShell(L"C:\\Program Files\\x\\readme.txt"));
    EXPECT_EQ(L"C:\\Program Files\\x\\readme.txt", opened.back());
}

}  // namespace
