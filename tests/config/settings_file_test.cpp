#include "config/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/temp_dir.h"

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() { DefineDefaultSettings(store); }
    void Apply(const std::string& text) { ApplySettingsText(store, text); }
    SettingsStore store;
};

TEST_F(SettingsFileTest, BoolValuesInAnyCase) {
    Apply("ShowTrayIcon yes\n");
    EXPECT_TRUE(store.GetBool(L"ShowTrayIcon"));
    Apply("ShowTrayIcon on\n");
    EXPECT_FALSE(store.GetBool(L"ShowTrayIcon"));
    Apply("showtrayicon TRUE\n");
    EXPECT_TRUE(store.GetBool(L"ShowTrayIcon"));
    Apply("SHOWTRAYICON 0\nSHOWTRAYICON 1\n");
    EXPECT_TRUE(store.GetBool(L"ShowTrayIcon"));
    Apply("AlwaysOnTop true \n");  // the trailing space is part of the value
    EXPECT_FALSE(store.GetBool(L"AlwaysOnTop"));
}

TEST_F(SettingsFileTest, IntValuesTakeTheLeadingNumber) {
    Apply("positionx -20\n");
    EXPECT_EQ(-20, store.GetInt(L"PositionX"));
    Apply("positionx abc\n");
    EXPECT_EQ(0, store.GetInt(L"PositionX"));
    Apply("positiony 42px\r\nliftornheight +300\r\n");
    EXPECT_EQ(42, store.GetInt(L"PositionY"));
    EXPECT_EQ(300, store.GetInt(L"LiftornHeight"));
    Apply("lastupdatecheck 99999999999999999999\npositionx -99999999999\n");
    EXPECT_EQ(2147483647, store.GetInt(L"LastUpdateCheck"));
    EXPECT_EQ(-2147483647 - 1, store.GetInt(L"PositionX"));
}

TEST_F(SettingsFileTest, StringValuesKeepInnerAndTrailingSpaces) {
    Apply("username   alpha beta  \n");
    EXPECT_EQ(L"alpha beta  ", store.GetString(L"Username"));
    Apply("   passwordhash \tx\n");
    EXPECT_EQ(L"\tx", store.GetString(L"PasswordHash"));
}

TEST_F(SettingsFileTest, LinesWithoutKeyOrValueOrUnknownKeysAreIgnored) {
    Apply("username first\n");
    Apply("username\nusername   \n\n   \nfoo bar\n");
    EXPECT_EQ(L"first", store.GetString(L"Username"));
    EXPECT_EQ(std::string::npos, store.FormatLines().find("foo"));
}

TEST_F(SettingsFileTest, AdvancedKeysAreExactAndReachNoOtherTable) {
    Apply("adv_main_uri http://127.0.0.1:8080\n");
    EXPECT_EQ(L"http://127.0.0.1:8080", store.GetAdvanced(L"adv_main_uri"));
    Apply("ADV_MAIN_URI http://other\n");
    EXPECT_EQ(L"http://127.0.0.1:8080", store.GetAdvanced(L"adv_main_uri"));
    store.DefineString(L"adv_trap", L"untouched");
    Apply("ADV_TRAP changed\n");
    EXPECT_EQ(L"untouched", store.GetString(L"adv_trap"));
}

TEST_F(SettingsFileTest, BytesMapToTheCharactersOfTheSameValue) {
    Apply("username J\xf6rg\xff\n");
    EXPECT_EQ(L"J\u00f6rg\u00ff", store.GetString(L"Username"));
}

TEST_F(SettingsFileTest, OverlongLinesAreCutWithoutTouchingTheNextLines) {
    // A value whose cut-off tail looks like a setting must not become one.
    std::string tail = " showtrayicon false";
    std::string text = "username " + std::string(1014, 'u') + tail + "\r\n" + "positionx 7\r\n";
    Apply(text);
    EXPECT_EQ(1014u, store.GetString(L"Username").size());
    EXPECT_TRUE(store.GetBool(L"ShowTrayIcon"));
    EXPECT_EQ(7, store.GetInt(L"PositionX"));

    // Exactly 1023 characters before the CR LF: all of them count.
    Apply("username " + std::string(1014, 'v') + "\r\n");
    EXPECT_EQ(std::wstring(1014, L'v'), store.GetString(L"Username"));

    Apply(std::string(100000, 'x') + "\npositiony 9\n");
    EXPECT_EQ(9, store.GetInt(L"PositionY"));
}

TEST_F(SettingsFileTest, NulBytesEndOnlyTheirOwnLine) {
    static const char text[] = "username ab\0cd\npositionx 5\n\0\0\npositiony 6";
    Apply(std::string(text, sizeof text - 1));
    EXPECT_EQ(L"ab", store.GetString(L"Username"));
    EXPECT_EQ(5, store.GetInt(L"PositionX"));
    EXPECT_EQ(6, store.GetInt(L"PositionY"));
}

TEST_F(SettingsFileTest, LoneCarriageReturnsAndControlBytesAreData) {
    Apply("username a\rb\x1a\npositionx 3");
    EXPECT_EQ(L"a\rb\x1a", store.GetString(L"Username"));
    EXPECT_EQ(3, store.GetInt(L"PositionX"));
}

TEST_F(SettingsFileTest, SaveAndLoadRoundTrip) {
    TempDir dir;
    const std::string path = dir.File("vantorel.conf");
    store.SetInt(L"PositionX", 200);
    store.SetInt(L"PositionY", -150);
    store.SetString(L"Username", L"J\u00f6rg  ");
    store.SetBool(L"AutocopyURL", true);
    store.SetAdvanced(L"adv_link_shortener", L"tinyurl");
    ASSERT_TRUE(SaveSettingsFile(store, path));

    const std::string saved = ReadBytes(path);
    EXPECT_NE(std::string::npos, saved.find("positionx 200\r\n"));
    EXPECT_NE(std::string::npos, saved.find("username J\xf6rg  \r\n"));
    EXPECT_NE(std::string::npos, saved.find("adv_link_shortener tinyurl\r\n"));
    EXPECT_EQ(std::string::npos, saved.find("adv_main_uri"));
    EXPECT_FALSE(FileExists(path + ".new"));

    SettingsStore reloaded;
    LoadDefaultSettings(reloaded, path);
    EXPECT_EQ(store.FormatLines(), reloaded.FormatLines());

    ASSERT_TRUE(SaveSettingsFile(reloaded, path));
    EXPECT_EQ(saved, ReadBytes(path));
}

TEST_F(SettingsFileTest, AdvancedSettingBackAtItsDefaultIsNotSaved) {
    TempDir dir;
    const std::string path = dir.File("vantorel.conf");
    const std::string original = store.GetAdvancedNarrow(L"adv_link_shortener");
    WriteBytes(path, "adv_link_shortener " + original + "\r\n");
    LoadSettingsFile(store, path);
    ASSERT_TRUE(SaveSettingsFile(store, path));
    EXPECT_EQ(std::string::npos, ReadBytes(path).find("adv_"));
}

TEST_F(SettingsFileTest, MissingFileKeepsDefaults) {
    TempDir dir;
    LoadSettingsFile(store, dir.File("absent.conf"));
    EXPECT_EQ(530, store.GetInt(L"LiftornHeight"));
}

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.File("vantorel.conf");
    WriteBytes(path, "positionx 1\r\n");
    // A folder where the new file would go makes the write fail.
    std::filesystem::create_directory(std::filesystem::u8path(path + ".new"));
    EXPECT_FALSE(SaveSettingsFile(store, path));
    EXPECT_EQ("positionx 1\r\n", ReadBytes(path));
}

TEST_F(SettingsFileTest, SavesIntoAFolderOutsideAscii) {
    TempDir dir;
    const std::string folder = dir.File("\xe6\x97\xa5\xe6\x9c\xac J\xc3\xb6rg");
    std::filesystem::create_directory(std::filesystem::u8path(folder));
    const std::string path = folder + "/vantorel.conf";
    store.SetInt(L"PositionX", 321);
    ASSERT_TRUE(SaveSettingsFile(store, path));
    SettingsStore reloaded;
    LoadDefaultSettings(reloaded, path);
    EXPECT_EQ(321, reloaded.GetInt(L"PositionX"));
}

}  // namespace
