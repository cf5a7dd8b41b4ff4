#include "gui/skin_catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/utf.h"
#include "support/png_writer.h"
#include "support/prompts.h"
#include "support/temp_dir.h"

namespace {

// A program folder with every skin file of the catalogue.
class SkinCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { UseProgramFolder(temp_.path() + "\\"); }

    void UseProgramFolder(const std::string& folder) {
        folder_ = folder;
        const std::string png = EncodePng(1, 1, SolidRgba(1, 1, 1, 2, 3, 4));
        for (const SkinCatalogueRow& row : SkinCatalogueRows()) {
            const std::string path = folder + WideToUtf8(row.relativePath);
            std::filesystem::create_directories(std::filesystem::path(Utf8ToWide(path)).parent_path());
            ASSERT_TRUE(WriteBytes(path, png)) << path;
        }
    }
    void Remove(const wchar_t* relativePath) {
        ASSERT_TRUE(std::filesystem::remove(Utf8ToWide(folder_) + relativePath));
    }
    std::wstring Expected(const wchar_t* relativePath) const {
        return Utf8ToWide(folder_) + relativePath;
    }

    TempDir temp_;
    std::string folder_;
    RecordedPrompts prompts_;
    // What the catalogue told the user, as message-box texts.
    std::vector<std::wstring> Reported() const { return prompts_.Texts(); }
    bool Load() const { return LoadSkinCatalogue(folder_); }
};

TEST(SkinCatalogueRows, SeventyThreeNamesOverSeventyFilesInElevenFolders) {
    const auto& rows = SkinCatalogueRows();
    ASSERT_EQ(73u, rows.size());
    std::set<std::string> names;
    std::set<std::wstring> files, folders;
    for (const SkinCatalogueRow& row : rows) {
        names.insert(row.name);
        const std::wstring path = row.relativePath;
        EXPECT_EQ(0u, path.rfind(L"skin\\", 0)) << row.name;
        EXPECT_EQ(L".png", path.substr(path.size() - 4)) << row.name;
        files.insert(path);
        folders.insert(path.substr(0, path.find(L'\\', 5)));
    }
    EXPECT_EQ(73u, names.size());
    EXPECT_EQ(70u, files.size());
    EXPECT_EQ(11u, folders.size());
    EXPECT_STREQ("BG_TOP", rows.front().name);
    EXPECT_STREQ("COUNTDOWN_BG", rows.back().name);
}

TEST_F(SkinCatalogueTest, AllPresentLoadsAndEveryNameResolves) {
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Reported().empty());
    for (const SkinCatalogueRow& row : SkinCatalogueRows()) {
        EXPECT_EQ(Expected(row.relativePath), SkinPath(row.name)) << row.name;
    }
    // Hover entries without an image of their own name the normal file.
    EXPECT_EQ(Expected(L"skin\\buttons\\screenshot.png"), SkinPath("BTN_SCREENSHOT_HOVER"));
    EXPECT_EQ(Expected(L"skin\\buttons\\windowgrab.png"), SkinPath("BTN_WNDGRAB_HOVER"));
    EXPECT_EQ(std::wstring(SkinPath("TOGGLE_CLEAR")), SkinPath("TGL_CLEAR"));
    EXPECT_EQ(Expected(L"skin\\history\\no_thumb.png"), SkinPath("HI_DEFAULT_THUMB"));
    EXPECT_TRUE(Reported().empty());
}

TEST_F(SkinCatalogueTest, MissingFileIsReportedWithNameAndPath) {
    Remove(L"skin\\buttons\\close.png");
    EXPECT_FALSE(Load());
    ASSERT_EQ(1u, Reported().size());
    EXPECT_EQ(L"Missing skin file: BTN_CLOSE\nExpected path: " + Expected(L"skin\\buttons\\close.png"),
              Reported()[0]);
    const RecordedPrompt shown = prompts_.All()[0];
    EXPECT_EQ(nullptr, shown.owner);
    EXPECT_EQ(L"vantorel liftorn", shown.caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), shown.type);
}

TEST_F(SkinCatalogueTest, OnlyTheFirstMissingNameInByteOrderIsReported) {
    Remove(L"skin\\scrollbar\\top.png");
    Remove(L"skin\\background\\top.png");
    EXPECT_FALSE(Load());
    ASSERT_EQ(1u, Reported().size());
    EXPECT_EQ(0u, Reported()[0].find(L"Missing skin file: BG_TOP\n"));

    // Byte order, not table order: BTN_SCREENSHOT sorts before its hover name.
    prompts_.Clear();
    UseProgramFolder(folder_);
    Remove(L"skin\\buttons\\screenshot.png");
    EXPECT_FALSE(Load());
    ASSERT_EQ(1u, Reported().size());
    EXPECT_EQ(0u, Reported()[0].find(L"Missing skin file: BTN_SCREENSHOT\n"));

    // "BTN_OK" < "BTN_OK_HOVER" < "BTN_SCREENSHOT" < "BTN_SETTINGS" < "DROP_..."
    prompts_.Clear();
    UseProgramFolder(folder_);
    Remove(L"skin\\droparea\\error.png");
    Remove(L"skin\\buttons\\settings.png");
    Remove(L"skin\\buttons\\ok_hover.png");
    EXPECT_FALSE(Load());
    ASSERT_EQ(1u, Reported().size());
    EXPECT_EQ(0u, Reported()[0].find(L"Missing skin file: BTN_OK_HOVER\n"));
}

TEST_F(SkinCatalogueTest, UnknownIndexReportsAndYieldsEmptyPath) {
    ASSERT_TRUE(Load());
    const wchar_t* path = SkinPath("BTN_NOT_THERE");
    ASSERT_NE(nullptr, path);
    EXPECT_EQ(std::wstring(), path);
    ASSERT_EQ(1u, Reported().size());
    EXPECT_EQ(L"Missing skin index: BTN_NOT_THERE", Reported()[0]);
    // Index names are exact: no case folding.
    EXPECT_EQ(std::wstring(), SkinPath("bg_top"));
}

TEST_F(SkinCatalogueTest, ProgramFolderOutsideAsciiIsKeptAsUnicode) {
    const std::string folder = temp_.path() + "\\Programme \xc3\xa9t\xc3\xa9 \xe6\x97\xa5\\";
    UseProgramFolder(folder);
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Reported().empty());
    const std::wstring path = SkinPath("BG_TOP");
    EXPECT_NE(std::wstring::npos, path.find(L"\\Programme \u00e9t\u00e9 \u65e5\\skin\\background\\top.png"));
}

}  // namespace
