#pragma once
// The restart marker: the raw 8 bytes of the `ShutdownTime` registry value as
// they were when an install or uninstall asked for a restart, kept as the
// REG_BINARY value "RestartPending" of HKLM\Software\QuentNelvo (the 32-bit
// view, the same for setup and the uninstaller), where only administrators
// can write: nobody else can plant, delete or redirect it. While the
// machine's value still equals it, the machine has not restarted since.
//
// Earlier versions kept the marker as a file in the user's temporary folder
// (legacyRestartMarkerPath). Such a file is honoured once: when it still
// matches it becomes the registry value; either way it is deleted, through
// the handle it was read by, opened as itself with no link on its way. A
// link there is neither believed nor followed.

#include <cstdint>
#include <string>

namespace nelvo {

// GetTempPathW's path (which ends with a separator) + "\nelvo_restart":
// where earlier versions wrote the marker. Empty if there is no temp path.
std::wstring legacyRestartMarkerPath();

// Reads the raw 8 bytes of HKLM\SYSTEM\CurrentControlSet\Control\Windows
// "ShutdownTime" into `buffer`. Returns true only if the query succeeded.
// Callers zero the buffer first, so a failed read leaves 8 zero bytes.
bool readShutdownTime(uint8_t (&buffer)[8]);

// True when the marker's first 8 bytes equal the current shutdown time (8 zero bytes when
// it cannot be read); the marker then stays. A marker of any other value
// or shorter than 8 bytes is deleted and the result is false. The legacy file is taken over
// first, as described above.
bool restartPending();

// Writes the marker with the current shutdown time (8 zero bytes when it
// cannot be read). The script's markRestart.
void writeRestartMarker();

// Whether the marker is there, whatever it holds; nothing changes.
bool restartMarkerPresent();

// Deletes the marker and the legacy file (tests put the machine back).
void clearRestartMarker();

} // namespace nelvo
