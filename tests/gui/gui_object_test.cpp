#include "gui/gui_object.h"

#include <gtest/gtest.h>

#include <memory>

#include "gui/skinnable_window.h"
#include "gui_test_support.h"

namespace {

class GUIObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<SkinnableWindow>(TestInstance(), 80, 60, 1, L"widgets", WS_POPUP, 0);
        window_->Show(SW_SHOWNOACTIVATE);
        window_->Relayout(nullptr);
        PumpMessages();
    }
    void TearDown() override { PumpMessages(); }
    std::unique_ptr<SkinnableWindow> window_;
};

int handled = 0;
bool CountAndAnswer(HWND, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    ++handled;
    *result = static_cast<LRESULT>(wParam) + 1;
    return true;
}
bool CountAndDecline(HWND, UINT, WPARAM, LPARAM, LRESULT*) {
    ++handled;
    return false;
}

TEST_F(GUIObjectTest, MessagesGoThroughHandlersThenWindowProc) {
    ProbeWidget probe(window_->MainWindow(), 1, 2, 3, 4, 0);
    ASSERT_NE(nullptr, probe.Window());
    EXPECT_EQ(&probe, GUIObject::FromWindow(probe.Window()));
    wchar_t name[32] = {};
    GetClassNameW(probe.Window(), name, 32);
    EXPECT_STREQ(L"GUIObjectBase", name);
    EXPECT_EQ(window_->MainWindow(), GetParent(probe.Window()));

    const UINT custom = WM_APP + 9;
    handled = 0;
    probe.messages.clear();
    probe.SetMessageHandler(custom, CountAndAnswer);
    EXPECT_EQ(6, SendMessageW(probe.Window(), custom, 5, 0));
    EXPECT_EQ(1, handled);
    EXPECT_TRUE(probe.messages.empty());

    probe.SetMessageHandler(custom, CountAndDecline);
    EXPECT_EQ(0, SendMessageW(probe.Window(), custom, 5, 0));
    EXPECT_EQ(2, handled);
    ASSERT_EQ(1u, probe.messages.size());
    EXPECT_EQ(custom, probe.messages[0]);
    EXPECT_EQ(1, SendMessageW(probe.Window(), WM_ERASEBKGND, 0, 0));
}

TEST_F(GUIObjectTest, WindowsOutsideTheMapGetTheFallback) {
    ProbeWidget probe(window_->MainWindow(), 0, 0, 3, 3, 0);
    HWND stray = CreateWindowExW(0, L"GUIObjectBase", L"", WS_CHILD, 0, 0, 5, 5,
                                 window_->MainWindow(), nullptr, TestInstance(), nullptr);
    ASSERT_NE(nullptr, stray);
    EXPECT_EQ(nullptr, GUIObject::FromWindow(stray));
    EXPECT_EQ(1, SendMessageW(stray, WM_ERASEBKGND, 0, 0));
    DestroyWindow(stray);

    auto gone = std::make_unique<ProbeWidget>(window_->MainWindow(), 0, 0, 3, 3, 0);
    const HWND handle = gone->Window();
    gone.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(nullptr, GUIObject::FromWindow(handle));
}

TEST_F(GUIObjectTest, InvalidateRepaintsTheWidgetRectangle) {
    auto* probe = window_->AddPainter(
        std::make_unique<ProbeWidget>(window_->MainWindow(), 10, 20, 30, 15, 0xFF00FF00u));
    probe->Invalidate();
    PumpMessages();
    ASSERT_EQ(1u, probe->paints.size());
    RECT expected{10, 20, 40, 35};
    EXPECT_TRUE(EqualRect(&expected, &probe->paints[0]));
    EXPECT_EQ(0xFF00FF00u, window_->BackBufferPixel(39, 34));

    // Hidden: its area is cleared on the next paint.
    probe->Show(SW_HIDE);
    PumpMessages();
    EXPECT_FALSE(probe->IsVisible());
    EXPECT_FALSE(HasVisibleStyle(probe->Window()));
    EXPECT_EQ(0u, window_->BackBufferPixel(39, 34));

    // A widget whose parent has no skinned window invalidates nothing.
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 TestInstance(), nullptr);
    ProbeWidget orphan(plain, 0, 0, 5, 5, 0, false);
    orphan.Invalidate();
    PumpMessages();
    EXPECT_TRUE(orphan.paints.empty());
    DestroyWindow(plain);
}

TEST_F(GUIObjectTest, MoveAndResizeCarryTheInputWindow) {
    ProbeWidget probe(window_->MainWindow(), 0, 0, 10, 10, 0);
    probe.Move(7, 8);
    probe.Resize(20, 25);
    EXPECT_EQ(7, probe.Position().x);
    EXPECT_EQ(8, probe.Position().y);
    EXPECT_EQ(20, probe.Size().cx);
    EXPECT_EQ(25, probe.Size().cy);
    RECT rect{};
    GetWindowRect(probe.Window(), &rect);
    MapWindowPoints(nullptr, window_->MainWindow(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(7, rect.left);
    EXPECT_EQ(8, rect.top);
    EXPECT_EQ(27, rect.right);
    EXPECT_EQ(33, rect.bottom);

    // Draw-only widgets just store the numbers.
    ProbeWidget drawOnly(window_->MainWindow(), 0, 0, 1, 1, 0, false);
    drawOnly.Move(3, 4);
    drawOnly.Resize(5, 6);
    EXPECT_EQ(4, drawOnly.Position().y);
    EXPECT_EQ(6, drawOnly.Size().cy);
    drawOnly.ApplyPageVisibility(false);
}

}  // namespace
