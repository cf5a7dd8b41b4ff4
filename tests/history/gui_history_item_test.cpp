#include "history/gui_history_item.h"

#include <sqlite3.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/main_window_handle.h"
#include "base/utf.h"
#include "gui/gui_image.h"
#include "gui/gui_scroll_area.h"
#include "gui/gui_text.h"
#include "gui/gui_test_support.h"
#include "app/history_list.h"
#include "history/history_store.h"
#include "history/history_test_support.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"
#include "gui/widget_test_support.h"

namespace {

constexpr std::uint32_t kGreen = 0xFF00FF00u;      // the test overlay's corner
constexpr std::uint32_t kBlue = 0xFF0000FFu;       // the test default thumbnail
constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kMaskedRed = 0x80800000u;  // red with alpha 255 * 128 / 255

class HistoryItemTest : public WidgetWindowTest {
protected:
    void SetUp() override {
        WidgetWindowTest::SetUp();
        InstallHistoryTestSkin(program_.path());
        App().dataFolder = data_.path() + "\\";
        CreateDirectoryW(Utf8ToWide(App().dataFolder + "thumbs").c_str(), nullptr);
        CreateDirectoryW(Utf8ToWide(App().dataFolder + "urls").c_str(), nullptr);
    }

    std::string ThumbFile(const std::string& name) const {
        return App().dataFolder + "thumbs\\" + name;
    }
    void WriteThumb(const std::string& name, int width, int height, std::uint32_t argb) {
        ASSERT_TRUE(WritePng(ThumbFile(name), width, height,
                             SolidRgba(width, height, std::uint8_t(argb >> 16),
                                       std::uint8_t(argb >> 8), std::uint8_t(argb),
                                       std::uint8_t(argb >> 24))));
    }
    // An item from a row, painted at the window's top-left corner.
    GUIHistoryItem* Item(const std::string& thumb, const wchar_t* shortcut = nullptr) {
        return Add(std::unique_ptr<GUIHistoryItem>(
            GUIHistoryItem::CreateItem(Parent(), TestInstance(), App().dataFolder, "http://x/a/b.png",
                                       L"b.png", "~1kb", "Thur, 03/03/11 09:05", thumb, 7, shortcut)));
    }
    RECT Thumb() const { return RECT{0, 0, 69, 69}; }

    TempDir program_;
    TempDir data_;
};

TEST_F(HistoryItemTest, LargeImageIsCroppedMaskedAndOverlaid) {
    WriteThumb("big.png", 200, 100, kRed);
    GUIHistoryItem* item = Item("big.png");
    EXPECT_TRUE(item->ShowsOverlay());
    Repaint();
    EXPECT_EQ(kMaskedRed, Pixel(34, 34));
    EXPECT_EQ(kMaskedRed, Pixel(68, 68));
    EXPECT_EQ(kGreen, Pixel(1, 1));  // the overlay's corner on top
    EXPECT_EQ(0u, Pixel(69, 34) >> 24);  // nothing right of the box but text
    const RECT ink = InkBounds(Thumb());
    EXPECT_EQ((RECT{0, 0, 69, 69}).right, ink.right);
    EXPECT_EQ(0, ink.left);
    EXPECT_EQ(0, ink.top);
}

TEST_F(HistoryItemTest, ThumbnailFormatComesFromTheBytesNotTheName) {
    // The service sends PNG thumbnails, stored under the uploaded file's name.
    WriteThumb("ab_photo.jpg", 200, 100, kRed);
    GUIHistoryItem* item = Item("ab_photo.jpg");
    EXPECT_TRUE(item->ShowsOverlay());
    Repaint();
    EXPECT_EQ(kMaskedRed, Pixel(34, 34));
}

TEST_F(HistoryItemTest, WideStripIsCentredWithoutMaskOrOverlay) {
    WriteThumb("strip.png", 200, 40, kRed);
    GUIHistoryItem* item = Item("strip.png");
    EXPECT_FALSE(item->ShowsOverlay());
    Repaint();
    const RECT ink = InkBounds(Thumb());
    EXPECT_EQ(0, ink.left);
    EXPECT_EQ(69, ink.right);
    EXPECT_EQ(40, ink.bottom - ink.top);
    EXPECT_GE(ink.top, 14);
    EXPECT_LE(ink.top, 15);
    EXPECT_EQ(kRed, Pixel(34, 34));  // unmasked
    EXPECT_EQ(0u, Pixel(1, 1));      // no overlay
}

TEST_F(HistoryItemTest, SmallImageIsCentredUnscaled) {
    WriteThumb("small.png", 60, 60, 0x80FF0000u);  // half transparent red
    GUIHistoryItem* item = Item("small.png");
    EXPECT_FALSE(item->ShowsOverlay());
    Repaint();
    const RECT ink = InkBounds(Thumb());
    EXPECT_EQ(4, ink.left);
    EXPECT_EQ(60, ink.right - ink.left);
    EXPECT_EQ(60, ink.bottom - ink.top);
    EXPECT_EQ(0x80800000u, Pixel(34, 34));  // premultiplied, not masked
}

TEST_F(HistoryItemTest, TallImagesTakeTheOverlayOnlyWhenWideEnough) {
    WriteThumb("tall.png", 60, 200, kRed);
    WriteThumb("thin.png", 50, 200, kRed);
    EXPECT_TRUE(Item("tall.png")->ShowsOverlay());
    EXPECT_FALSE(Item("thin.png")->ShowsOverlay());
}

TEST_F(HistoryItemTest, MissingOrDamagedThumbnailShowsTheDefault) {
    // Missing, empty, a signature followed by garbage, and a cut-off PNG.
    ASSERT_TRUE(WriteBytes(ThumbFile("empty.png"), ""));
    ASSERT_TRUE(WriteBytes(ThumbFile("garbage.png"),
                           std::string("\x89PNG\r\n\x1a\n", 8) + std::string(500, '\x55')));
    const std::string whole = EncodePng(30, 30, SolidRgba(30, 30, 255, 0, 0, 255));
    ASSERT_TRUE(WriteBytes(ThumbFile("cut.png"), whole.substr(0, whole.size() / 2)));
    for (const char* name : {"missing.png", "empty.png", "garbage.png", "cut.png"}) {
        SCOPED_TRACE(name);
        GUIHistoryItem* item = Item(name);
        EXPECT_FALSE(item->ShowsOverlay());
        Repaint();
        EXPECT_EQ(kBlue, Pixel(34, 34));
        const RECT ink = InkBounds(Thumb());
        EXPECT_EQ(20, ink.right - ink.left);
        EXPECT_EQ(20, ink.bottom - ink.top);
        item->Move(500, 0);  // out of the window, out of the next case's way
    }
}

TEST_F(HistoryItemTest, KeepsRowFieldsAndShowsTheDate) {
    WriteThumb("a.png", 10, 10, kRed);
    GUIHistoryItem* item = Item("a.png", L"b \u00e4.url");
    EXPECT_EQ(7, item->RowId());
    EXPECT_EQ(L"http://x/a/b.png", item->Url());
    EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"thumbs\\a.png", item->ThumbPath());
    EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"urls\\b \u00e4.url", item->ShortcutPath());
    ASSERT_NE(nullptr, item->DateText());
    EXPECT_EQ(L"Thur, 03/03/11 09:05", item->DateText()->Text());
    EXPECT_EQ(0xA5A5A5u, item->DateText()->Colour());
    EXPECT_EQ(nullptr, item->Title());
    EXPECT_EQ(nullptr, item->CopyButton());

    item->Move(10, 5);
    Repaint();
    EXPECT_EQ((POINT{85, 26}).x, item->DateText()->Position().x);
    EXPECT_EQ(26, item->DateText()->Position().y);
    EXPECT_GT(InkBounds(RECT{85, 26, 210, 46}).right, 0);  // the date is drawn
}

TEST_F(HistoryItemTest, ControlsSitBesideTheThumbnailAndLongTitlesAreCut) {
    WriteThumb("a.png", 10, 10, kRed);
    GUIHistoryItem* item = Add(std::unique_ptr<GUIHistoryItem>(
        GUIHistoryItem::CreateItem(Parent(), TestInstance(), App().dataFolder, "http://x/u",
                                   std::wstring(60, L'W') + L".png", "~1kb", "d", "a.png", 3, nullptr)));
    item->CreateControls(nullptr, DeleteHistoryEntry);
    ASSERT_NE(nullptr, item->Title());
    EXPECT_EQ(125, item->Title()->Size().cx);
    EXPECT_EQ(item->Url().c_str(), item->CopyButton()->UserData());
    EXPECT_EQ(item, item->DeleteButton()->UserData());
    EXPECT_EQ(item, item->Title()->UserData());

    GUIHistoryItem* shortOne = Item("a.png");
    shortOne->CreateControls(nullptr, DeleteHistoryEntry);
    EXPECT_GT(shortOne->Title()->Size().cx, 0);
    EXPECT_LT(shortOne->Title()->Size().cx, 125);

    item->Move(0, 0);
    Repaint();
    EXPECT_EQ((POINT{75, 44}).x, item->CopyButton()->Position().x);
    EXPECT_EQ(44, item->CopyButton()->Position().y);
    EXPECT_EQ(140, item->DeleteButton()->Position().x);
    EXPECT_EQ(0xFF5A5A5Au, Pixel(100, 50));  // the copy button's grey
    EXPECT_EQ(0xFF5A5A5Au, Pixel(150, 50));  // the delete button's grey

    item->Show(SW_HIDE);
    EXPECT_FALSE(item->IsVisible());
    EXPECT_FALSE(HasVisibleStyle(item->CopyButton()->Window()));
    EXPECT_FALSE(HasVisibleStyle(item->Title()->Window()));
    item->Show(SW_SHOWNA);
    EXPECT_TRUE(item->IsVisible());
}

// The delete action against a real store, list and files.
class HistoryDeleteTest : public HistoryItemTest {
protected:
    void SetUp() override {
        HistoryItemTest::SetUp();
        list_ = std::make_unique<GUIScrollArea>(Parent(), TestInstance(), 0, 0, 216, 100);
        App().historyList = list_.get();
        App().historyDatabase = nullptr;
    }
    void TearDown() override {
        PumpUntilCollapsed();
        App().historyList = nullptr;
        const std::vector<GUIObject*> left = list_->Items();
        list_.reset();
        for (GUIObject* item : left) delete item;
        store_.reset();
        App().historyDatabase = nullptr;
        HistoryItemTest::TearDown();
    }
    void PumpUntilCollapsed() {
        for (int i = 0; i < 200 && list_ && !list_->PendingRemovals().empty(); ++i) {
            PumpMessages();
            Sleep(10);
        }
    }
    int Rows() {
        sqlite3* db = nullptr;
        sqlite3_open((App().dataFolder + "history.db").c_str(), &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM history", -1, &statement, nullptr);
        const int rows = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0)
                                                              : -1;
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

    std::unique_ptr<GUIScrollArea> list_;
    std::unique_ptr<HistoryStore> store_;
};

TEST_F(HistoryDeleteTest, StartUpLoadingPutsTheNewestFirstAndDeleteRemovesEverything) {
    {
        HistoryStore writer(nullptr, TestInstance(), App().dataFolder);
        ASSERT_TRUE(writer.Open(App().dataFolder + "history.db"));
        for (const char* name : {"one", "two", "three"}) {
            WriteThumb(std::string(name) + ".png", 10, 10, kRed);
            delete writer.Insert(std::string(name) + ".png", Utf8ToWide(name), "~1kb",
                                 std::string("http://x/") + name,
                                 std::string(name) == "two" ? nullptr : L"s.url");
        }
    }
    ASSERT_TRUE(WriteBytes(App().dataFolder + "urls\\s.url", "[InternetShortcut]"));

    store_ = LoadHistoryList(TestInstance(), nullptr);
    ASSERT_NE(nullptr, App().historyDatabase);
    ASSERT_EQ(3u, list_->Items().size());
    auto* newest = static_cast<GUIHistoryItem*>(list_->Items()[0]);
    auto* middle = static_cast<GUIHistoryItem*>(list_->Items()[1]);
    EXPECT_EQ(L"three", newest->FileName());
    EXPECT_EQ(L"two", middle->FileName());
    EXPECT_EQ(L"one", static_cast<GUIHistoryItem*>(list_->Items()[2])->FileName());
    EXPECT_NE(nullptr, newest->Title());
    EXPECT_EQ(list_->ContentWindow(), newest->ParentWindow());

    // Without a shortcut file only the thumbnail and the row go. The main
    // window is asked to rebuild the jump list (Wine reports Windows 7).
    SetMainWindowHandle(Parent());
    DeleteHistoryEntry(middle, 0);
    SetMainWindowHandle(nullptr);
    MSG posted{};
    EXPECT_TRUE(PeekMessageW(&posted, Parent(), RegisterWindowMessageW(L"vlt.UpdateJumpList"),
                             RegisterWindowMessageW(L"vlt.UpdateJumpList"), PM_REMOVE));
    EXPECT_FALSE(FileExists(ThumbFile("two.png")));
    EXPECT_TRUE(FileExists(App().dataFolder + "urls\\s.url"));
    EXPECT_EQ(2, Rows());
    EXPECT_EQ(2u, App().historyDatabase->Items().size());
    PumpUntilCollapsed();
    EXPECT_EQ(2u, list_->Items().size());

    DeleteHistoryEntry(newest, 0);
    EXPECT_FALSE(FileExists(ThumbFile("three.png")));
    EXPECT_FALSE(FileExists(App().dataFolder + "urls\\s.url"));
    EXPECT_TRUE(FileExists(ThumbFile("one.png")));
    EXPECT_EQ(1, Rows());
    PumpUntilCollapsed();
    ASSERT_EQ(1u, list_->Items().size());
    EXPECT_EQ(L"one", static_cast<GUIHistoryItem*>(list_->Items()[0])->FileName());
}

}  // namespace
