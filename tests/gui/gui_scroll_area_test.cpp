#include "gui/gui_scroll_area.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "base/utf.h"
#include "base/window_task.h"
#include "gui/gui_image.h"
#include "gui/gui_page.h"
#include "gui/skinnable_window.h"
#include "gui_test_support.h"
#include "support/png_writer.h"
#include "support/temp_dir.h"

namespace {

// Scroll-bar pieces, each one opaque colour.
constexpr std::uint32_t kTrackTop = 0xFFFF0000u;
constexpr std::uint32_t kTrackMiddle = 0xFF00FF00u;
constexpr std::uint32_t kTrackBottom = 0xFF0000FFu;
constexpr std::uint32_t kThumbTop = 0xFFFFFF00u;
constexpr std::uint32_t kThumbMiddle = 0xFF00FFFFu;
constexpr std::uint32_t kThumbBottom = 0xFFFF00FFu;

// The area: x 20, y 10, 100 x 200. Its bar column is x 105 to 118, its list
// x 20 to 103.
constexpr int kX = 20, kY = 10, kWidth = 100, kHeight = 200;
constexpr int kBarColumn = 110;
constexpr int kItemHeight = 60;

std::uint32_t ItemColour(int index) {
    return 0xFF000080u | (static_cast<std::uint32_t>(20 * (index + 1)) << 16);
}

std::vector<const void*>* removedItems = nullptr;
void RecordRemoval(const void* item) {
    if (removedItems) removedItems->push_back(item);
}

class GUIScrollAreaTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinnableWindow>(TestInstance(), 200, 240, 1, L"scrolling",
                                                    WS_POPUP, 0);
        window_->Show(SW_SHOWNOACTIVATE);
        paths_ = {Png("track_top.png", 14, 7, kTrackTop), Png("track_middle.png", 14, 1, kTrackMiddle),
                  Png("track_bottom.png", 14, 7, kTrackBottom), Png("thumb_top.png", 14, 7, kThumbTop),
                  Png("thumb_middle.png", 14, 1, kThumbMiddle),
                  Png("thumb_bottom.png", 14, 7, kThumbBottom)};
        area_ = window_->AddPainter(std::make_unique<GUIScrollArea>(
            Main(), TestInstance(), kX, kY, kWidth, kHeight,
            ScrollBarImagePaths{paths_[0].c_str(), paths_[1].c_str(), paths_[2].c_str(), paths_[3].c_str(),
                                paths_[4].c_str(), paths_[5].c_str()}));
        area_->SetItemHeight(kItemHeight);
        area_->SetRemovalFunction(RecordRemoval);
        removedItems = &removed_;
    }
    void TearDown() override {
        PumpMessages();
        removedItems = nullptr;
    }

    std::wstring Png(const char* name, int width, int height, std::uint32_t argb) {
        const std::string path = temp_.File(name);
        EXPECT_TRUE(WritePng(path, width, height,
                             SolidRgba(width, height, argb >> 16, argb >> 8, argb, argb >> 24)));
        return Utf8ToWide(path);
    }
    HWND Main() const { return window_->MainWindow(); }

    // Items are as wide as the whole area, so the list's clip shows.
    ProbeWidget* NewItem(std::uint32_t colour) {
        items_.push_back(std::make_unique<ProbeWidget>(area_->ContentWindow(), 0, 0, kWidth,
                                                       kItemHeight, colour));
        return items_.back().get();
    }
    // n items, index 0 at the top.
    void Fill(int count) {
        std::vector<ProbeWidget*> made;
        for (int i = 0; i < count; ++i) made.push_back(NewItem(ItemColour(i)));
        for (int i = count - 1; i >= 0; --i) area_->AddItem(made[i], false);
    }
    void Tick(int times) {
        for (int i = 0; i < times; ++i) {
            SendMessageW(area_->ThumbWindow(), WM_TIMER, GUIScrollArea::kAnimationTimer, 0);
        }
    }
    void Repaint() {
        window_->Relayout(nullptr);
        window_->PaintNow();
    }
    std::uint32_t Pixel(int x, int y) const { return window_->BackBufferPixel(x, y); }
    RECT ThumbRect() const {
        RECT rect{};
        GetWindowRect(area_->ThumbWindow(), &rect);
        MapWindowPoints(HWND_DESKTOP, Main(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    int ItemTop(int index) const { return area_->ViewAt(index)->Position().y - kY; }

    TempDir temp_;
    std::vector<std::wstring> paths_;
    std::unique_ptr<SkinnableWindow> window_;
    GUIScrollArea* area_ = nullptr;  // the window's (or a test's page's)
    std::vector<std::unique_ptr<ProbeWidget>> items_;
    std::vector<const void*> removed_;
};

TEST_F(GUIScrollAreaTest, ShortListStacksItemsWithoutABar) {
    Fill(3);  // 180 pixels in a view of 198
    Repaint();
    ASSERT_EQ(3u, area_->Items().size());
    EXPECT_EQ(0, ItemTop(0));
    EXPECT_EQ(60, ItemTop(1));
    EXPECT_EQ(120, ItemTop(2));
    EXPECT_EQ(kX, area_->ViewAt(2)->Position().x);
    EXPECT_FALSE(HasVisibleStyle(area_->ThumbWindow()));

    EXPECT_EQ(ItemColour(0), Pixel(30, kY + 5));
    EXPECT_EQ(ItemColour(1), Pixel(30, kY + 65));
    EXPECT_EQ(ItemColour(2), Pixel(103, kY + 125));
    EXPECT_EQ(0u, Pixel(104, kY + 5));          // the list stops 16 pixels short
    EXPECT_EQ(0u, Pixel(kBarColumn, kY + 5));   // no bar
    EXPECT_EQ(0u, Pixel(30, kY + 185));

    // The content window covers the parent but takes input only over the list.
    RECT box{};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(area_->ContentWindow(), region));
    GetRgnBox(region, &box);
    DeleteObject(region);
    EXPECT_EQ(kX, box.left);
    EXPECT_EQ(kY, box.top);
    EXPECT_EQ(kX + kWidth - 16, box.right);
    EXPECT_EQ(kY + kHeight, box.bottom);
    EXPECT_EQ(HTTRANSPARENT, SendMessageW(area_->ContentWindow(), WM_NCHITTEST, 0, 0));
    EXPECT_EQ(Main(), GetParent(area_->ContentWindow()));
}

TEST_F(GUIScrollAreaTest, LongListDrawsTrackAndThumbAtBothEnds) {
    Fill(10);  // 600 pixels: thumb 198 * 198 / 600 = 65
    Repaint();
    EXPECT_EQ(65, area_->ThumbHeight());
    ASSERT_TRUE(HasVisibleStyle(area_->ThumbWindow()));
    RECT thumb = ThumbRect();
    EXPECT_EQ(kX + kWidth - 13, thumb.left);
    EXPECT_EQ(kY + 3, thumb.top);
    EXPECT_EQ(GUIScrollArea::kThumbWidth, thumb.right - thumb.left);
    EXPECT_EQ(65, thumb.bottom - thumb.top);

    // Thumb at the top (rows 11 to 75) over the track (rows 11 to 208).
    EXPECT_EQ(kThumbTop, Pixel(kBarColumn, kY + 1));
    EXPECT_EQ(kThumbMiddle, Pixel(kBarColumn, kY + 8));
    EXPECT_EQ(kThumbMiddle, Pixel(kBarColumn, kY + 58));
    EXPECT_EQ(kThumbBottom, Pixel(kBarColumn, kY + 59));
    EXPECT_EQ(kThumbBottom, Pixel(kBarColumn, kY + 65));
    EXPECT_EQ(kTrackMiddle, Pixel(kBarColumn, kY + 66));
    EXPECT_EQ(kTrackMiddle, Pixel(kBarColumn, kY + 191));
    EXPECT_EQ(kTrackBottom, Pixel(kBarColumn, kY + 192));
    EXPECT_EQ(kTrackBottom, Pixel(kBarColumn, kY + 198));
    EXPECT_EQ(0u, Pixel(kBarColumn, kY + 199));
    EXPECT_EQ(0u, Pixel(kBarColumn, kY));
    EXPECT_EQ(kTrackMiddle, Pixel(kX + kWidth - 15, kY + 100));
    EXPECT_EQ(kTrackMiddle, Pixel(kX + kWidth - 2, kY + 100));
    EXPECT_EQ(0u, Pixel(kX + kWidth - 1, kY + 100));
    // The fourth item is cut at the area's bottom; the rest are parked below
    // the list, where the content window's region hides their windows.
    EXPECT_EQ(ItemColour(3), Pixel(30, kY + kHeight - 1));
    EXPECT_EQ(0u, Pixel(30, kY + kHeight));
    for (int i = 4; i < 10; ++i) EXPECT_EQ(kHeight, ItemTop(i)) << i;

    area_->SetScrollPosition(100);  // offset 402
    Repaint();
    thumb = ThumbRect();
    EXPECT_EQ(kY + 136, thumb.top);
    EXPECT_EQ(kTrackTop, Pixel(kBarColumn, kY + 1));
    EXPECT_EQ(kTrackMiddle, Pixel(kBarColumn, kY + 100));
    EXPECT_EQ(kThumbTop, Pixel(kBarColumn, kY + 134));
    EXPECT_EQ(kThumbMiddle, Pixel(kBarColumn, kY + 141));
    EXPECT_EQ(kThumbBottom, Pixel(kBarColumn, kY + 198));
    EXPECT_EQ(138, ItemTop(9));
    EXPECT_EQ(-42, ItemTop(6));  // partly shown, cut at the area's top
    EXPECT_EQ(ItemColour(6), Pixel(30, kY));
    EXPECT_EQ(ItemColour(6), Pixel(30, kY + 17));
    EXPECT_EQ(ItemColour(7), Pixel(30, kY + 18));
    EXPECT_EQ(0u, Pixel(30, kY - 1));
    // Items above the view are parked above the list and not painted.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(-kItemHeight, ItemTop(i)) << i;
    auto* first = static_cast<ProbeWidget*>(area_->ViewAt(0));
    const size_t paints = first->paints.size();
    Repaint();
    EXPECT_EQ(paints, first->paints.size());
}

TEST_F(GUIScrollAreaTest, WheelStepsAreAThirdOfAnItemAndStopAtTheEnds) {
    Fill(10);
    area_->ScrollDown();
    EXPECT_EQ(20, area_->ScrollOffset());   // a third of 60 pixels
    EXPECT_EQ(4, area_->ScrollPosition());  // of 402
    area_->ScrollUp();
    area_->ScrollUp();
    EXPECT_EQ(0, area_->ScrollOffset());
    for (int i = 0; i < 30; ++i) area_->ScrollDown();
    EXPECT_EQ(402, area_->ScrollOffset());
    EXPECT_EQ(100, area_->ScrollPosition());
    area_->ScrollUp();
    EXPECT_EQ(382, area_->ScrollOffset());
    area_->SetScrollPosition(50);
    EXPECT_EQ(201, area_->ScrollOffset());
    area_->SetScrollPosition(-3);
    EXPECT_EQ(0, area_->ScrollPosition());
    area_->SetScrollPosition(250);
    EXPECT_EQ(100, area_->ScrollPosition());
}

TEST_F(GUIScrollAreaTest, AnimatedInsertSlidesTheListDownThenShowsTheItem) {
    Fill(3);
    ProbeWidget* fresh = NewItem(0xFFFFFFFFu);
    EXPECT_FALSE(area_->AddItem(nullptr, true));
    EXPECT_FALSE(area_->IsAnimating());
    ASSERT_TRUE(area_->AddItem(fresh, true));
    EXPECT_TRUE(area_->IsAnimating());
    EXPECT_EQ(3u, area_->Items().size());

    Tick(3);
    EXPECT_EQ(30, area_->InsertOffset());
    Repaint();
    EXPECT_EQ(30, ItemTop(0));
    EXPECT_EQ(0u, Pixel(30, kY + 5));  // the gap the new item will fill
    EXPECT_EQ(ItemColour(0), Pixel(30, kY + 35));
    EXPECT_EQ(-kItemHeight, fresh->Position().y - kY);  // not drawn yet, parked

    Tick(3);
    EXPECT_EQ(60, area_->InsertOffset());
    EXPECT_EQ(3u, area_->Items().size());
    Tick(1);  // the seventh tick inserts it
    EXPECT_EQ(0, area_->InsertOffset());
    ASSERT_EQ(4u, area_->Items().size());
    EXPECT_EQ(fresh, area_->ViewAt(0));
    EXPECT_EQ(0u, area_->PendingInsertCount());
    Repaint();
    EXPECT_EQ(0xFFFFFFFFu, Pixel(30, kY + 5));
    EXPECT_EQ(ItemColour(0), Pixel(30, kY + 65));
    // Four items (240) no longer fit: the bar appears.
    EXPECT_TRUE(HasVisibleStyle(area_->ThumbWindow()));

    EXPECT_TRUE(area_->IsAnimating());
    Tick(1);  // nothing pending: the timer stops
    EXPECT_FALSE(area_->IsAnimating());
}

TEST_F(GUIScrollAreaTest, AnimatedRemovalCollapsesTheItemThenHandsItOver) {
    Fill(4);
    GUIObject* second = area_->ViewAt(1);
    GUIObject* fourth = area_->ViewAt(3);
    ProbeWidget stranger(area_->ContentWindow(), 0, 0, 10, 10, 0);
    EXPECT_EQ(nullptr, area_->RemoveItem(&stranger, true));
    EXPECT_FALSE(area_->IsAnimating());

    EXPECT_EQ(second, area_->RemoveItem(second, true));
    EXPECT_EQ(second, area_->RemoveItem(second, true));  // asked twice, collapses once
    EXPECT_EQ(fourth, area_->RemoveItem(fourth, true));
    EXPECT_TRUE(area_->IsAnimating());
    EXPECT_EQ(4u, area_->Items().size());
    Tick(3);
    EXPECT_EQ(30, area_->RemovalOffset());
    Repaint();
    EXPECT_EQ(0, ItemTop(0));
    EXPECT_EQ(90, ItemTop(2));  // the third item rises into the second's place
    EXPECT_EQ(ItemColour(0), Pixel(30, kY + 59));
    EXPECT_EQ(0u, Pixel(30, kY + 60));
    EXPECT_EQ(ItemColour(2), Pixel(30, kY + 90));
    EXPECT_TRUE(removed_.empty());

    Tick(4);  // seven ticks in all
    ASSERT_EQ(1u, removed_.size());
    EXPECT_EQ(second, removed_[0]);
    ASSERT_EQ(3u, area_->Items().size());
    EXPECT_EQ(0, area_->RemovalOffset());
    // The next collapse runs by itself afterwards.
    Tick(7);
    ASSERT_EQ(2u, removed_.size());
    EXPECT_EQ(fourth, removed_[1]);
    EXPECT_EQ(2u, area_->Items().size());
    Tick(1);
    EXPECT_FALSE(area_->IsAnimating());
    EXPECT_EQ(2u, removed_.size());

    // Without animation the item leaves at once, even while collapsing.
    GUIObject* top = area_->ViewAt(0);
    area_->RemoveItem(top, true);
    Tick(2);
    EXPECT_EQ(top, area_->RemoveItem(top, false));
    EXPECT_EQ(0, area_->RemovalOffset());
    Tick(10);
    ASSERT_EQ(3u, removed_.size());  // handed over once
    EXPECT_EQ(top, removed_[2]);
    EXPECT_EQ(1u, area_->Items().size());
    EXPECT_FALSE(area_->IsAnimating());
}

TEST_F(GUIScrollAreaTest, DraggingTheThumbFollowsThePointerAndClampsOutsideTheTrack) {
    Fill(10);
    Repaint();
    HWND thumb = area_->ThumbWindow();
    // Grab 10 pixels below the thumb's top (thumb at y 13): the track runs
    // from y 23 to 155 in window coordinates.
    SendMessageW(thumb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
    EXPECT_EQ(thumb, GetCapture());
    SendMessageW(thumb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 89 - 13));
    EXPECT_EQ(50, area_->ScrollPosition());
    SendMessageW(thumb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 500));
    EXPECT_EQ(100, area_->ScrollPosition());
    SendMessageW(thumb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, static_cast<WORD>(-40)));
    EXPECT_EQ(0, area_->ScrollPosition());
    SendMessageW(thumb, WM_LBUTTONUP, 0, MAKELPARAM(5, 10));
    EXPECT_EQ(nullptr, GetCapture());
    // Without the capture a move does nothing.
    SendMessageW(thumb, WM_MOUSEMOVE, 0, MAKELPARAM(5, 500));
    EXPECT_EQ(0, area_->ScrollPosition());

    EXPECT_TRUE(SendMessageW(thumb, WM_SETCURSOR, reinterpret_cast<WPARAM>(thumb),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());
}

TEST_F(GUIScrollAreaTest, PaintingKeepsToTheUpdateRectangle) {
    Fill(2);
    auto* item = static_cast<ProbeWidget*>(area_->ViewAt(0));
    item->colour = 0x80400000u;  // half transparent
    Repaint();
    Repaint();  // the first paint hid the thumb, which invalidated under it
    EXPECT_EQ(0x80400000u, Pixel(30, kY + 40));
    // A paint elsewhere must not blend the item over itself again.
    RECT corner{0, 0, 5, 5};
    window_->Invalidate(&corner);
    window_->PaintNow();
    ASSERT_FALSE(item->paints.empty());
    EXPECT_TRUE(EqualRect(&corner, &item->paints.back()));
    EXPECT_EQ(0x80400000u, Pixel(30, kY + 40));
}

TEST_F(GUIScrollAreaTest, ShowAndPageVisibilityReachTheWindowsAndTheItems) {
    Fill(10);
    Repaint();
    ProbeWidget* item = static_cast<ProbeWidget*>(area_->ViewAt(0));
    area_->Show(SW_HIDE);
    EXPECT_FALSE(area_->IsVisible());
    EXPECT_FALSE(HasVisibleStyle(area_->ContentWindow()));
    EXPECT_FALSE(HasVisibleStyle(area_->ThumbWindow()));
    EXPECT_FALSE(HasVisibleStyle(item->Window()));
    EXPECT_TRUE(item->IsVisible());  // its own flag survives
    Repaint();
    EXPECT_EQ(0u, Pixel(30, kY + 5));
    EXPECT_EQ(0u, Pixel(kBarColumn, kY + 100));

    area_->Show(SW_SHOW);
    EXPECT_TRUE(HasVisibleStyle(area_->ContentWindow()));
    EXPECT_TRUE(HasVisibleStyle(area_->ThumbWindow()));
    EXPECT_TRUE(HasVisibleStyle(item->Window()));

    // On a hidden page the windows stay hidden until the page shows.
    auto* page = window_->AddPainter(std::make_unique<GUIPage>(window_.get()));
    page->AddChild(window_->RemovePainter(area_));
    page->SetShown(false, false);
    EXPECT_FALSE(HasVisibleStyle(area_->ContentWindow()));
    EXPECT_FALSE(HasVisibleStyle(area_->ThumbWindow()));
    EXPECT_FALSE(HasVisibleStyle(item->Window()));
    area_->Show(SW_SHOW);
    EXPECT_FALSE(HasVisibleStyle(area_->ContentWindow()));
    Repaint();  // painting on the hidden page must not bring the thumb back
    EXPECT_FALSE(HasVisibleStyle(area_->ThumbWindow()));
    page->SetShown(true, false);
    EXPECT_TRUE(HasVisibleStyle(area_->ContentWindow()));
    EXPECT_TRUE(HasVisibleStyle(area_->ThumbWindow()));
    EXPECT_TRUE(HasVisibleStyle(item->Window()));
}

TEST_F(GUIScrollAreaTest, ItemsFromAnotherThreadArriveThroughTheWindowsThread) {
    Fill(2);
    ProbeWidget* fresh = NewItem(0xFFFFFFFFu);
    GUIScrollArea* area = area_;
    bool posted = false;
    DWORD ranOn = 0;
    std::thread([&] {
        posted = PostToWindowThread(window_->MainWindow(), [&] {
            ranOn = GetCurrentThreadId();
            area->AddItem(fresh, true);
        });
    }).join();
    EXPECT_TRUE(posted);
    EXPECT_EQ(0u, area_->PendingInsertCount());  // nothing ran off the window's thread
    PumpMessages();
    EXPECT_EQ(GetCurrentThreadId(), ranOn);
    ASSERT_EQ(1u, area_->PendingInsertCount());
    EXPECT_TRUE(area_->IsAnimating());
    Tick(7);
    ASSERT_EQ(3u, area_->Items().size());
    EXPECT_EQ(fresh, area_->ViewAt(0));
    EXPECT_EQ(fresh, area_->RemoveItem(fresh, false));
    EXPECT_EQ(2u, area_->Items().size());
    ASSERT_EQ(1u, removed_.size());
}

TEST_F(GUIScrollAreaTest, TheAnimationRunsOnItsOwnTimer) {
    Fill(1);
    area_->AddItem(NewItem(0xFFFFFFFFu), true);
    const DWORD start = GetTickCount();
    while ((area_->IsAnimating() || area_->Items().size() < 2) && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    EXPECT_EQ(2u, area_->Items().size());
    EXPECT_FALSE(area_->IsAnimating());
}

}  // namespace

// Entries that are data: a colour each, shown by half-width probe views, so
// that a highlight drawn behind a view shows beside it.
class ColourViews : public ScrollViewSource {
public:
    std::unique_ptr<GUIObject> CreateView(HWND contentWindow) override {
        return std::make_unique<ProbeWidget>(contentWindow, 0, 0, kWidth / 2, kItemHeight, 0);
    }
    void BindView(GUIObject& view, const ScrollEntry& entry) override {
        static_cast<ProbeWidget&>(view).colour = *static_cast<const std::uint32_t*>(entry.get());
    }
};

ScrollEntry Colour(int index) { return std::make_shared<const std::uint32_t>(ItemColour(index)); }

// Replacing the whole list hands back what it held (the arrival sliding in
// on top, the collapsing entry left out and handed to the removal function),
// the highlight shows behind its entry only, the list scrolls just enough to
// show an entry whole, and a moved area takes its bar and entries along.
TEST_F(GUIScrollAreaTest, AListOfDataIsReplacedWholeHighlightedScrolledAndMoved) {
    area_->SetViewSource(std::make_unique<ColourViews>());
    std::vector<ScrollEntry> ten;
    for (int i = 0; i < 10; ++i) ten.push_back(Colour(i));
    area_->AddItems(ten);
    const ScrollEntry arrival = Colour(20);
    area_->AddItem(arrival, true);
    area_->RemoveItem(ten[3].get(), true);
    area_->SetHighlight(ten[1].get());

    const std::vector<ScrollEntry> three = {Colour(10), Colour(11), Colour(12)};
    std::vector<ScrollEntry> held = area_->ReplaceItems(three, 500);
    ASSERT_EQ(10u, held.size());
    EXPECT_EQ(arrival, held[0]);
    EXPECT_EQ(ten[2], held[3]);
    EXPECT_EQ(ten[4], held[4]);
    EXPECT_EQ((std::vector<const void*>{ten[3].get()}), removed_);
    EXPECT_EQ(three, area_->Items());
    EXPECT_EQ(0u, area_->PendingInsertCount() + area_->PendingRemovalCount());
    EXPECT_EQ(0, area_->ScrollOffset());  // three fit
    EXPECT_EQ(nullptr, area_->Highlight());
    Tick(20);
    EXPECT_EQ(three, area_->Items());  // nothing arrives or leaves late

    held = area_->ReplaceItems(std::move(held), 0);
    EXPECT_EQ(three, held);
    const std::wstring mark = Png("highlight.png", kWidth - 16, kItemHeight, 0xFF102030u);
    area_->SetHighlightImage(std::make_unique<GUIImage>(Main(), TestInstance(), 0, 0, kWidth - 16,
                                                        kItemHeight, mark.c_str()),
                             POINT{0, 0});
    area_->SetHighlight(area_->Items()[1].get());
    Repaint();
    EXPECT_EQ(0xFF102030u, Pixel(kX + 70, kY + kItemHeight + 5));
    EXPECT_EQ(ItemColour(0), Pixel(kX + 10, kY + kItemHeight + 5));  // the view over it
    EXPECT_NE(0xFF102030u, Pixel(kX + 70, kY + 5));

    // A view of 198 pixels shows 3.3 entries of 60.
    area_->ScrollIntoView(5);
    EXPECT_EQ(5 * kItemHeight + kItemHeight - (kHeight - 2), area_->ScrollOffset());
    area_->ScrollIntoView(3);
    EXPECT_EQ(162, area_->ScrollOffset());  // already whole: nothing moves
    area_->ScrollIntoView(1);
    EXPECT_EQ(kItemHeight, area_->ScrollOffset());
    EXPECT_EQ(1u, area_->IndexOf(area_->Items()[1].get()));
    EXPECT_EQ(GUIScrollArea::kNoIndex, area_->IndexOf(three[0].get()));

    area_->SetScrollOffset(0);
    area_->Move(kX, kY + 30);
    Repaint();
    EXPECT_EQ(kThumbTop, Pixel(kBarColumn, kY + 31));
    EXPECT_EQ(kY + 30 + 3, ThumbRect().top);
    EXPECT_EQ(ItemColour(20), Pixel(kX + 10, kY + 30));
    EXPECT_EQ(0u, Pixel(kX + 10, kY + 29));
    area_->SetHighlightImage(nullptr, POINT{0, 0});
}
