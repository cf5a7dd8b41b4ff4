#include "capture/overlay_widgets.h"

#include "base/display_scale.h"
#include "base/monitor_dpi.h"
#include "gui/gui_button.h"
#include "gui/gui_image.h"
#include "gui/skin_catalogue.h"

namespace {

const char* const kCornerNames[kCornerCount] = {"SS_TOP_LEFT", "SS_TOP_RIGHT", "SS_BOTTOM_RIGHT",
                                                "SS_BOTTOM_LEFT"};

// A click behaves exactly as Enter, Ctrl included.
void PressEnter(void* overlay, WPARAM) {
    PostMessageW(static_cast<HWND>(overlay), WM_KEYDOWN, VK_RETURN, 0);
}

CaptureRect AreaOf(const GUIObject& widget) {
    const POINT at = widget.Position();
    const SIZE size = widget.Size();
    return CaptureRect{at.x, at.y, at.x + size.cx, at.y + size.cy};
}

RECT ToRect(const CaptureRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// The pixel of a placed corner image that lies on the selection's corner.
CapturePoint OuterPixel(int corner, const CaptureRect& area) {
    switch (corner) {
        case kTopRight:
            return {area.right - 1, area.top};
        case kBottomRight:
            return {area.right - 1, area.bottom - 1};
        case kBottomLeft:
            return {area.left, area.bottom - 1};
        default:
            return {area.left, area.top};
    }
}

}  // namespace

OverlayWidgets::OverlayWidgets(HWND overlay, HINSTANCE instance, HDC memory, POINT origin)
    : overlay_(overlay), instance_(instance), memory_(memory), origin_(origin) {
    for (int corner = 0; corner < kCornerCount; ++corner) LoadCorner(corner, kBaseDpi);
    // The primary monitor holds the virtual screen's (0, 0).
    const int dpi = DpiOfPoint(POINT{0, 0});
    const int inset = ScaleLength(kButtonInset, dpi), size = ScaleLength(kButtonSize, dpi);
    button_ = std::make_unique<GUIButton>(overlay, instance, inset - origin.x, inset - origin.y, size, size,
                                          SkinPath("SS_UPLOAD"), nullptr, dpi);
    button_->SetClickFunction(PressEnter);
    button_->SetUserData(overlay);
}

OverlayWidgets::~OverlayWidgets() = default;

int OverlayWidgets::DpiAt(CapturePoint point) const {
    return DpiOfPoint(POINT{point.x + origin_.x, point.y + origin_.y});
}

void OverlayWidgets::LoadCorner(int corner, int dpi) {
    const int size = ScaleLength(kCornerSize, dpi);
    corners_[corner] =
        std::make_unique<GUIImage>(overlay_, instance_, 0, 0, size, size, SkinPath(kCornerNames[corner]), dpi);
    corners_[corner]->Show(SW_HIDE);
    cornerDpi_[corner] = dpi;
}

int OverlayWidgets::CornerSizeAt(CapturePoint point) const {
    return ScaleLength(kCornerSize, DpiAt(point));
}

CaptureRect OverlayWidgets::CornerArea(int corner) const {
    return AreaOf(*corners_[corner]);
}

void OverlayWidgets::PlaceCorner(int corner, const CaptureRect& area, CapturePoint source, int pictureSize) {
    // Onto a monitor of another scale: the picture drawn for that one.
    const int dpi = DpiAt(OuterPixel(corner, area));
    if (ScaleLength(kCornerSize, cornerDpi_[corner]) != pictureSize) LoadCorner(corner, dpi);
    GUIImage& image = *corners_[corner];
    image.Resize(area.Width(), area.Height());
    image.SetSourceOffset(source.x, source.y);
    image.Move(area.left, area.top);
}

void OverlayWidgets::PaintCorner(int corner, OverlayCanvas&) {
    GUIImage& image = *corners_[corner];
    if (!image.IsVisible()) image.Show(SW_SHOW);
    const RECT area = ToRect(AreaOf(image));
    image.Paint(memory_, area);
    // The next direct pixel write must see this drawing.
    GdiFlush();
}

CaptureRect OverlayWidgets::ButtonArea() const {
    return AreaOf(*button_);
}

void OverlayWidgets::PaintButton(OverlayCanvas&) {
    const RECT area = ToRect(AreaOf(*button_));
    button_->Paint(memory_, area);
    GdiFlush();
}
