#pragma once
// Copying a file where someone else may write: from a handle that was
// opened as itself and checked, into a folder opened the same way. The copy
// is written into a new file of a random name in that folder (nobody can
// have put a link there beforehand) and only then takes the target's name,
// by its handle, inside the folder's handle; its times and attributes are
// set through the same handle. So no name is ever opened that a link could
// send elsewhere. Windows only; any thread; the new file is made with the
// rights the thread has (the user's, while it acts as the user).

#include <windows.h>

#include <string>

namespace nelvo {

// Copies what `source` holds (opened with GENERIC_READ) into the file `name`
// of the opened folder `folder` (opened with FILE_ADD_FILE). A file of that
// name is replaced, as long as it is a plain file: a folder, a link or
// anything that cannot be opened at the name makes the copy fail, and so
// does a read-only file (the system refuses to replace it). The copy takes
// the source's time of last write and its attributes. False, with nothing
// left behind, when the copy was not made.
bool copyIntoFolder(HANDLE source, HANDLE folder, const std::wstring& name);

} // namespace nelvo
