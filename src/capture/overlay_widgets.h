// The corner images and the upload button of a region capture, drawn into
// the overlay's memory picture: the real OverlayDecorations. Each is drawn at
// the scale of the monitor it is on.
#pragma once

#include <windows.h>

#include <memory>

#include "capture/overlay_canvas.h"

class GUIImage;
class GUIButton;

class OverlayWidgets : public OverlayDecorations {
public:
    // At 100 %: the button's size and how far in from the primary monitor's
    // top-left corner it sits.
    static constexpr int kButtonSize = 53;
    static constexpr int kButtonInset = 5;

    // `origin`: the overlay's top-left corner on the virtual screen. The
    // corners start hidden at (0, 0); the button, at the primary monitor's
    // scale, when clicked posts Enter to the overlay.
    OverlayWidgets(HWND overlay, HINSTANCE instance, HDC memory, POINT origin);
    ~OverlayWidgets() override;

    int CornerSizeAt(CapturePoint point) const override;
    CaptureRect CornerArea(int corner) const override;
    void PlaceCorner(int corner, const CaptureRect& area, CapturePoint source, int pictureSize) override;
    void PaintCorner(int corner, OverlayCanvas& canvas) override;
    CaptureRect ButtonArea() const override;
    void PaintButton(OverlayCanvas& canvas) override;

    GUIButton* Button() const { return button_.get(); }
    // The DPI corner `corner`'s picture was loaded for.
    int CornerDpi(int corner) const { return cornerDpi_[corner]; }

private:
    int DpiAt(CapturePoint point) const;
    void LoadCorner(int corner, int dpi);

    HWND overlay_;
    HINSTANCE instance_;
    HDC memory_;
    POINT origin_;
    std::unique_ptr<GUIImage> corners_[kCornerCount];
    int cornerDpi_[kCornerCount] = {};
    std::unique_ptr<GUIButton> button_;
};
