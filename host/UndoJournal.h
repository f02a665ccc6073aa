#pragma once
// What one install run changed on the machine, recorded before each change
// is made, so that a run that ends without success can be taken back
// exactly, newest change first.
//
// The install worker owns one journal per run (worker thread only). Every
// step that changes the machine calls one of the record functions first and,
// for the changes that are not harmless to undo when they did not happen,
// made() once the change is done:
//  - folders: each folder that did not exist is recorded before it is made;
//    undo removes it when it is empty, so whatever else landed in it (a
//    user's file, a log a started program wrote) keeps it;
//  - files written over a path: when nothing was there, undo deletes what is
//    there; when a file was there, a copy of it is kept beside it (hidden)
//    before it is replaced, and undo moves that copy back with its old
//    attributes: the previous content comes back byte for byte;
//  - a file moved over another (the settings file): moved back, and the
//    file it replaced restored from its kept copy;
//  - a filter registered with regsvr32 from a file this run created: undo
//    unregisters it while the file is still there. A file the run replaced
//    keeps its registration: it names the same path, where the previous
//    file is back;
//  - a driver installed with the device tool: undo runs the same tool with
//    "remove". A driver of an earlier installation that the device tool
//    removed (or that this run's driver replaced) cannot be put back from
//    here: that would run the old version's tool as administrator during
//    the undo. driverRemoved() says so, for the wizard to tell the user.
// commit() ends a successful run: the kept copies are deleted. A journal
// destroyed without commit() or undo() undoes silently.

#include <cstddef>
#include <string>
#include <vector>

namespace nelvo {

class UndoJournal {
public:
    UndoJournal() = default;
    ~UndoJournal();
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // Records each folder of `path` (and above it) that does not exist yet,
    // outermost first. "/" counts as "\".
    void recordFolders(const std::wstring& path);

    // Before `path` is written over. A file there is copied beside it first;
    // false when that copy cannot be made (the write must not happen then).
    // Returns through `change` the entry to pass to made(). A path recorded
    // earlier in the run is not recorded again: its first state is what undo
    // brings back.
    bool recordWrite(const std::wstring& path, size_t& change);

    // Before `source` is moved over `target`: the target's file, if any, is
    // kept as for recordWrite. False when it cannot be kept.
    bool recordMove(const std::wstring& source, const std::wstring& target, size_t& change);

    // Before `library` is registered with regsvr32.
    void recordRegistration(const std::wstring& library);
    // Before the device tool `tool` (a full path) installs the driver for
    // `hardwareId`.
    void recordDriverInstall(const std::wstring& tool, const std::wstring& hardwareId, size_t& change);
    // After the device tool removed the previous driver.
    void noteDriverRemoved() { driverRemoved_ = true; }

    // The recorded change `change` has been made.
    void made(size_t change);

    bool empty() const { return entries_.empty(); }
    bool driverRemoved() const { return driverRemoved_; }

    // Takes back every recorded change, newest first. Returns how many could
    // not be taken back (a file that cannot be deleted or restored, a folder
    // that is not empty does not count: it is left on purpose).
    size_t undo();
    // The run succeeded: deletes the kept copies and forgets the changes.
    void commit();

private:
    enum class Kind { FolderCreated, FileCreated, FileReplaced, FileMoved, FilterRegistered, DriverInstalled };
    struct Entry {
        Kind kind;
        std::wstring path;    // the folder, the file written, the move's target, the library, the tool
        std::wstring other;   // the move's source, the hardware id
        std::wstring kept;    // the hidden copy of the file that was at `path`
        unsigned long attributes = 0;  // of that file
        bool made = false;
    };

    bool keep(const std::wstring& path, Entry& entry);
    bool undoEntry(const Entry& entry);

    std::vector<Entry> entries_;
    bool driverRemoved_ = false;
    bool finished_ = false;
};

} // namespace nelvo
