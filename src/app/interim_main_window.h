// A plain top-level window that stands in for the skinned main window until
// the toolkit exists: it is published for the instance hand-off, answers the
// window commands and quits the message loop on close or Exit.
#pragma once

#include <windows.h>

HWND CreateInterimMainWindow(HINSTANCE instance);
