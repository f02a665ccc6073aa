#pragma once
// The uninstaller's own script functions, registered beside the system
// functions in the state that runs the uninstall script:
//   removeEmptyDirectory(path) -> boolean   removes a folder only when it
//                                           is empty; a path that is or
//                                           passes through a link removes
//                                           nothing
//   isFolderLink(path) -> boolean           whether the path is a reparse
//                                           point (a junction or a link)
//   regDeleteEmptyKey(root, key) -> boolean removes a key only when it has
//                                           no values and no subkeys; true
//                                           when the key is gone afterwards
//   removeAtRestart(path) -> boolean        schedules a file or an empty
//                                           folder for deletion at the next
//                                           restart
//   removeKeptFiles(folder) -> number       deletes the hidden nlu*.tmp
//                                           files setup keeps beside what
//                                           it replaces (never through a
//                                           link, never a link)
//   startRemoval() -> boolean               only while the program still runs
//                                           from the install folder: hands
//                                           the removal to a copy of the
//                                           program in the temporary folder
//                                           (see RemovalProcess.h)
//   handOverResult(code)                    only in the copy, when the first
//                                           stage waits for it: sends it
//                                           the removal's exit code, then
//                                           waits (bounded) until it has
//                                           ended, so that its file can go

#include <functional>

struct lua_State;

namespace nelvo::uninstall {

// Starts the removal elsewhere; true when it runs.
using RemovalStarter = std::function<bool()>;
// Sends the first stage the exit code and waits for its end.
using ResultHandOver = std::function<void(int)>;

// Registers the functions as globals; startRemoval only when `starter` is
// given, handOverResult only when `handOver` is. Both must outlive the
// state. Stack unchanged.
void registerUninstallFunctions(lua_State* L, const RemovalStarter* starter,
                                const ResultHandOver* handOver = nullptr);

} // namespace nelvo::uninstall
