// One history entry's view: how its thumbnail is fitted, masked and
// overlaid, what it shows of its row and where its controls sit.
#include "history/gui_history_item.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "base/utf.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/gui_test_support.h"
#include "gui/widget_test_support.h"
#include "history/history_test_support.h"
#include "history/thumbnail_loader.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"

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
    // A view bound to a row, painted at the window's top-left corner.
    GUIHistoryItem* Item(const std::string& thumb, const std::string& fileName = "b.png",
                         const std::string& shortcut = "") {
        GUIHistoryItem* item =
            Add(std::make_unique<GUIHistoryItem>(Parent(), TestInstance(), nullptr, nullptr));
        auto row = std::make_shared<const HistoryRow>(MakeHistoryRow(
            7, "http://x/a/b.png", fileName, "Thur, 03/03/11 09:05", thumb, shortcut));
        item->Bind(row, *LoadPreparedThumbnail(HistoryThumbPath(App().dataFolder, *row)));
        return item;
    }
    RECT Thumb() const { return RECT{0, 0, 69, 69}; }
    // Only the default thumbnail (20 x 20 blue) in the box.
    void ExpectDefaultThumbnail(GUIHistoryItem* item) {
        EXPECT_FALSE(item->ShowsOverlay());
        Repaint();
        EXPECT_EQ(kBlue, Pixel(34, 34));
        const RECT ink = InkBounds(Thumb());
        EXPECT_EQ(20, ink.right - ink.left);
        EXPECT_EQ(20, ink.bottom - ink.top);
    }

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
    EXPECT_EQ(69, ink.right);
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

std::string Little16(unsigned value) { return {char(value), char(value >> 8)}; }

TEST_F(HistoryItemTest, MissingDamagedOrHugeThumbnailShowsTheDefault) {
    // Missing, empty, a signature followed by garbage, and a cut-off PNG.
    ASSERT_TRUE(WriteBytes(ThumbFile("empty.png"), ""));
    ASSERT_TRUE(WriteBytes(ThumbFile("garbage.png"),
                           std::string("\x89PNG\r\n\x1a\n", 8) + std::string(500, '\x55')));
    const std::string whole = EncodePng(30, 30, SolidRgba(30, 30, 255, 0, 0, 255));
    ASSERT_TRUE(WriteBytes(ThumbFile("cut.png"), whole.substr(0, whole.size() / 2)));
    // Whole files whose headers declare sides the image library would size
    // a wrapped 32-bit buffer for (65,500 x 17,000) or could not allocate.
    const std::string jpeg = std::string("\xFF\xD8\xFF\xC0\x00\x11\x08", 7) + "\x42\x68\xFF\xDC" +
                             std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10) +
                             std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 14) +
                             std::string(64, '\x55') + "\xFF\xD9";
    ASSERT_TRUE(WriteBytes(ThumbFile("huge.jpg"), jpeg));
    const std::string gif = "GIF89a" + Little16(65535) + Little16(65535) + std::string("\x80\0\0", 3) +
                            std::string(6, '\x10') + "\x2C" + Little16(0) + Little16(0) +
                            Little16(65535) + Little16(65535) + std::string("\0\x02\x02\x44\x01\0;", 7);
    ASSERT_TRUE(WriteBytes(ThumbFile("huge.gif"), gif));
    for (const char* name :
         {"missing.png", "empty.png", "garbage.png", "cut.png", "huge.jpg", "huge.gif"}) {
        SCOPED_TRACE(name);
        GUIHistoryItem* item = Item(name);
        ExpectDefaultThumbnail(item);
        item->Move(500, 0);  // out of the window, out of the next case's way
    }
    // A row whose stored name was refused shows the default too.
    WriteThumb("fine.png", 69, 69, kRed);
    ExpectDefaultThumbnail(Item("..\\thumbs\\fine.png"));
}

TEST_F(HistoryItemTest, ShowsItsRowAndRebindsToAnother) {
    WriteThumb("a.png", 69, 69, kRed);
    WriteThumb("b.png", 200, 100, kRed);
    GUIHistoryItem* item = Item("a.png", "b \xc3\xa4.png", "a_b.url");
    EXPECT_EQ(7, item->RowId());
    EXPECT_EQ(L"http://x/a/b.png", item->Url());
    EXPECT_EQ(L"b \u00e4.png", item->FileName());
    EXPECT_EQ(L"b \u00e4.png", item->Title()->Label()->Text());
    EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"thumbs\\a.png", HistoryThumbPath(App().dataFolder, *item->Row()));
    EXPECT_EQ(Utf8ToWide(App().dataFolder) + L"urls\\a_b.url", HistoryShortcutPath(App().dataFolder, *item->Row()));
    ASSERT_NE(nullptr, item->DateText());
    EXPECT_EQ(L"Thur, 03/03/11 09:05", item->DateText()->Text());
    EXPECT_EQ(0xA5A5A5u, item->DateText()->Colour());
    EXPECT_EQ(item->Url().c_str(), item->CopyButton()->UserData());

    item->Move(10, 5);
    Repaint();
    EXPECT_EQ(85, item->DateText()->Position().x);
    EXPECT_EQ(26, item->DateText()->Position().y);
    EXPECT_GT(InkBounds(RECT{85, 26, 210, 46}).right, 0);  // the date is drawn
    EXPECT_EQ(kRed, Pixel(44, 39));
    EXPECT_FALSE(item->ShowsOverlay());

    // The same windows and bitmap show another row.
    const HBITMAP bitmap = item->Thumbnail()->Bitmap();
    const HWND copyWindow = item->CopyButton()->Window();
    auto other = std::make_shared<const HistoryRow>(
        MakeHistoryRow(8, "http://x/other.png", "other.png", "Fri, 04/03/11 10:00", "b.png", ""));
    item->Bind(other, *LoadPreparedThumbnail(HistoryThumbPath(App().dataFolder, *other)));
    EXPECT_EQ(8, item->RowId());
    EXPECT_EQ(L"other.png", item->Title()->Label()->Text());
    EXPECT_EQ(L"Fri, 04/03/11 10:00", item->DateText()->Text());
    EXPECT_EQ(item->Url().c_str(), item->CopyButton()->UserData());
    EXPECT_EQ(L"http://x/other.png", item->Url());
    EXPECT_EQ(bitmap, item->Thumbnail()->Bitmap());
    EXPECT_EQ(copyWindow, item->CopyButton()->Window());
    EXPECT_TRUE(item->ShowsOverlay());
    Repaint();
    EXPECT_EQ(kMaskedRed, Pixel(44, 39));
}

TEST_F(HistoryItemTest, ControlsSitBesideTheThumbnailAndLongTitlesAreCut) {
    WriteThumb("a.png", 10, 10, kRed);
    GUIHistoryItem* item = Item("a.png", std::string(60, 'W') + ".png");
    EXPECT_EQ(125, item->Title()->Size().cx);
    EXPECT_EQ(item, item->DeleteButton()->UserData());
    EXPECT_EQ(item, item->Title()->UserData());

    GUIHistoryItem* shortOne = Item("a.png");
    EXPECT_GT(shortOne->Title()->Size().cx, 0);
    EXPECT_LT(shortOne->Title()->Size().cx, 125);
    // A long title bound after a short one is cut again, a short one after
    // a long one is not stretched.
    auto longRow = std::make_shared<const HistoryRow>(
        MakeHistoryRow(9, "u", std::string(60, 'W') + ".png", "d", "a.png", ""));
    shortOne->Bind(longRow, *LoadPreparedThumbnail(L""));
    EXPECT_EQ(125, shortOne->Title()->Size().cx);
    auto shortRow = std::make_shared<const HistoryRow>(MakeHistoryRow(10, "u", "x", "d", "", ""));
    shortOne->Bind(shortRow, *LoadPreparedThumbnail(L""));
    EXPECT_LT(shortOne->Title()->Size().cx, 125);
    shortOne->Move(500, 0);

    item->Move(0, 0);
    Repaint();
    EXPECT_EQ(75, item->CopyButton()->Position().x);
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

// Retry and Remove exist only once a failed upload is shown, and appear only
// while the entry does; a normal row rebinding the view takes them away.
TEST_F(HistoryItemTest, FailedEntriesMakeTheirButtonsWhenFirstShown) {
    const auto noop = [](void*, WPARAM) {};
    GUIHistoryItem* item =
        Add(std::make_unique<GUIHistoryItem>(Parent(), TestInstance(), nullptr, nullptr, noop, noop));
    auto normal = std::make_shared<const HistoryRow>(MakeHistoryRow(3, "u", "a.png", "d", "", ""));
    item->Bind(normal, *LoadPreparedThumbnail(L""));
    EXPECT_EQ(nullptr, item->RetryButton());
    EXPECT_EQ(nullptr, item->RemoveButton());

    item->Show(SW_HIDE);
    auto failed = std::make_shared<FailedUploadRow>();
    failed->failed = true;
    failed->fileName = "notes.txt";
    failed->reason = "The service did not answer";
    item->Bind(failed, *LoadPreparedThumbnail(L""));
    ASSERT_NE(nullptr, item->RetryButton());
    ASSERT_NE(nullptr, item->RemoveButton());
    EXPECT_FALSE(HasVisibleStyle(item->RetryButton()->Window()));  // the entry is hidden
    EXPECT_FALSE(HasVisibleStyle(item->RemoveButton()->Window()));
    EXPECT_EQ(item, item->RetryButton()->UserData());

    item->Show(SW_SHOWNA);
    EXPECT_TRUE(HasVisibleStyle(item->RetryButton()->Window()));
    EXPECT_TRUE(HasVisibleStyle(item->RemoveButton()->Window()));
    EXPECT_FALSE(HasVisibleStyle(item->CopyButton()->Window()));

    item->Bind(normal, *LoadPreparedThumbnail(L""));
    EXPECT_FALSE(HasVisibleStyle(item->RetryButton()->Window()));
    EXPECT_TRUE(HasVisibleStyle(item->CopyButton()->Window()));
}

// The same entry drawn at 150 %: its places and sizes scaled, the thumbnail
// fitted into a box of 104 and masked by the mask resampled to that box (a
// 69-pixel mask would leave its edges transparent).
class HistoryItemAt150 : public HistoryItemTest {
protected:
    void SetUp() override {
        windowDpi_ = 144;
        HistoryItemTest::SetUp();
    }
};

TEST_F(HistoryItemAt150, PlacesSizesAndTheThumbnailAreScaled) {
    WriteThumb("big.png", 200, 200, kRed);
    GUIHistoryItem* item = Add(std::make_unique<GUIHistoryItem>(Parent(), TestInstance(), nullptr, nullptr));
    auto row = std::make_shared<const HistoryRow>(
        MakeHistoryRow(7, "http://x/a/b.png", std::string(60, 'W') + ".png", "d", "big.png", ""));
    const auto thumbnail = LoadPreparedThumbnail(HistoryThumbPath(App().dataFolder, *row), 144);
    EXPECT_EQ(104, thumbnail->box);
    item->Bind(row, *thumbnail);
    EXPECT_EQ(300, item->Size().cx);
    EXPECT_EQ(104, item->Size().cy);
    EXPECT_EQ(188, item->Title()->Size().cx);  // cut at 125 scaled
    EXPECT_TRUE(item->ShowsOverlay());

    item->Move(0, 0);
    Repaint();
    EXPECT_EQ(113, item->CopyButton()->Position().x);
    EXPECT_EQ(66, item->CopyButton()->Position().y);
    EXPECT_EQ(210, item->DeleteButton()->Position().x);
    EXPECT_EQ(30, item->DeleteButton()->Size().cx);
    EXPECT_EQ(kMaskedRed, Pixel(52, 52));
    EXPECT_EQ(kMaskedRed, Pixel(100, 95));  // beyond 69 + 17
    EXPECT_EQ(0u, Pixel(104, 52) >> 24);   // the box ends at 104
    EXPECT_EQ(0xFF5A5A5Au, Pixel(150, 75));  // the copy button's grey, 65 x 20 scaled

    // The default thumbnail is prepared for the same box.
    const auto none = DefaultPreparedThumbnail(144);
    ASSERT_EQ(104u * 104u * 4u, none->bgra.size());
}

}  // namespace
