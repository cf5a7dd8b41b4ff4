// The corner images and the upload button of a region capture, drawn into
// the overlay's memory picture: the real OverlayDecorations.
#pragma once

#include <windows.h>

#include <memory>

#include "capture/overlay_canvas.h"

class GUIImage;
class GUIButton;

class OverlayWidgets : public OverlayDecorations {
public:
    static constexpr int kButtonSize = 53;

    // The corners start hidden at (0, 0); the button sits at `buttonAt` in
    // overlay coordinates and, when clicked, posts Enter to the overlay.
    OverlayWidgets(HWND overlay, HINSTANCE instance, HDC memory, POINT buttonAt);
    ~OverlayWidgets() override;

    CaptureRect CornerArea(int corner) const override;
    void PlaceCorner(int corner, const CaptureRect& area, CapturePoint source) override;
    void PaintCorner(int corner, OverlayCanvas& canvas) override;
    CaptureRect ButtonArea() const override;
    void PaintButton(OverlayCanvas& canvas) override;

    GUIButton* Button() const { return button_.get(); }

private:
    HDC memory_;
    std::unique_ptr<GUIImage> corners_[kCornerCount];
    std::unique_ptr<GUIButton> button_;
};
