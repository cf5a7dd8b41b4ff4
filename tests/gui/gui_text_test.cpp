#include "gui/gui_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gui/font_face.h"
#include "gui_test_support.h"
#include "widget_test_support.h"

namespace {

// The face Windows resolves the system's message font to.
std::wstring ResolvedSystemFace() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return L"";
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[128] = {};
    GetTextFaceW(dc, 128, face);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return face;
}

class GUITextTest : public WidgetWindowTest {
protected:
    void SetUp() override {
        WidgetWindowTest::SetUp();
        ASSERT_TRUE(SetDefaultFonts(StartupFontList()));
    }
    void TearDown() override {
        WidgetWindowTest::TearDown();
        SetDefaultFonts(StartupFontList());
    }
    GUIText* Text(int x, int y, int width, int height, const std::wstring& text) {
        return Add(std::make_unique<GUIText>(Parent(), TestInstance(), x, y, width, height, text));
    }
};

TEST_F(GUITextTest, StartupListTakesCalibriAndRejectsSubstitutedFaces) {
    const auto font = DefaultFont();
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(L"Calibri", font->FaceName());
    EXPECT_EQ(12, font->PixelHeight());
    EXPECT_EQ(13, font->PixelWidth());  // Calibri is set a pixel wider
    EXPECT_GT(font->FileSize(), 0u);

    // Windows answers faces it does not have with another one.
    EXPECT_EQ(nullptr, LoadFontFromWindows({L"Myriad Pro", 12, 400}));
    EXPECT_EQ(nullptr, LoadFontFromWindows({L"Lucida Sans Unicode", 11, 400}));
    const auto other = LoadFontFromWindows({L"Lucida Sans Unicode", 11, 400}, false);
    ASSERT_NE(nullptr, other);
    EXPECT_NE(L"Lucida Sans Unicode", other->FaceName());
    EXPECT_EQ(11, other->PixelHeight());
    EXPECT_EQ(11, other->PixelWidth());
    EXPECT_EQ(nullptr, LoadFontFromWindows({L"Calibri", 0, 400}));

    // Each face holds the whole font file: one per request, shared.
    const auto small = LoadFontFromWindows({L"Calibri", 10, 400});
    ASSERT_NE(nullptr, small);
    EXPECT_EQ(small, LoadFontFromWindows({L"Calibri", 10, 400}));
    EXPECT_NE(small, LoadFontFromWindows({L"Calibri", 10, 700}));
}

TEST_F(GUITextTest, WithoutAnyListedFaceTheSystemFontStillDrawsText) {
    ResetDefaultFont();
    EXPECT_FALSE(SetDefaultFonts({{L"Myriad Pro", 12, 400}, {L"Lucida Sans Unicode", 11, 400}}));
    const auto fallback = DefaultFont();
    ASSERT_NE(nullptr, fallback);
    EXPECT_EQ(ResolvedSystemFace(), fallback->FaceName());
    EXPECT_NE(L"Myriad Pro", fallback->FaceName());

    GUIText* text = Text(10, 10, 0, 0, L"Upload");
    text->SetColour(0xFFFFFF);
    Repaint();
    EXPECT_GT(text->Size().cx, 10);
    const RECT ink = InkBounds(RECT{0, 0, kWidth, kHeight});
    EXPECT_LT(ink.left, ink.right);
    EXPECT_GE(ink.left, 10);

    // Once a default is in place, a list that does not load keeps it.
    EXPECT_FALSE(SetDefaultFonts({{L"Myriad Pro", 12, 400}}));
    EXPECT_EQ(fallback, DefaultFont());
    EXPECT_TRUE(SetDefaultFonts(StartupFontList()));
    EXPECT_EQ(L"Calibri", DefaultFont()->FaceName());
}

TEST_F(GUITextTest, WithoutAnyFontTextMeasuresEmptyAndDrawsNothing) {
    ResetDefaultFont();
    GUIText* text = Text(10, 10, 50, 16, L"Upload");
    EXPECT_EQ(0, text->MeasureText(L"Upload").cx);
    EXPECT_EQ(0, text->MeasureText(L"Upload").cy);
    text->SetColour(0xFFFFFF);
    Repaint();
    const RECT ink = InkBounds(RECT{0, 0, kWidth, kHeight});
    EXPECT_EQ(ink.left, ink.right);
}

TEST_F(GUITextTest, MeasuringCountsAdvancesSpacingAndDescenders) {
    GUIText* text = Text(0, 0, 0, 0, L"");
    EXPECT_EQ(0, text->MeasureText(L"").cx);
    EXPECT_EQ(0, text->MeasureText(L"").cy);

    const SIZE one = text->MeasureText(L"x");
    const SIZE three = text->MeasureText(L"xxx");
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(3 * one.cx, three.cx);
    EXPECT_EQ(13, three.cy);  // the em and one row
    EXPECT_GT(text->MeasureText(L"gjpqy").cy, 13);

    text->SetSpacing(2);
    EXPECT_EQ(three.cx + 6, text->MeasureText(L"xxx").cx);

    // The rendered line stays inside its measured box and fills its width.
    GUIText* line = Text(5, 5, 0, 0, L"Quick brown fox, jumpy dog");
    line->SetColour(0xFFFFFF);
    Repaint();
    const SIZE size = line->Size();
    const RECT ink = InkBounds(RECT{0, 0, kWidth, kHeight});
    EXPECT_GE(ink.left, 5);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.right, 5 + size.cx);
    EXPECT_GT(ink.right, 5 + size.cx - 4);
    EXPECT_LE(ink.bottom, 5 + size.cy);
    EXPECT_GT(ink.bottom, 5 + 12);  // descenders reach below the baseline
}

TEST_F(GUITextTest, AlignmentShiftsTheLineByTheFreeWidth) {
    const std::wstring sample = L"Settings";
    GUIText* text = Text(10, 10, 140, 20, sample);
    text->SetColour(0xFFFFFF);
    const int width = text->MeasureText(sample).cx;
    ASSERT_GT(width, 20);
    ASSERT_LT(width, 140);
    const RECT area{0, 0, kWidth, kHeight};

    Repaint();
    const RECT left = InkBounds(area);
    ASSERT_LT(left.left, left.right);
    EXPECT_GE(left.left, 10);

    text->SetAlignment(GUIText::kAlignRight);
    Repaint();
    RECT ink = InkBounds(area);
    EXPECT_EQ(left.left + 140 - width, ink.left);
    EXPECT_EQ(left.right + 140 - width, ink.right);
    EXPECT_EQ(left.top, ink.top);

    text->SetAlignment(GUIText::kAlignCentre);
    Repaint();
    ink = InkBounds(area);
    EXPECT_EQ(left.left + (140 - width) / 2, ink.left);
    EXPECT_EQ(left.right + (140 - width) / 2, ink.right);

    text->SetAlignment(7);  // anything else is left
    Repaint();
    ink = InkBounds(area);
    EXPECT_EQ(left.left, ink.left);

    text->Show(SW_HIDE);
    Repaint();
    ink = InkBounds(area);
    EXPECT_EQ(ink.left, ink.right);
}

TEST_F(GUITextTest, ColourIsPremultipliedByCoverage) {
    GUIText* text = Text(4, 4, 0, 0, L"HIM");
    ASSERT_TRUE(text->SetFont({{L"Calibri", 40, 400}}));
    text->SetColour(0xFF336699);  // bits above the colour are ignored
    Repaint();
    const SIZE size = text->Size();
    int full = 0, partial = 0;
    for (int y = 4; y < 4 + size.cy; ++y) {
        for (int x = 4; x < 4 + size.cx; ++x) {
            const std::uint32_t pixel = Pixel(x, y);
            const std::uint32_t a = pixel >> 24;
            if (a == 0) {
                ASSERT_EQ(0u, pixel);
                continue;
            }
            a == 255 ? ++full : ++partial;
            ASSERT_EQ(0x33 * a / 255, (pixel >> 16) & 0xFF) << x << "," << y;
            ASSERT_EQ(0x66 * a / 255, (pixel >> 8) & 0xFF) << x << "," << y;
            ASSERT_EQ(0x99 * a / 255, pixel & 0xFF) << x << "," << y;
        }
    }
    EXPECT_GT(full, 0);
    EXPECT_GT(partial, 0);
    EXPECT_EQ(0xFF336699u, 0xFF000000u | text->Colour());
}

TEST_F(GUITextTest, TooWideTextEndsInThreeFullStops) {
    const std::wstring alphabet = L"abcdefghijklmnopqrstuvwxyz";
    const int width = 70;
    GUIText* cut = Text(0, 0, width, 16, alphabet);
    cut->SetColour(0xFFFFFF);
    const int reserve = cut->MeasureText(L"...").cx;

    // The first letter whose advance reaches the reserve becomes the dots.
    std::size_t first = 0;
    while (first < alphabet.size() &&
           cut->MeasureText(alphabet.substr(0, first + 1)).cx < width - reserve) {
        ++first;
    }
    ASSERT_GT(first, 2u);
    ASSERT_LT(first, alphabet.size());

    GUIText* expected = Text(0, 40, 0, 0, alphabet.substr(0, first) + L"...");
    expected->SetColour(0xFFFFFF);
    ASSERT_NE(nullptr, cut->Pixels());
    ASSERT_NE(nullptr, expected->Pixels());
    const SIZE reference = expected->Size();
    ASSERT_LE(reference.cy, 16);
    for (int y = 0; y < reference.cy; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t want =
                x < reference.cx ? expected->Pixels()[(reference.cy - 1 - y) * reference.cx + x] : 0;
            ASSERT_EQ(want, cut->Pixels()[(16 - 1 - y) * width + x]) << x << "," << y;
        }
    }
}

TEST_F(GUITextTest, SizesItselfToItsTextAndRendersOnlyOnChanges) {
    GUIText* text = Text(5, 5, 0, 0, L"Auto");
    EXPECT_EQ(0, text->RenderCount());
    EXPECT_EQ(nullptr, text->Bitmap());
    Repaint();  // the first paint renders
    EXPECT_EQ(1, text->RenderCount());
    EXPECT_EQ(text->MeasureText(L"Auto").cx, text->Size().cx);
    EXPECT_EQ(text->MeasureText(L"Auto").cy, text->Size().cy);
    Repaint();
    EXPECT_EQ(1, text->RenderCount());

    text->Resize(80, 20);
    EXPECT_EQ(2, text->RenderCount());
    text->SetColour(0x123456);
    EXPECT_EQ(80, text->Size().cx);
    EXPECT_EQ(20, text->Size().cy);

    const int renders = text->RenderCount();
    EXPECT_FALSE(text->SetText(L"Auto"));
    text->SetAlignment(GUIText::kAlignLeft);
    text->SetSpacing(0);
    EXPECT_EQ(renders, text->RenderCount());

    EXPECT_TRUE(text->SetText(L"Longer words"));
    EXPECT_EQ(text->MeasureText(L"Longer words").cx, text->Size().cx);
    text->SetSpacing(3);
    EXPECT_EQ(text->MeasureText(L"Longer words").cx, text->Size().cx);

    // A fixed size survives new text.
    GUIText* fixed = Text(5, 40, 90, 18, L"Fixed");
    fixed->SetText(L"Another text");
    EXPECT_EQ(90, fixed->Size().cx);
    EXPECT_EQ(18, fixed->Size().cy);
}

TEST_F(GUITextTest, OwnFontReplacesTheDefaultOnlyWhenItLoads) {
    GUIText* text = Text(5, 5, 0, 0, L"Heading");
    text->SetColour(0);
    const SIZE small = text->Size();
    EXPECT_FALSE(text->SetFont({{L"Myriad Pro", 20, 700}}));
    EXPECT_FALSE(text->HasOwnFont());
    EXPECT_EQ(DefaultFont().get(), text->Font());

    EXPECT_TRUE(text->SetFont({{L"Myriad Pro", 20, 700}, {L"Calibri", 20, 700}}));
    EXPECT_TRUE(text->HasOwnFont());
    EXPECT_EQ(20, text->Font()->PixelHeight());
    EXPECT_EQ(21, text->Font()->PixelWidth());
    // The new font sizes the widget again.
    EXPECT_GT(text->Size().cx, small.cx);
    EXPECT_GE(text->Size().cy, 21);
    EXPECT_FALSE(text->SetFont({{L"Lucida Sans Unicode", 9, 400}}));
    EXPECT_EQ(20, text->Font()->PixelHeight());
}

}  // namespace
