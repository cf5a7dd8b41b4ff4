#include "capture/overlay_widgets.h"

#include "gui/gui_button.h"
#include "gui/gui_image.h"
#include "gui/skin_catalogue.h"

namespace {

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

}  // namespace

OverlayWidgets::OverlayWidgets(HWND overlay, HINSTANCE instance, HDC memory, POINT buttonAt)
    : memory_(memory) {
    const char* names[kCornerCount] = {"SS_TOP_LEFT", "SS_TOP_RIGHT", "SS_BOTTOM_RIGHT", "SS_BOTTOM_LEFT"};
    for (int corner = 0; corner < kCornerCount; ++corner) {
        corners_[corner] = std::make_unique<GUIImage>(overlay, instance, 0, 0, kCornerSize, kCornerSize,
                                                      SkinPath(names[corner]));
        corners_[corner]->Show(SW_HIDE);
    }
    button_ = std::make_unique<GUIButton>(overlay, instance, buttonAt.x, buttonAt.y, kButtonSize, kButtonSize,
                                          SkinPath("SS_UPLOAD"), nullptr);
    button_->SetClickFunction(PressEnter);
    button_->SetUserData(overlay);
}

OverlayWidgets::~OverlayWidgets() = default;

CaptureRect OverlayWidgets::CornerArea(int corner) const {
    return AreaOf(*corners_[corner]);
}

void OverlayWidgets::PlaceCorner(int corner, const CaptureRect& area, CapturePoint source) {
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
