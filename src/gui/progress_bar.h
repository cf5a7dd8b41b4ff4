// The upload progress bar is no widget of its own: three images on one row,
// a left cap, a centre that repeats its picture across its width and a right
// cap that follows the centre's end.
#pragma once

#include "gui/gui_object.h"

// Width of the centre at 100 percent.
constexpr int kProgressBarLength = 119;

// Width of the centre for `percent`, which is first limited to 0 to 100 (so
// "no transfer yet", -1, gives an empty bar).
int ProgressCentreWidth(int percent);

// Sizes the centre for `percent` (keeping its height) and moves the right cap
// to where the centre ends, on the centre's row. The caller repaints.
void SetProgressBar(GUIObject* centre, GUIObject* rightCap, int percent);
