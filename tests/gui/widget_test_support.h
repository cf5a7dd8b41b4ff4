// A shown skinned window for widget tests: widgets paint into its back
// buffer, which the tests read pixel by pixel.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui/gui_object.h"
#include "gui/skinnable_window.h"

class WidgetWindowTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 100;

    void SetUp() override;
    void TearDown() override;

    // Hands the widget to the window, which paints it and keeps it until the
    // end of the test.
    template <typename Widget>
    Widget* Add(std::unique_ptr<Widget> widget) {
        return window_->AddPainter(std::move(widget));
    }

    HWND Parent() const { return window_->MainWindow(); }
    // Paints the whole window again and lets every pending message through.
    void Repaint();
    std::uint32_t Pixel(int x, int y) const { return window_->BackBufferPixel(x, y); }
    // The smallest rectangle of `area` holding every pixel with alpha > 0;
    // empty (all zero) when there is none.
    RECT InkBounds(const RECT& area) const;

    int windowDpi_ = 96;  // what the window is drawn at; set before SetUp
    std::unique_ptr<SkinnableWindow> window_;
};

// A WM_MOUSE* LPARAM for a point in the input window's client coordinates.
LPARAM MousePoint(int x, int y);

// Moves the real pointer over a client point of `window`.
void PointerTo(HWND window, int x, int y);
