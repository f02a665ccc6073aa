#pragma once
// The restart marker: a file in the temporary folder whose first 8 bytes are
// the raw `ShutdownTime` registry value read when it was written. While the
// value on the machine still equals it, the machine has not restarted since
// an install or uninstall asked for a restart.

#include <cstdint>
#include <string>

namespace nelvo {

// GetTempPathW's path (which ends with a separator) + "\nelvo_restart".
// Writer and reader build it the same way. Empty if there is no temp path.
std::wstring restartMarkerPath();

// Reads the raw 8 bytes of HKLM\SYSTEM\CurrentControlSet\Control\Windows
// "ShutdownTime" into `buffer`. Returns true only if the query succeeded.
// Callers zero the buffer first, so a failed read leaves 8 zero bytes.
bool readShutdownTime(uint8_t (&buffer)[8]);

// True when a marker exists whose first 8 bytes equal the current shutdown
// time (8 zero bytes when it cannot be read); the marker then stays. Any
// other marker (unopenable, shorter than 8 bytes, different value) is
// deleted and the result is false.
bool restartPending();

// Writes the marker with the current shutdown time (8 zero bytes when it
// cannot be read) and asks the system to delete it at the next restart. The
// script's markRestart.
void writeRestartMarker();

} // namespace nelvo
