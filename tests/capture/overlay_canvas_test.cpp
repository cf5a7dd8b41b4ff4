#include "capture/overlay_canvas.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Premultiplied blend of `src` over `dst`, one channel at a time.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t inverse = 255 - (src >> 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t s = (src >> shift) & 0xFF;
        const std::uint32_t d = (dst >> shift) & 0xFF;
        out |= std::min<std::uint32_t>(255, s + d * inverse / 255) << shift;
    }
    return out;
}

// Corner pictures and a button drawn straight into the canvas, as the
// widgets do through AlphaBlend: corners over transparent black, the button
// blended over whatever lies below. From column `split` on lies a monitor at
// 150 %, where the corner pictures are 18 pixels on a side.
class TestDecorations : public OverlayDecorations {
public:
    explicit TestDecorations(int split = 1 << 30) : split_(split) {
        for (CaptureRect& area : areas_) area = {0, 0, kCornerSize, kCornerSize};  // hidden at first
    }
    int CornerSizeAt(CapturePoint point) const override { return point.x >= split_ ? 18 : kCornerSize; }
    CaptureRect CornerArea(int corner) const override { return areas_[corner]; }
    void PlaceCorner(int corner, const CaptureRect& area, CapturePoint source, int pictureSize) override {
        areas_[corner] = area;
        sources_[corner] = source;
        sizes_[corner] = pictureSize;
        EXPECT_LE(source.x + area.Width(), pictureSize);
        EXPECT_LE(source.y + area.Height(), pictureSize);
    }
    void PaintCorner(int corner, OverlayCanvas& canvas) override {
        const CaptureRect& a = areas_[corner];
        for (int y = a.top; y < a.bottom; ++y) {
            for (int x = a.left; x < a.right; ++x) {
                const std::uint32_t src =
                    CornerPixel(corner, sizes_[corner], sources_[corner].x + x - a.left, sources_[corner].y + y - a.top);
                canvas.At(x, y) = Over(src, canvas.At(x, y));
            }
        }
    }
    CaptureRect ButtonArea() const override { return button_; }
    void PaintButton(OverlayCanvas& canvas) override {
        for (int y = button_.top; y < button_.bottom; ++y) {
            for (int x = button_.left; x < button_.right; ++x) {
                const std::uint32_t alpha = (x * 7 + y * 3) % 256;
                canvas.At(x, y) = Over((alpha << 24) | (alpha / 2) << 8, canvas.At(x, y));
            }
        }
    }

private:
    // A picture of its own for each corner and size.
    static std::uint32_t CornerPixel(int corner, int size, int x, int y) {
        const std::uint32_t alpha = (x + y + corner + size) % 3 == 0 ? 0 : 0x80 + 10 * corner;
        const std::uint32_t grey = alpha * ((x * size + y) % 256) / 255 / 2;
        return (alpha << 24) | (grey << 16) | (grey << 8) | grey;
    }

    int split_;
    CaptureRect areas_[kCornerCount];
    CapturePoint sources_[kCornerCount];
    int sizes_[kCornerCount] = {kCornerSize, kCornerSize, kCornerSize, kCornerSize};
    CaptureRect button_{5, 5, 58, 58};
};

struct Canvas {
    Canvas(int w, int h, const std::uint32_t* backdrop = nullptr)
        : pixels(static_cast<std::size_t>(w) * h, kOverlayDimmed) {
        canvas = {pixels.data(), w, h, backdrop};
    }
    std::vector<std::uint32_t> pixels;
    OverlayCanvas canvas;
};

TEST(OverlayCanvasTest, PixelTableAndBottomUpRows) {
    const CaptureRect s{10, 20, 15, 24};
    EXPECT_EQ(kOverlayDimmed, OverlayPixel(s, kRegionBorder, 9, 21));
    EXPECT_EQ(kOverlayDimmed, OverlayPixel(s, kRegionBorder, 15, 21));
    EXPECT_EQ(kOverlayDimmed, OverlayPixel(s, kRegionBorder, 12, 24));
    EXPECT_EQ(kRegionBorder, OverlayPixel(s, kRegionBorder, 10, 22));
    EXPECT_EQ(kRegionBorder, OverlayPixel(s, kRegionBorder, 14, 22));
    EXPECT_EQ(kGrabBorderOpaque, OverlayPixel(s, kGrabBorderOpaque, 12, 23));
    EXPECT_EQ(kOverlayInside, OverlayPixel(s, kRegionBorder, 11, 21));

    // Over a still picture of the screen: the layer as a compositor shows
    // it, opaque everywhere.
    EXPECT_EQ(0xFF4F4F4Fu, OverScreen(kOverlayDimmed, 0x00FFFFFF));
    EXPECT_EQ(0xFF000000u, OverScreen(kOverlayDimmed, 0x00000000));
    EXPECT_EQ(0xFF0000FEu, OverScreen(kOverlayInside, 0x120000FF));
    EXPECT_EQ(kRegionBorder, OverScreen(kRegionBorder, 0x00ABCDEF));
    EXPECT_EQ(0xFFABCDEFu, OverScreen(kOverlayUnderCorner, 0x00ABCDEF));
    EXPECT_EQ(0xFFFFFFFFu, OverScreen(0x80FFFFFF, 0x00FFFFFF));  // never past 255

    Canvas c(4, 3);
    c.canvas.At(1, 0) = 7;  // top row is the last row in memory
    EXPECT_EQ(7u, c.pixels[2 * 4 + 1]);
    // Filling clamps to the canvas.
    FillOverlay(c.canvas, CaptureRect{-5, -5, 2, 1}, 9);
    EXPECT_EQ(9u, c.pixels[2 * 4 + 0]);
    EXPECT_EQ(9u, c.pixels[2 * 4 + 1]);
    EXPECT_EQ(kOverlayDimmed, c.pixels[2 * 4 + 2]);
}

TEST(OverlayCanvasTest, CornersAreCutToHalfTheSelection) {
    const TestDecorations oneMonitor;
    CornerPlacement big = PlaceCorners(CaptureRect{100, 100, 200, 150}, oneMonitor);
    EXPECT_EQ((CaptureRect{100, 100, 112, 112}), big.area[kTopLeft]);
    EXPECT_EQ((CaptureRect{188, 100, 200, 112}), big.area[kTopRight]);
    EXPECT_EQ((CaptureRect{188, 138, 200, 150}), big.area[kBottomRight]);
    EXPECT_EQ((CaptureRect{100, 138, 112, 150}), big.area[kBottomLeft]);
    EXPECT_EQ((CapturePoint{0, 0}), big.source[kBottomRight]);
    // 15 x 9: corners of 7 x 4 showing the part nearest the corner.
    CornerPlacement small = PlaceCorners(CaptureRect{0, 0, 15, 9}, oneMonitor);
    EXPECT_EQ((CaptureRect{8, 5, 15, 9}), small.area[kBottomRight]);
    EXPECT_EQ((CapturePoint{5, 8}), small.source[kBottomRight]);
    EXPECT_EQ((CapturePoint{5, 0}), small.source[kTopRight]);
    EXPECT_EQ((CapturePoint{0, 8}), small.source[kBottomLeft]);
    EXPECT_LE(small.area[kTopLeft].right, small.area[kTopRight].left);

    // Across a 100 % and a 150 % monitor (split at column 150): the right
    // corners are 18 pixels, cut alike when the selection is small.
    const TestDecorations twoMonitors(150);
    const CornerPlacement across = PlaceCorners(CaptureRect{100, 100, 200, 150}, twoMonitors);
    EXPECT_EQ((CaptureRect{100, 100, 112, 112}), across.area[kTopLeft]);
    EXPECT_EQ((CaptureRect{182, 100, 200, 118}), across.area[kTopRight]);
    EXPECT_EQ((CaptureRect{182, 132, 200, 150}), across.area[kBottomRight]);
    EXPECT_EQ((CapturePoint{0, 0}), across.source[kBottomRight]);
    EXPECT_EQ(18, across.size[kBottomRight]);
    EXPECT_EQ(12, across.size[kBottomLeft]);
    const CornerPlacement narrow = PlaceCorners(CaptureRect{140, 0, 170, 20}, twoMonitors);
    EXPECT_EQ((CaptureRect{140, 0, 152, 10}), narrow.area[kTopLeft]);
    EXPECT_EQ((CaptureRect{155, 10, 170, 20}), narrow.area[kBottomRight]);
    EXPECT_EQ((CapturePoint{3, 8}), narrow.source[kBottomRight]);
    // The pointer's bands follow the monitor it is on.
    RegionSelection selection;
    selection.anchor = {100, 100};
    selection.current = {199, 149};
    selection.hasSelection = true;
    EXPECT_EQ(PointerShape::kNwSe, ShapeAt(selection, {185, 135}, twoMonitors.CornerSizeAt({185, 135})));
    EXPECT_EQ(PointerShape::kMove, ShapeAt(selection, {185, 135}));
}

// The overlay as the window procedure drives it, next to one rendered from
// scratch for the same selection.
class Overlay {
public:
    Overlay(int w, int h, std::uint32_t border, bool decorated, const std::uint32_t* backdrop = nullptr,
            int split = 1 << 30)
        : live_(w, h, backdrop), border_(border), decorated_(decorated), backdrop_(backdrop), decorations_(split),
          split_(split) {
        RenderOverlay(live_.canvas, CaptureRect{}, border_, Decorations());
    }
    OverlayDecorations* Decorations() { return decorated_ ? &decorations_ : nullptr; }
    void Press(CapturePoint p) {
        if (PressOnOverlay(live_.canvas, selection, p, Decorations())) Redraw();
    }
    void MoveTo(CapturePoint p) {
        if (PointerMovedTo(selection, p, live_.canvas.width, live_.canvas.height)) Redraw();
    }
    void Release() {
        if (::Release(selection)) Redraw();
    }
    void Redraw() { RedrawRegion(live_.canvas, selection, border_, Decorations()); }

    // The first pixel that differs from a fresh rendering, as text; empty
    // when all match.
    std::string Difference() {
        Canvas fresh(live_.canvas.width, live_.canvas.height, backdrop_);
        TestDecorations freshDecorations(split_);
        RenderOverlay(fresh.canvas, selection.drawn, border_, decorated_ ? &freshDecorations : nullptr);
        for (int y = 0; y < fresh.canvas.height; ++y) {
            for (int x = 0; x < fresh.canvas.width; ++x) {
                const bool seeThrough = backdrop_ && (live_.canvas.At(x, y) >> 24) != 0xFF;
                if (fresh.canvas.At(x, y) != live_.canvas.At(x, y) || seeThrough) {
                    char text[160];
                    std::snprintf(text, sizeof text, "(%d,%d) live %08X fresh %08X", x, y,
                                  live_.canvas.At(x, y), fresh.canvas.At(x, y));
                    return text;
                }
            }
        }
        return {};
    }

    RegionSelection selection;

private:
    Canvas live_;
    std::uint32_t border_;
    bool decorated_;
    const std::uint32_t* backdrop_;
    TestDecorations decorations_;
    int split_;
};

TEST(OverlayCanvasTest, NarrowingASmallSelectionLeavesNoStaleCorner) {
    Overlay overlay(120, 90, kRegionBorder, true);
    overlay.Press({70, 60});
    overlay.MoveTo({89, 75});  // 20 x 16: corners 10 x 8
    overlay.Release();
    ASSERT_EQ("", overlay.Difference());
    // Pull the right edge in: the top-left corner shrinks while its own
    // edges stay where they are.
    overlay.Press({88, 74});
    overlay.MoveTo({78, 74});
    EXPECT_EQ("", overlay.Difference());
    overlay.MoveTo({78, 64});
    overlay.Release();
    EXPECT_EQ("", overlay.Difference());
}

// Random drags, moves and corner resizes; after every redraw the live
// overlay must equal a fresh rendering of its selection (and over a still
// screen, stay opaque everywhere).
TEST(OverlayCanvasTest, IncrementalRedrawMatchesAFreshRendering) {
    const int w = 160, h = 120;
    std::vector<std::uint32_t> screen(std::size_t(w) * h);
    std::mt19937 noise(7);
    for (std::uint32_t& pixel : screen) pixel = noise() & 0x00FFFFFF;
    struct Mode {
        std::uint32_t border;
        bool decorated;
        const std::uint32_t* backdrop;
        int steps;
        int split;  // a 150 % monitor from this column on
    } modes[] = {{kRegionBorder, true, nullptr, 400, w},
                 {kGrabBorderTransparent, false, nullptr, 400, w},
                 {kRegionBorder, true, screen.data(), 100, w},
                 {kRegionBorder, true, nullptr, 400, w / 2}};
    for (const Mode& mode : modes) {
        std::mt19937 random(20240611);
        Overlay overlay(w, h, mode.border, mode.decorated, mode.backdrop, mode.split);
        auto coordinate = [&](int size) {
            // Mostly on the overlay, sometimes past its edges.
            return std::uniform_int_distribution<int>(-25, size + 25)(random);
        };
        int redraws = 0;
        for (int step = 0; step < mode.steps; ++step) {
            CapturePoint press{coordinate(w), coordinate(h)};
            const CaptureRect d = overlay.selection.drawn;
            const int kind = std::uniform_int_distribution<int>(0, 3)(random);
            if (overlay.selection.hasSelection && kind == 1) {
                // Near a corner of the selection: a resize.
                press = {random() % 2 ? d.left + 1 : d.right - 2, random() % 2 ? d.top + 1 : d.bottom - 2};
            } else if (overlay.selection.hasSelection && kind == 2) {
                press = {(d.left + d.right) / 2, (d.top + d.bottom) / 2};  // a move
            }
            overlay.Press(press);
            const int moves = std::uniform_int_distribution<int>(0, 6)(random);
            CapturePoint at = press;
            for (int m = 0; m < moves; ++m) {
                // Short steps make small selections, long ones cross edges.
                const int reach = m % 2 ? 4 : 60;
                at.x += std::uniform_int_distribution<int>(-reach, reach)(random);
                at.y += std::uniform_int_distribution<int>(-reach, reach)(random);
                overlay.MoveTo(at);
                const std::string difference = overlay.Difference();
                ASSERT_EQ("", difference) << "step " << step << " move " << m;
                ++redraws;
            }
            overlay.Release();
            ASSERT_EQ("", overlay.Difference()) << "step " << step;
        }
        EXPECT_GT(redraws, 2 * mode.steps);
    }
}

}  // namespace
