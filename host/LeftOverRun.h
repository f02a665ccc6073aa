#pragma once
// The start of setup.exe and unins000.exe: a run that was killed, crashed
// or lost its power left its undo journal (UndoJournal.h); it is finished
// before anything else, with a short notice that says what happened and
// names what could not be taken back. Main thread, with the instance mutex
// held (so no running installation's journal is taken for a left-over
// one). When a file waits for the restart, the restart marker is written:
// the caller's restart check then stops the program.

namespace nelvo {

void finishLeftOverRun();

} // namespace nelvo
