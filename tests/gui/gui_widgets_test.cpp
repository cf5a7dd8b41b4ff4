#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/utf.h"
#include "gui/font_face.h"
#include "gui/gui_button.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/gui_toggle.h"
#include "gui/image_library.h"
#include "gui/skin_catalogue.h"
#include "gui_test_support.h"
#include "support/png_writer.h"
#include "support/prompts.h"
#include "support/temp_dir.h"
#include "widget_test_support.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;
constexpr std::uint32_t kYellow = 0xFFFFFF00u;

// Column c, row r of the pattern image: red 10c + 5, green 10r, opaque.
std::uint32_t PatternPixel(int column, int row) {
    return 0xFF000000u | static_cast<std::uint32_t>(10 * column + 5) << 16 |
           static_cast<std::uint32_t>(10 * row) << 8;
}

class WidgetsTest : public WidgetWindowTest {
protected:
    void SetUp() override {
        WidgetWindowTest::SetUp();
        SetDefaultFonts(StartupFontList());
        InitImageLibrary();
    }
    // A 20 x 10 image whose every pixel tells its column and row.
    std::wstring PatternFile() {
        std::vector<std::uint8_t> rgba;
        for (int row = 0; row < 10; ++row) {
            for (int column = 0; column < 20; ++column) {
                const std::uint32_t pixel = PatternPixel(column, row);
                rgba.insert(rgba.end(), {static_cast<std::uint8_t>(pixel >> 16),
                                         static_cast<std::uint8_t>(pixel >> 8), 0, 255});
            }
        }
        return Write("pattern.png", 20, 10, rgba);
    }
    std::wstring SolidFile(const char* name, int width, int height, std::uint32_t argb) {
        return Write(name, width, height,
                     SolidRgba(width, height, argb >> 16, argb >> 8, argb, argb >> 24));
    }
    std::wstring Write(const char* name, int width, int height,
                       const std::vector<std::uint8_t>& rgba) {
        const std::string path = temp_.File(name);
        EXPECT_TRUE(WritePng(path, width, height, rgba));
        return Utf8ToWide(path);
    }
    GUIImage* Image(int x, int y, int width, int height, const std::wstring& path) {
        return Add(std::make_unique<GUIImage>(Parent(), TestInstance(), x, y, width, height,
                                              path.c_str()));
    }
    // The input window's rectangle in the parent's client coordinates.
    RECT InputRect(const GUIObject* widget) const {
        RECT rect{};
        GetWindowRect(widget->Window(), &rect);
        MapWindowPoints(nullptr, Parent(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // Every inked pixel of `area` carries `colour` (0xRRGGBB) premultiplied.
    void ExpectInkColour(const RECT& area, std::uint32_t colour) {
        int inked = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                const std::uint32_t pixel = Pixel(x, y);
                const std::uint32_t a = pixel >> 24;
                if (a == 0) continue;
                ++inked;
                const std::uint32_t expected = a << 24 | ((colour >> 16) & 0xFF) * a / 255 << 16 |
                                               ((colour >> 8) & 0xFF) * a / 255 << 8 |
                                               (colour & 0xFF) * a / 255;
                ASSERT_EQ(expected, pixel) << x << "," << y;
            }
        }
        EXPECT_GT(inked, 0);
    }
    TempDir temp_;
};

// --- GUIImage --------------------------------------------------------------

TEST_F(WidgetsTest, ImageRepeatsToFillAndCutsTheLastCopies) {
    Image(10, 10, 50, 25, PatternFile());
    Repaint();
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 50; ++x) {
            ASSERT_EQ(PatternPixel(x % 20, y % 10), Pixel(10 + x, 10 + y)) << x << "," << y;
        }
    }
    EXPECT_EQ(0u, Pixel(60, 10));
    EXPECT_EQ(0u, Pixel(10, 35));
}

TEST_F(WidgetsTest, ImageLargerThanTheWidgetOrOffsetIsDrawnOnce) {
    const std::wstring pattern = PatternFile();
    Image(10, 10, 10, 10, pattern);    // narrower: the left 10 columns
    Image(10, 30, 30, 5, pattern);     // lower: the top 5 rows, never repeated
    GUIImage* offset = Image(10, 50, 30, 10, pattern);
    offset->SetSourceOffset(5, -1);
    EXPECT_EQ(5, offset->SourceOffset().x);
    EXPECT_EQ(0, offset->SourceOffset().y);
    Repaint();

    EXPECT_EQ(PatternPixel(9, 9), Pixel(19, 19));
    EXPECT_EQ(0u, Pixel(20, 10));
    EXPECT_EQ(PatternPixel(19, 4), Pixel(29, 34));
    EXPECT_EQ(0u, Pixel(30, 30));
    EXPECT_EQ(0u, Pixel(10, 35));
    for (int x = 0; x < 15; ++x) ASSERT_EQ(PatternPixel(x + 5, 2), Pixel(10 + x, 52)) << x;
    EXPECT_EQ(0u, Pixel(25, 52));  // 15 columns shown

    offset->SetSourceOffset(-1, 3);
    Repaint();
    EXPECT_EQ(5, offset->SourceOffset().x);
    EXPECT_EQ(PatternPixel(5, 3), Pixel(10, 50));
    EXPECT_EQ(PatternPixel(19, 9), Pixel(24, 56));
    EXPECT_EQ(0u, Pixel(10, 57));
}

TEST_F(WidgetsTest, ImageBlendsWithItsAlphaAndHiddenOrMissingDrawsNothing) {
    Add(std::make_unique<ProbeWidget>(Parent(), 0, 0, 40, 40, kBlue, false));
    // Red 200, green 100, blue 50 at half alpha over opaque blue.
    GUIImage* glass = Image(5, 5, 4, 4, Write("glass.png", 4, 4, SolidRgba(4, 4, 200, 100, 50, 128)));
    GUIImage* missing = Image(20, 5, 4, 4, Utf8ToWide(temp_.File("absent.png")));
    EXPECT_EQ(nullptr, missing->Bitmap());
    Repaint();

    const std::uint32_t pixel = Pixel(6, 6);
    EXPECT_EQ(255u, pixel >> 24);
    EXPECT_NEAR(100, static_cast<int>((pixel >> 16) & 0xFF), 1);
    EXPECT_NEAR(50, static_cast<int>((pixel >> 8) & 0xFF), 1);
    EXPECT_NEAR(25 + 127, static_cast<int>(pixel & 0xFF), 1);
    EXPECT_EQ(kBlue, Pixel(21, 6));

    glass->Show(SW_HIDE);
    Repaint();
    EXPECT_EQ(kBlue, Pixel(6, 6));
}

TEST_F(WidgetsTest, ImageOwnsABitmapHandedToIt) {
    HBITMAP bitmap = nullptr;
    SIZE size{};
    ASSERT_TRUE(LoadImageBitmap(PatternFile().c_str(), &bitmap, nullptr, &size));
    auto image = std::make_unique<GUIImage>(Parent(), TestInstance(), 0, 0, 20, 10, bitmap,
                                            size.cx, size.cy);
    EXPECT_EQ(20, image->ImageSize().cx);
    EXPECT_EQ(10, image->ImageSize().cy);
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 20, 10, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, target);
    image->Paint(dc, RECT{0, 0, 20, 10});
    GdiFlush();
    // Bottom-up rows: row 3 from the top is row 6 in memory.
    EXPECT_EQ(PatternPixel(7, 3), static_cast<std::uint32_t*>(bits)[6 * 20 + 7]);
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);

    BITMAP object{};
    EXPECT_NE(0, GetObjectW(bitmap, sizeof object, &object));
    image.reset();
    EXPECT_EQ(0, GetObjectW(bitmap, sizeof object, &object));
}

// --- GUIButton -------------------------------------------------------------

std::vector<std::pair<void*, WPARAM>> clicks;
void RecordClick(void* userData, WPARAM keys) { clicks.emplace_back(userData, keys); }

class ButtonTest : public WidgetsTest {
protected:
    void SetUp() override {
        WidgetsTest::SetUp();
        clicks.clear();
    }
    GUIButton* ImageButton(int x, int y, bool withHover) {
        const std::wstring normal = SolidFile("normal.png", 20, 10, kRed);
        const std::wstring hover = SolidFile("hover.png", 20, 10, kGreen);
        return Add(std::make_unique<GUIButton>(Parent(), TestInstance(), x, y, 20, 10,
                                               normal.c_str(),
                                               withHover ? hover.c_str() : nullptr));
    }
    void Send(GUIObject* widget, UINT message, WPARAM keys, int x, int y) {
        SendMessageW(widget->Window(), message, keys, MousePoint(x, y));
    }
    // The pointer really goes there too, so the leave tracking that the
    // move asks for does not end the hover at once.
    void Hover(GUIObject* widget, int x, int y) {
        PointerTo(widget->Window(), x, y);
        Send(widget, WM_MOUSEMOVE, 0, x, y);
    }
};

TEST_F(ButtonTest, HoverImageShowsFromTheFirstMoveUntilTheLeave) {
    GUIButton* button = ImageButton(10, 10, true);
    GUIButton* plain = ImageButton(40, 10, false);
    EXPECT_EQ(plain->NormalImage(), plain->HoverImage());
    Repaint();
    EXPECT_EQ(kRed, Pixel(15, 15));

    Hover(button, 5, 5);
    Repaint();
    EXPECT_TRUE(button->IsHovering());
    EXPECT_EQ(kGreen, Pixel(15, 15));
    EXPECT_EQ(kGreen, Pixel(29, 19));

    Send(button, WM_MOUSELEAVE, 0, 0, 0);
    Repaint();
    EXPECT_FALSE(button->IsHovering());
    EXPECT_EQ(kRed, Pixel(15, 15));

    Hover(plain, 5, 5);
    Repaint();
    EXPECT_TRUE(plain->IsHovering());
    EXPECT_EQ(kRed, Pixel(45, 15));

    SendMessageW(plain->Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(plain->Window()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());
}

TEST_F(ButtonTest, LeavingWithThePointerEndsTheHover) {
    GUIButton* button = ImageButton(10, 10, true);
    Hover(button, 5, 5);
    ASSERT_TRUE(button->IsHovering());
    // The leave notification was asked for: moving away brings it.
    PointerTo(Parent(), 200, 90);
    for (int tick = 0; tick < 100 && button->IsHovering(); ++tick) {
        PumpMessages();
        Sleep(20);
    }
    EXPECT_FALSE(button->IsHovering());
}

TEST_F(ButtonTest, ClickFiresOnlyForAPressAndReleaseInside) {
    GUIButton* button = ImageButton(10, 10, true);
    int marker = 0;
    button->SetClickFunction(RecordClick);
    button->SetUserData(&marker);

    Send(button, WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    EXPECT_EQ(button->Window(), GetCapture());
    Send(button, WM_LBUTTONUP, MK_CONTROL, 19, 9);
    EXPECT_EQ(nullptr, GetCapture());
    ASSERT_EQ(1u, clicks.size());
    EXPECT_EQ(&marker, clicks[0].first);
    EXPECT_EQ(static_cast<WPARAM>(MK_CONTROL), clicks[0].second);

    // Pressed, moved out, released outside.
    Send(button, WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    Send(button, WM_LBUTTONUP, 0, 20, 5);
    Send(button, WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    Send(button, WM_LBUTTONUP, 0, -4, 5);
    EXPECT_EQ(nullptr, GetCapture());
    // A release without a press in the button.
    Send(button, WM_LBUTTONUP, 0, 3, 3);
    EXPECT_EQ(1u, clicks.size());

    // Without a click function nothing is captured or fired.
    GUIButton* idle = ImageButton(40, 10, true);
    Send(idle, WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    EXPECT_EQ(nullptr, GetCapture());
    Send(idle, WM_LBUTTONUP, 0, 3, 3);
    EXPECT_EQ(1u, clicks.size());
}

TEST_F(ButtonTest, MovingCarriesImagesAndSizingLeavesThemWhole) {
    GUIButton* button = ImageButton(10, 10, true);
    button->Move(50, 30);
    RECT rect = InputRect(button);
    EXPECT_EQ(50, rect.left);
    EXPECT_EQ(30, rect.top);
    Repaint();
    EXPECT_EQ(0u, Pixel(10, 10));
    EXPECT_EQ(kRed, Pixel(50, 30));
    Hover(button, 1, 1);
    Repaint();
    EXPECT_EQ(kGreen, Pixel(69, 39));

    button->Resize(8, 4);
    rect = InputRect(button);
    EXPECT_EQ(58, rect.right);
    EXPECT_EQ(34, rect.bottom);
    Repaint();
    EXPECT_EQ(kGreen, Pixel(69, 39));  // the image keeps its size

    button->Show(SW_HIDE);
    Repaint();
    EXPECT_EQ(0u, Pixel(60, 35));
}

TEST_F(ButtonTest, TextButtonIsItsLabelAndTakesTheHoverColour) {
    const std::uint32_t normal = 0x102030, hover = 0xE0F0A0;
    auto* button = Add(std::make_unique<GUIButton>(Parent(), TestInstance(), 10, 50, 0, 0,
                                                   L"Copy URL", normal, hover));
    ASSERT_NE(nullptr, button->Label());
    EXPECT_FALSE(button->IsImageButton());
    const SIZE measured = button->Label()->MeasureText(L"Copy URL");
    EXPECT_EQ(measured.cx, button->Size().cx);
    EXPECT_EQ(measured.cy, button->Size().cy);
    RECT rect = InputRect(button);
    EXPECT_EQ(10 + measured.cx, rect.right);
    EXPECT_EQ(50 + measured.cy, rect.bottom);
    const RECT area{0, 40, kWidth, kHeight};
    Repaint();
    ExpectInkColour(area, normal);

    Hover(button, 2, 2);
    Repaint();
    ExpectInkColour(area, hover);
    Send(button, WM_MOUSELEAVE, 0, 0, 0);
    Repaint();
    ExpectInkColour(area, normal);

    // A bigger font grows the label and the input window with it.
    EXPECT_TRUE(button->SetLabelFont({{L"Myriad Pro", 20, 400}, {L"Calibri", 20, 400}}));
    EXPECT_GT(button->Size().cx, measured.cx);
    rect = InputRect(button);
    EXPECT_EQ(button->Size().cx, rect.right - rect.left);
    EXPECT_EQ(button->Size().cy, rect.bottom - rect.top);
    button->SetLabelSpacing(2);
    EXPECT_EQ(button->Label()->Size().cx, button->Size().cx);

    // Resizing renders the label at the new size.
    button->Resize(30, 12);
    EXPECT_EQ(30, button->Label()->Size().cx);
    EXPECT_EQ(12, button->Label()->Size().cy);
    button->Move(20, 60);
    EXPECT_EQ(20, button->Label()->Position().x);
    EXPECT_EQ(60, button->Label()->Position().y);

    GUIButton* image = ImageButton(100, 10, true);
    EXPECT_FALSE(image->SetLabelFont({{L"Calibri", 20, 400}}));
}

// --- GUIToggle -------------------------------------------------------------

std::vector<GUIToggle*> changes;
void RecordChange(GUIToggle* toggle) { changes.push_back(toggle); }

// Only the four toggle images exist in the program folder.
class ToggleTest : public ButtonTest {
protected:
    void SetUp() override {
        ButtonTest::SetUp();
        changes.clear();
        prompts_ = std::make_unique<RecordedPrompts>();
        CreateDirectoryW(Utf8ToWide(temp_.File("skin")).c_str(), nullptr);
        CreateDirectoryW(Utf8ToWide(temp_.File("skin\\toggle")).c_str(), nullptr);
        SolidFile("skin\\toggle\\selected.png", 13, 13, kBlue);
        SolidFile("skin\\toggle\\clear.png", 13, 13, kRed);
        SolidFile("skin\\toggle\\selected_hover.png", 13, 13, kGreen);
        SolidFile("skin\\toggle\\clear_hover.png", 13, 13, kYellow);
        LoadSkinCatalogue(temp_.path() + "\\");  // reports the files the test does not need
    }
    void TearDown() override {
        ButtonTest::TearDown();
        prompts_.reset();
    }
    GUIToggle* Toggle(int x, int y, const std::wstring& label) {
        return Add(std::make_unique<GUIToggle>(Parent(), TestInstance(), x, y, label));
    }
    std::unique_ptr<RecordedPrompts> prompts_;
};

TEST_F(ToggleTest, CompletedClickFlipsAndReportsTheToggle) {
    GUIToggle* toggle = Toggle(10, 10, L"Always on top");
    toggle->SetChangeFunction(RecordChange);
    Repaint();
    EXPECT_FALSE(toggle->IsSelected());
    EXPECT_EQ(kRed, Pixel(10, 10));
    EXPECT_EQ(kRed, Pixel(22, 22));
    EXPECT_EQ(0u, Pixel(23, 23));

    Send(toggle, WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    EXPECT_EQ(toggle->Window(), GetCapture());
    Send(toggle, WM_LBUTTONUP, 0, 40, 6);  // on the label
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(toggle->IsSelected());
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(toggle, changes[0]);
    Repaint();
    EXPECT_EQ(kBlue, Pixel(16, 16));

    // Released outside: nothing changes.
    Send(toggle, WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    Send(toggle, WM_LBUTTONUP, 0, 3, 20);
    EXPECT_TRUE(toggle->IsSelected());
    EXPECT_EQ(1u, changes.size());

    // Set from outside: no report.
    toggle->SetSelected(false);
    Repaint();
    EXPECT_EQ(kRed, Pixel(16, 16));
    EXPECT_EQ(1u, changes.size());

    // Without a change function a click still flips it.
    toggle->SetChangeFunction(nullptr);
    Send(toggle, WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    Send(toggle, WM_LBUTTONUP, 0, 3, 3);
    EXPECT_TRUE(toggle->IsSelected());
}

TEST_F(ToggleTest, HoverShowsTheHoverVariantOfEachState) {
    GUIToggle* toggle = Toggle(10, 10, L"Proxy");
    Hover(toggle, 2, 2);
    Repaint();
    EXPECT_TRUE(toggle->IsHovering());
    EXPECT_EQ(kYellow, Pixel(16, 16));
    toggle->SetSelected(true);
    Repaint();
    EXPECT_EQ(kGreen, Pixel(16, 16));
    Send(toggle, WM_MOUSELEAVE, 0, 0, 0);
    Repaint();
    EXPECT_EQ(kBlue, Pixel(16, 16));

    toggle->Show(SW_HIDE);
    Repaint();
    EXPECT_EQ(0u, Pixel(16, 16));
}

TEST_F(ToggleTest, LabelFollowsTheBoxAndSizesTheToggle) {
    GUIToggle* empty = Toggle(10, 60, L"");
    EXPECT_EQ(22, empty->Size().cx);
    EXPECT_EQ(13, empty->Size().cy);

    GUIToggle* toggle = Toggle(10, 10, L"Copy links");
    const int labelWidth = toggle->Label()->MeasureText(L"Copy links").cx;
    EXPECT_EQ(labelWidth + 22, toggle->Size().cx);
    EXPECT_EQ(13, toggle->Size().cy);
    const RECT rect = InputRect(toggle);
    EXPECT_EQ(10 + labelWidth + 22, rect.right);
    EXPECT_EQ(23, rect.bottom);
    EXPECT_EQ(32, toggle->Label()->Position().x);
    EXPECT_EQ(9, toggle->Label()->Position().y);

    toggle->SetLabelColour(0xEEEEEE);
    Repaint();
    const RECT labelArea{23, 0, kWidth, 40};
    const RECT ink = InkBounds(labelArea);
    EXPECT_GE(ink.left, 32);
    EXPECT_LE(ink.right, 32 + labelWidth);
    ExpectInkColour(labelArea, 0xEEEEEE);
}

TEST_F(ToggleTest, SettingTheCurrentStateRequestsNoPaint) {
    GUIToggle* toggle = Toggle(10, 10, L"Toasts");
    Repaint();
    RECT update{};
    toggle->SetSelected(false);
    EXPECT_FALSE(GetUpdateRect(Parent(), &update, FALSE));
    toggle->SetSelected(true);
    ASSERT_TRUE(GetUpdateRect(Parent(), &update, FALSE));
    EXPECT_EQ(10, update.left);
    EXPECT_EQ(10, update.top);
    PumpMessages();
}

}  // namespace
