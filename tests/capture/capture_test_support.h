// What the in-process capture tests share: the skin beside the test program,
// the default settings and fonts, and real pointer input.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

class CaptureTest : public ::testing::Test {
protected:
    // Loads the skin catalogue from the test program's folder, defines the
    // default settings, the fonts and the image library; the pointer goes
    // to the screen's corner.
    void SetUp() override;
};

// Real pointer input for these tests: MouseTo, MouseDown, MouseUp, Drag.
#include "support/real_input.h"
