// Which history rows the jump list may offer (and delete): only shortcut
// files directly inside the data folder's "urls".
#include "app/recent_uploads.h"

#include <gtest/gtest.h>

namespace {

TEST(RecentUploads, OnlyShortcutFilesInsideTheFolderAreOffered) {
    const std::wstring folder = L"C:\\data\\urls\\";
    EXPECT_TRUE(IsOwnShortcutFile(L"C:\\data\\urls\\ab_photo.png.url", folder));
    EXPECT_TRUE(IsOwnShortcutFile(L"c:\\DATA\\urls\\x.URL", folder));
    EXPECT_FALSE(IsOwnShortcutFile(L"C:\\data\\urls\\..\\..\\boot.url", folder));
    EXPECT_FALSE(IsOwnShortcutFile(L"C:\\data\\urls\\sub/x.url", folder));
    EXPECT_FALSE(IsOwnShortcutFile(L"C:\\data\\urls\\C:x.url", folder));
    EXPECT_FALSE(IsOwnShortcutFile(L"C:\\data\\urls\\photo.png", folder));
    EXPECT_FALSE(IsOwnShortcutFile(L"C:\\data\\urls\\.url", folder));
    EXPECT_FALSE(IsOwnShortcutFile(L"C:\\data\\other\\x.url", folder));
    EXPECT_FALSE(IsOwnShortcutFile(L"", folder));
}

}  // namespace
