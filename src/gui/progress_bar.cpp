#include "gui/progress_bar.h"

#include "base/display_scale.h"

#include <algorithm>

int ProgressCentreWidth(int percent) {
    return std::clamp(percent, 0, 100) * kProgressBarLength / 100;
}

void SetProgressBar(GUIObject* centre, GUIObject* rightCap, int percent) {
    if (!centre || !rightCap) return;
    const int width = ScaleLength(ProgressCentreWidth(percent), centre->WindowDpi());
    const POINT start = centre->Position();
    centre->Resize(width, centre->Size().cy);
    rightCap->Move(start.x + width, start.y);
}
