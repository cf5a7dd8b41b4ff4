#include "gui/gui_page.h"

#include <gtest/gtest.h>

#include <memory>

#include "gui/skinnable_window.h"
#include "gui_test_support.h"

namespace {

class GUIPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinnableWindow>(TestInstance(), 60, 40, 1, L"pages", WS_POPUP, 0);
        window_->Show(SW_SHOWNOACTIVATE);
    }
    void TearDown() override { PumpMessages(); }

    void Tick(GUIPage& page, int times) {
        for (int i = 0; i < times; ++i) {
            SendMessageW(page.Window(), WM_TIMER, GUIPage::kFadeTimer, 0);
        }
    }
    HWND Main() const { return window_->MainWindow(); }

    std::unique_ptr<SkinnableWindow> window_;
};

TEST_F(GUIPageTest, FadingOutTakesNineTicksAndThenHidesTheChildren) {
    GUIPage page(window_.get());
    auto* child = page.AddChild(std::make_unique<ProbeWidget>(Main(), 0, 0, 10, 10, 0xFF00FF00u));
    EXPECT_EQ(255, page.Opacity());
    EXPECT_FALSE(HasVisibleStyle(page.Window()));  // the timer's window is never shown

    page.SetShown(false, true);
    EXPECT_EQ(-30, page.FadeStep());
    Tick(page, 8);
    EXPECT_EQ(15, page.Opacity());
    EXPECT_TRUE(page.IsShown());
    EXPECT_TRUE(HasVisibleStyle(child->Window()));  // live until the fade ends
    Tick(page, 1);
    EXPECT_EQ(0, page.Opacity());
    EXPECT_FALSE(page.IsShown());
    EXPECT_FALSE(HasVisibleStyle(child->Window()));
    EXPECT_TRUE(child->IsVisible());  // its own flag survives

    // Fading in shows the children at once and clamps at 255.
    page.SetShown(true, true);
    EXPECT_TRUE(HasVisibleStyle(child->Window()));
    Tick(page, 8);
    EXPECT_EQ(240, page.Opacity());
    Tick(page, 1);
    EXPECT_EQ(255, page.Opacity());
}

TEST_F(GUIPageTest, TheFadeRunsOnItsOwnTimer) {
    GUIPage page(window_.get());
    page.SetShown(false, true);
    const DWORD start = GetTickCount();
    while (page.IsShown() && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    EXPECT_EQ(0, page.Opacity());
    // The timer stopped with the fade.
    Sleep(80);
    PumpMessages();
    EXPECT_EQ(0, page.Opacity());
}

TEST_F(GUIPageTest, ShowingThePageAgainKeepsHiddenChildrenHidden) {
    GUIPage page(window_.get());
    auto* shown = page.AddChild(std::make_unique<ProbeWidget>(Main(), 0, 0, 10, 10, 0));
    auto* hidden = page.AddChild(std::make_unique<ProbeWidget>(Main(), 10, 0, 10, 10, 0));
    hidden->Show(SW_HIDE);
    EXPECT_FALSE(hidden->IsVisible());
    EXPECT_FALSE(HasVisibleStyle(hidden->Window()));

    page.SetShown(false, false);
    EXPECT_EQ(0, page.Opacity());
    EXPECT_FALSE(HasVisibleStyle(shown->Window()));
    page.SetShown(true, false);
    EXPECT_EQ(255, page.Opacity());
    EXPECT_TRUE(HasVisibleStyle(shown->Window()));
    EXPECT_FALSE(HasVisibleStyle(hidden->Window()));

    // Shown while the page is hidden: flagged visible, window shown with the page.
    page.SetShown(false, false);
    hidden->Show(SW_SHOW);
    EXPECT_TRUE(hidden->IsVisible());
    EXPECT_FALSE(HasVisibleStyle(hidden->Window()));
    page.SetShown(true, false);
    EXPECT_TRUE(HasVisibleStyle(hidden->Window()));
}

TEST_F(GUIPageTest, PagesOwnTheirChildrenAndHandThemBackByIdentity) {
    GUIPage first(window_.get()), second(window_.get());
    EXPECT_EQ(nullptr, first.AddChild(std::unique_ptr<ProbeWidget>()));
    auto* a = first.AddChild(std::make_unique<ProbeWidget>(Main(), 0, 0, 5, 5, 0));
    auto* b = first.AddChild(std::make_unique<ProbeWidget>(Main(), 5, 0, 5, 5, 0));
    ProbeWidget stranger(Main(), 0, 5, 5, 5, 0);
    EXPECT_EQ(&first, a->Page());
    EXPECT_EQ((std::vector<GUIObject*>{a, b}), first.Children());

    // Moving a widget: the old page hands it back, the new one takes it.
    EXPECT_EQ(a, second.AddChild(first.RemoveChild(a)));
    EXPECT_EQ(&second, a->Page());
    EXPECT_EQ(std::vector<GUIObject*>{b}, first.Children());
    EXPECT_EQ(std::vector<GUIObject*>{a}, second.Children());

    EXPECT_EQ(nullptr, first.RemoveChild(&stranger));
    EXPECT_EQ(nullptr, first.RemoveChild(a));  // a child of the other page now
    EXPECT_EQ(1u, first.Children().size());

    std::unique_ptr<GUIObject> taken = first.RemoveChild(b);
    EXPECT_EQ(b, taken.get());
    EXPECT_TRUE(first.Children().empty());
    EXPECT_EQ(nullptr, b->Page());

    // A page takes its children's windows along when it goes.
    const HWND aWindow = a->Window();
    {
        GUIPage third(window_.get());
        third.AddChild(second.RemoveChild(a));
        EXPECT_TRUE(IsWindow(aWindow));
    }
    EXPECT_FALSE(IsWindow(aWindow));
    EXPECT_TRUE(IsWindow(taken->Window()));
}

TEST_F(GUIPageTest, PaintsChildrenThroughItsLayerWithItsOpacity) {
    auto* page = window_->AddPainter(std::make_unique<GUIPage>(window_.get()));
    page->AddChild(std::make_unique<ProbeWidget>(Main(), 0, 0, 30, 40, 0xFFFF0000u, false));
    page->AddChild(std::make_unique<ProbeWidget>(Main(), 20, 0, 20, 40, 0xFF0000FFu, false));
    window_->Relayout(nullptr);
    window_->PaintNow();
    EXPECT_EQ(60, page->BitmapSize().cx);
    EXPECT_EQ(40, page->BitmapSize().cy);
    EXPECT_EQ(0xFFFF0000u, window_->BackBufferPixel(5, 5));
    EXPECT_EQ(0xFF0000FFu, window_->BackBufferPixel(25, 5));
    EXPECT_EQ(0u, window_->BackBufferPixel(50, 5));

    page->SetShown(false, true);
    Tick(*page, 4);  // opacity 135
    window_->PaintNow();
    const std::uint32_t faded = window_->BackBufferPixel(5, 5);
    EXPECT_NEAR(135, static_cast<int>(faded >> 24), 1);
    EXPECT_NEAR(135, static_cast<int>((faded >> 16) & 0xFF), 1);

    page->SetShown(false, false);
    window_->Relayout(nullptr);
    window_->PaintNow();
    EXPECT_EQ(0u, window_->BackBufferPixel(5, 5));
}

TEST_F(GUIPageTest, LayerIsRecreatedAfterTheWindowIsResized) {
    auto* page = window_->AddPainter(std::make_unique<GUIPage>(window_.get()));
    page->AddChild(std::make_unique<ProbeWidget>(Main(), 0, 0, 200, 200, 0xFF00FF00u, false));
    window_->Relayout(nullptr);
    window_->PaintNow();
    EXPECT_EQ(60, page->BitmapSize().cx);

    window_->ResizeTo(90, 70, false);
    window_->PaintNow();
    EXPECT_EQ(90, page->BitmapSize().cx);
    EXPECT_EQ(70, page->BitmapSize().cy);
    EXPECT_EQ(0xFF00FF00u, window_->BackBufferPixel(85, 65));
}

}  // namespace
