#include "gui/progress_bar.h"

#include <algorithm>

int ProgressCentreWidth(int percent) {
    return std::clamp(percent, 0, 100) * kProgressBarLength / 100;
}

void SetProgressBar(GUIObject* centre, GUIObject* rightCap, int percent) {
    if (!centre || !rightCap) return;
    const int width = ProgressCentreWidth(percent);
    const POINT start = centre->Position();
    centre->Resize(width, centre->Size().cy);
    rightCap->Move(start.x + width, start.y);
}
