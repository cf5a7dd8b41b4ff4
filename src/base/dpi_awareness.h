// How the process sees display scaling. Each executable declares its
// awareness in its manifest; EnableDpiAwareness asks for the same at run
// time, through whichever call the system has, for starts where the manifest
// did not count (a copy of the program without its manifest, systems that
// read only the older manifest setting). The program and the updater are
// per-monitor aware (v2 where the system has it).
#pragma once

enum class DpiAwareness {
    kUnaware,              // the system stretches our pixels
    kSystem,               // one DPI for every monitor, read at start
    kPerMonitor,           // Windows 8.1: each monitor's, non-client parts unscaled
    kPerMonitorVersion2,   // Windows 10 1703 and later: each monitor's, in full
};

// Asks for `wanted` or the most below it the system offers, newest call
// first: the v2 context (Windows 10 1703), the per-monitor context (Windows
// 10), the per-monitor process setting (Windows 8.1), system awareness
// (Vista); XP has none of them and stays as it is. The awareness can be set
// once per process, so after the manifest has set it every call fails and
// this only reads it. Returns the awareness in force afterwards.
DpiAwareness EnableDpiAwareness(DpiAwareness wanted);

// The awareness of the calling thread (the process's unless a thread set
// its own).
DpiAwareness CurrentDpiAwareness();
