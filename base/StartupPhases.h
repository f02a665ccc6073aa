#pragma once
// Where the program's start-up goes, measured by the program itself for the
// installer benchmark: the time from the process's creation to its entry,
// then the time of each phase up to the first painted window, written to a
// file when the environment variable NELVO_STARTUP_PHASES names one.
// Without the variable nothing is measured and nothing is written; every
// call is a test of one flag.
//
// The file (UTF-8, one line per phase, tab-separated, times in
// milliseconds):
//   <phase name> TAB <duration> TAB <time since process creation>
// in the order of the phases. The variable must name a full path
// ("X:\..."); the file is made new: a name that exists, a link, or a path
// through a link is refused (nothing written).
//
// Main thread only: begin() first in the process entry, mark() at the end
// of each phase, finish() at the end of the last, which writes the file
// and stops the recording.
// Windows build only.

namespace nelvo {

class StartupPhases {
public:
    // Reads the variable; starts the recording when it is set.
    static void begin();
    // Ends the phase called `name` (a string literal: kept by pointer).
    // Nothing when no recording runs or the table is full.
    static void mark(const char* name);
    // Ends the last phase and writes the file. Later calls do nothing.
    static void finish(const char* name);
};

} // namespace nelvo
