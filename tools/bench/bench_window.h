// What the history benchmarks share: the program's own main window with its
// history list, built the way start-up builds it over a data folder of
// their own, a clock and a message pump.
#pragma once

#include <windows.h>

#include <memory>

class HistoryStore;
class SkinnableWindow;

double Milliseconds();

// Runs what is queued for this thread.
void Pump();

// Points the program at `dataFolder` and the skin beside the executable,
// then builds the main window (into `window`), its buttons and upload page,
// and fills the history list from the folder's history.db. Null when the
// skin or the window could not be made.
std::unique_ptr<HistoryStore> OpenBenchWindow(HINSTANCE instance, const wchar_t* dataFolder,
                                              std::unique_ptr<SkinnableWindow>& window);
