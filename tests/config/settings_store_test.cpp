#include "config/settings_store.h"

#include <gtest/gtest.h>

#include <thread>

#include "config/settings_catalogue.h"

namespace {

TEST(SettingsStore, KeysAreMatchedWithoutRegardToCase) {
    SettingsStore store;
    store.DefineBool(L"ShowTrayIcon", false);
    EXPECT_TRUE(store.SetBool(L"SHOWTRAYICON", true));
    EXPECT_TRUE(store.GetBool(L"showtrayicon"));
    bool value = false;
    EXPECT_TRUE(store.FindBool(L"ShowTrayIcon", value));
    EXPECT_TRUE(value);
}

TEST(SettingsStore, UndefinedKeysGiveDefaultsAndAreNeverCreated) {
    SettingsStore store;
    EXPECT_FALSE(store.SetBool(L"foo", true));
    EXPECT_FALSE(store.SetInt(L"foo", 3));
    EXPECT_FALSE(store.SetString(L"foo", L"bar"));
    EXPECT_FALSE(store.GetBool(L"foo"));
    EXPECT_EQ(0, store.GetInt(L"foo"));
    EXPECT_EQ(L"", store.GetString(L"foo"));
    EXPECT_EQ("", store.FormatLines());
}

TEST(SettingsStore, TablesAreSeparate) {
    SettingsStore store;
    store.DefineInt(L"PositionX", 100);
    EXPECT_FALSE(store.SetBool(L"PositionX", true));
    EXPECT_FALSE(store.SetString(L"PositionX", L"7"));
    EXPECT_EQ(100, store.GetInt(L"PositionX"));
}

TEST(SettingsStore, AdvancedKeysAreMatchedExactly) {
    SettingsStore store;
    store.DefineAdvanced(L"ADV_Main_Uri", L"http://a.example");
    EXPECT_EQ(L"http://a.example", store.GetAdvanced(L"adv_main_uri"));
    EXPECT_EQ(L"", store.GetAdvanced(L"ADV_MAIN_URI"));
    EXPECT_FALSE(store.SetAdvanced(L"ADV_MAIN_URI", L"x"));
    EXPECT_TRUE(store.SetAdvanced(L"adv_main_uri", L"http://b.example"));
    EXPECT_EQ("http://b.example", store.GetAdvancedNarrow(L"adv_main_uri"));
}

TEST(SettingsStore, NarrowConversionKeepsLatin1AndRefusesTheRest) {
    SettingsStore store;
    store.DefineString(L"Username", L"");
    store.SetString(L"Username", L"J\u00f6rg");
    EXPECT_EQ(std::string("J\xf6rg"), store.GetStringNarrow(L"Username"));
    store.SetString(L"Username", L"\u0416enya");
    EXPECT_EQ("", store.GetStringNarrow(L"Username"));
    std::string out = "stale";
    EXPECT_TRUE(store.FindStringNarrow(L"Username", out));
    EXPECT_EQ("", out);
    EXPECT_FALSE(store.FindStringNarrow(L"nothing", out));

    store.SetStringNarrow(L"username", std::string("caf\xe9"));
    EXPECT_EQ(L"caf\u00e9", store.GetString(L"Username"));
}

TEST(SettingsStore, FormatOrdersByTableThenKeyAndSkipsUnchangedAdvanced) {
    SettingsStore store;
    store.DefineString(L"b", L"two words ");
    store.DefineInt(L"Z", -20);
    store.DefineBool(L"y", true);
    store.DefineBool(L"A", false);
    store.DefineAdvanced(L"adv_x", L"d");
    store.DefineAdvanced(L"adv_w", L"d");
    store.SetAdvanced(L"adv_w", L"changed");
    EXPECT_EQ("a false\ny true\nz -20\nb two words \nadv_w changed\n", store.FormatLines());
    store.SetAdvanced(L"adv_w", L"d");
    EXPECT_EQ("a false\ny true\nz -20\nb two words \n", store.FormatLines());
}

TEST(SettingsStore, ValueOutsideTheFileEncodingDropsOnlyItsOwnLine) {
    SettingsStore store;
    store.DefineString(L"a", L"");
    store.DefineString(L"b", L"\u4e2d\u6587");
    store.DefineString(L"c", L"kept");
    EXPECT_EQ("a \nc kept\n", store.FormatLines());
}

TEST(SettingsCatalogue, DefinesEveryDefault) {
    SettingsStore store;
    DefineDefaultSettings(store);
    EXPECT_EQ(530, store.GetInt(L"LiftornHeight"));
    EXPECT_EQ(100, store.GetInt(L"PositionX"));
    EXPECT_EQ(100, store.GetInt(L"PositionY"));
    EXPECT_TRUE(store.GetBool(L"AlwaysOnTop"));
    EXPECT_FALSE(store.GetBool(L"AutocopyURL"));
    EXPECT_TRUE(store.GetBool(L"ShowCloseButton"));
    EXPECT_TRUE(store.GetBool(L"ShowTrayIcon"));
    EXPECT_TRUE(store.GetBool(L"ShowToastAlerts"));
    EXPECT_FALSE(store.GetBool(L"UnderstoodScreenshot"));
    EXPECT_EQ(0, store.GetInt(L"LastUpdateCheck"));
    EXPECT_FALSE(store.GetBool(L"UseIEProxy"));
    EXPECT_TRUE(store.GetBool(L"EnableJumpLists"));
    EXPECT_TRUE(store.GetBool(L"EnableTransparentWindowGrab"));
    EXPECT_TRUE(store.GetBool(L"RunCommandAfterScreenshot"));
    EXPECT_EQ(L"Print", store.GetString(L"HotkeyScreenshot"));
    EXPECT_EQ(L"Alt+Print", store.GetString(L"HotkeyWindowGrab"));
    EXPECT_EQ(L"Ctrl+Shift+V", store.GetString(L"HotkeyClipboard"));
    const std::wstring main = store.GetAdvanced(L"adv_main_uri");
    EXPECT_EQ(0u, main.rfind(L"https://", 0));
    EXPECT_NE(L'/', main.back());
    EXPECT_NE(std::wstring::npos, main.find(L".example"));
    EXPECT_EQ(main + L"/api/json", store.GetAdvanced(L"adv_api_upload_uri"));
    EXPECT_EQ(main + L"/api/json", store.GetAdvanced(L"adv_api_verify_uri"));
    EXPECT_EQ(L"", store.GetAdvanced(L"adv_screenshot_cmd"));
    EXPECT_EQ(L"", store.GetAdvanced(L"adv_screenshot_cmd_args"));
    EXPECT_FALSE(store.GetAdvanced(L"adv_link_shortener").empty());
    EXPECT_EQ(0u, store.GetAdvanced(L"adv_latest_version_uri").rfind(L"https://", 0));
}

TEST(SettingsCatalogue, FreshSaveHoldsThePlainSettingsInOrder) {
    SettingsStore store;
    DefineDefaultSettings(store);
    store.SetInt(L"PositionX", 200);
    store.SetInt(L"PositionY", 150);
    store.SetBool(L"AutocopyURL", true);
    store.SetInt(L"LastUpdateCheck", 1700000000);
    EXPECT_EQ(
        "alwaysontop true\n"
        "autocopyurl true\n"
        "enablejumplists true\n"
        "enabletransparentwindowgrab true\n"
        "runcommandafterscreenshot true\n"
        "showclosebutton true\n"
        "showtoastalerts true\n"
        "showtrayicon true\n"
        "understoodscreenshot false\n"
        "useieproxy false\n"
        "lastupdatecheck 1700000000\n"
        "liftornheight 530\n"
        "positionx 200\n"
        "positiony 150\n"
        "hotkeyclipboard Ctrl+Shift+V\n"
        "hotkeyscreenshot Print\n"
        "hotkeywindowgrab Alt+Print\n"
        "passwordhash \n"
        "username \n",
        store.FormatLines());
}

TEST(SettingsStore, ConcurrentReadersAndWritersSeeWholeValues) {
    SettingsStore store;
    store.DefineString(L"Username", L"");
    const std::wstring a(200, L'a'), b(300, L'b');
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) store.SetString(L"Username", i % 2 ? a : b);
    });
    bool torn = false;
    for (int i = 0; i < 20000; ++i) {
        const std::wstring v = store.GetString(L"Username");
        if (!(v.empty() || v == a || v == b)) torn = true;
    }
    writer.join();
    EXPECT_FALSE(torn);
}

}  // namespace
