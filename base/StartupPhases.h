#pragma once
// Where the program's start-up goes, measured by the program itself for the
// installer benchmark: the time from the process's creation to its entry,
// then the time of each phase up to the first painted window, sent once on
// the debugger output channel (OutputDebugString) after the first paint.
// No file is written and no switch is read: the program runs elevated, and
// a place named by the environment or a per-user value would let whoever
// set it choose where an administrator writes. A debugger or a debug-output
// monitor (bench/ProcessWatch.cpp) receives the text; without one it goes
// nowhere. Measuring costs one counter read per phase.
//
// The text (one debug string, at most 4 KB, tab-separated, times in
// milliseconds):
//   nelvo-startup-phases LF
//   <phase name> TAB <duration> TAB <time since process creation> LF ...
// in the order of the phases. It is sent from a thread of its own, so that
// a monitor that never frees the channel's buffer cannot hold the window.
//
// Main thread only: begin() first in the process entry, mark() at the end
// of each phase, finish() at the end of the last, which sends the text and
// stops the recording.
// Windows build only.

namespace nelvo {

class StartupPhases {
public:
    // Starts the recording.
    static void begin();
    // Ends the phase called `name` (a string literal: kept by pointer).
    // Nothing once the recording has ended or the table is full.
    static void mark(const char* name);
    // Ends the last phase and sends the text. Later calls do nothing.
    static void finish(const char* name);
};

} // namespace nelvo
