#include "gui/skin_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/utf.h"
#include "gui/image_library.h"
#include "gui/skin_sets.h"
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

// A picture drawn at 100 %, 150 % and 200 % in three colours, loaded for
// monitors of several scalings: the set nearest above, as it is when drawn
// for that DPI, else resampled to the 100 % size scaled; a picture without
// sets is resampled from 100 %, a one-pixel slice keeps its one pixel.
TEST_F(SkinCatalogueTest, PicturesComeFromTheSetNearestAboveTheDpi) {
    const auto write = [&](const wchar_t* relative, int side, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        const std::wstring path = Expected(relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_TRUE(WritePng(WideToUtf8(path), side, side, SolidRgba(side, side, r, g, b, 255)));
    };
    write(L"skin\\background\\top.png", 4, 255, 0, 0);
    write(L"skin\\150\\background\\top.png", 6, 0, 0, 255);
    write(L"skin\\200\\background\\top.png", 8, 0, 255, 0);
    write(L"skin\\background\\bottom.png", 2, 9, 9, 9);  // no sets
    ASSERT_TRUE(Load());
    InitImageLibrary();
    EXPECT_EQ(Expected(L"skin\\150\\background\\top.png"), SkinSetFile(Expected(L"skin\\background\\top.png"), 150));
    EXPECT_EQ(L"", SkinSetFile(L"C:\\elsewhere\\skin\\top.png", 150));

    const struct {
        const char* name;
        int dpi, side;
        std::uint32_t colour;
    } cases[] = {
        {"BG_TOP", 96, 4, 0xFFFF0000},  {"BG_TOP", 144, 6, 0xFF0000FF},  {"BG_TOP", 192, 8, 0xFF00FF00},
        {"BG_TOP", 120, 5, 0xFF0000FF}, {"BG_TOP", 168, 7, 0xFF00FF00},  {"BG_TOP", 240, 10, 0xFF00FF00},
        {"BG_TOP", 72, 3, 0xFFFF0000},  {"BG_BOTTOM", 144, 3, 0xFF090909}, {"BG_BOTTOM", 192, 4, 0xFF090909},
        {"BG_MIDDLE", 192, 1, 0x04000000},  // a one-pixel slice stays one pixel
    };
    for (const auto& c : cases) {
        HBITMAP bitmap = nullptr;
        void* bits = nullptr;
        SIZE size{};
        ASSERT_TRUE(LoadImageBitmap(SkinPath(c.name), &bitmap, &bits, &size, c.dpi)) << c.name << " " << c.dpi;
        EXPECT_EQ(c.side, size.cx) << c.name << " " << c.dpi;
        EXPECT_EQ(c.side, size.cy) << c.name << " " << c.dpi;
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        EXPECT_EQ(c.colour, pixels[size.cx * (size.cy / 2) + size.cx / 2] & (c.colour >> 24 == 0xFF ? ~0u : 0xFF000000))
            << c.name << " " << c.dpi;
        DeleteObject(bitmap);
    }
}

// The skin beside the test program: every picture has its 150 % and 200 %
// set, each its 100 % size scaled, so no monitor at those scales resamples.
TEST(ShippedSkin, EveryPictureHasItsScaledSets) {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder = program;
    folder.resize(folder.find_last_of(L"\\/") + 1);
    InitImageLibrary();
    const auto sizeOf = [](const std::wstring& path) {
        HBITMAP bitmap = nullptr;
        SIZE size{};
        LoadImageBitmap(path.c_str(), &bitmap, nullptr, &size);
        DeleteObject(bitmap);
        return size;
    };
    for (const SkinCatalogueRow& row : SkinCatalogueRows()) {
        const SIZE base = sizeOf(folder + row.relativePath);
        ASSERT_GT(base.cx, 0) << row.name;
        for (const int set : {150, 200}) {
            const SIZE drawn = sizeOf(folder + SkinSetPath(row.relativePath, set));
            EXPECT_EQ(ScaledPictureLength(base.cx, SkinSetDpi(set)), drawn.cx) << row.name << " at " << set;
            EXPECT_EQ(ScaledPictureLength(base.cy, SkinSetDpi(set)), drawn.cy) << row.name << " at " << set;
        }
    }
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
