#pragma once
// What one install run changed on the machine, recorded before each change
// is made, so that a run that ends without success can be taken back
// exactly, newest change first — also by the next setup or uninstall
// program when this one was killed, crashed or lost its power.
//
// The install worker owns one journal per run (worker thread only). Every
// step that changes the machine calls one of the record functions first and,
// for the changes that are not harmless to undo when they did not happen,
// made() once the change is done:
//  - folders: each folder that did not exist is recorded before it is made;
//    undo removes it when it is empty, so whatever else landed in it (a
//    user's file, a log a started program wrote) keeps it;
//  - files written over a path: when nothing was there, undo deletes what is
//    there; when a file was there, it is renamed aside first, to a hidden
//    name beside it that nobody chose before (random, made only where no
//    file is), and undo renames it back over what the run wrote: the file
//    comes back itself, with its content, attributes, owner, access list,
//    times and links, and needs no free space. A file that is a link (a
//    reparse point) is not renamed: the write fails. A write that fails
//    puts the file back at once (cancel());
//  - a file moved over another (the settings file): moved back, and the
//    file it replaced renamed back;
//  - what was changed with the user's rights (inside asUser: the settings
//    file's move into the user's folder, the codecs folder) is taken back
//    with the user's rights, and HKEY_CURRENT_USER too; the rest with the
//    program's. Files and folders are reached through handles: each folder
//    on the way opened inside the one above it, never through a link, and
//    the file renamed, copied or deleted through its own handle. A file in
//    the user's places that cannot go back is left (named in the report),
//    never scheduled for the restart, which would act by name;
//  - a library registered with regsvr32: undo unregisters it while the run's
//    file is still there; when the run replaced the file, the previous one
//    is registered again once it is back;
//  - a registry value written: its previous type and data (or that there
//    was none) are recorded, and each key the write makes; undo writes the
//    value back or deletes it, and deletes the keys when they are empty;
//  - a driver installed with the device tool: undo runs the same tool with
//    "remove" (its answer 1 is success with a restart). A driver of an
//    earlier installation that the device tool removed (or that this run's
//    driver replaced) cannot be put back from here: that would run the old
//    version's tool as administrator during the undo. driverRemoved() says
//    so, for the wizard to tell the user.
// commit() ends a successful run: the kept files are deleted. A journal
// destroyed without commit() or undo() undoes silently.
//
// On disk (keepOnDisk): every record is appended to the journal file and
// flushed before the change it describes is made, so after any end of the
// process the file says at least everything that was done. The file lives in
// a folder only SYSTEM and Administrators can open (undoJournalPath()); the
// next setup or uninstall program finishes it before anything else
// (finishLeftOver). Layout, all numbers little-endian:
//   header   "NLVJ" u32 version(1)
//   record   u32 size, u32 check (FNV-1a of the body), body of `size` bytes
//   body     u8 kind, then per kind:
//            Entry:  u8 entry kind, u32 attributes, u32 root, u32 type,
//                    text path, text other, text kept, bytes data
//                    (root: the registry root; for a file or folder 1 when
//                    it was changed with the user's rights, else 0)
//            Made:   u32 entry index
//            Cancel: u32 entry index (the change did not happen and its
//                    kept file is back)
//            Commit, Removed (the previous driver is gone): nothing
//   text     u32 count of UTF-16 units, the units; bytes: u32 count, bytes
// A record cut short or not matching its check ends the journal there: its
// change was never made.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nelvo {

// "<the Windows folder>\NelvoSetup\undo.jnl"; empty when the Windows folder
// cannot be read. The folder is made with an access list that only SYSTEM
// and Administrators may open (not here: keepOnDisk makes it).
std::wstring undoJournalPath();

// What an undo could not take back, for the closing box.
struct UndoReport {
    // Each thing left as the run made it: a file (its path), a library's
    // registration ("注册：<path>"), the driver ("虚拟摄像头驱动程序").
    std::vector<std::wstring> left;
    // Files that go back only when the machine restarts (scheduled).
    std::vector<std::wstring> atRestart;
    // The device tool asked for a restart, or a file waits for one.
    bool restartNeeded = false;
    bool complete() const { return left.empty() && atRestart.empty(); }
};

class UndoJournal {
public:
    UndoJournal() = default;
    ~UndoJournal();
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // Keeps the journal in `file` as well: made new (with its folder, whose
    // access list is set to the private one), never over a journal that is
    // there. False when it cannot be made; nothing may change then.
    bool keepOnDisk(const std::wstring& file);

    // Records each folder of `path` (and above it) that does not exist yet,
    // outermost first. "/" counts as "\".
    void recordFolders(const std::wstring& path);

    // Before `path` is written over. A file there is renamed aside first;
    // false when that cannot be done (the write must not happen then).
    // Returns through `change` the entry to pass to made() or cancel(). A
    // path recorded earlier in the run is not recorded again: its first
    // state is what undo brings back.
    bool recordWrite(const std::wstring& path, size_t& change);
    // The write recorded as `change` did not happen: the file renamed aside
    // goes back now, and a later write records anew.
    void cancel(size_t change);

    // Before `source` is moved over `target`: the target's file, if any, is
    // renamed aside as for recordWrite. False when it cannot be.
    bool recordMove(const std::wstring& source, const std::wstring& target, size_t& change);

    // Before `library` is registered with regsvr32.
    void recordRegistration(const std::wstring& library);
    // Before the device tool `tool` (a full path) installs the driver for
    // `hardwareId`.
    void recordDriverInstall(const std::wstring& tool, const std::wstring& hardwareId, size_t& change);
    // After the device tool removed the previous driver.
    void noteDriverRemoved();
    // Before the value `name` of `root`\`key` is written (32-bit view, as
    // the script's registry functions write).
    void recordRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name);

    // The recorded change `change` has been made.
    void made(size_t change);

    bool empty() const { return entries_.empty(); }
    bool driverRemoved() const { return driverRemoved_; }
    // False once a record could not be written to the journal file: the
    // run must stop, a kill now could not be undone.
    bool healthy() const { return healthy_; }

    // Takes back every recorded change, newest first, and deletes the
    // journal file. A file that cannot be put back is tried again for a
    // while, then scheduled for the next restart.
    UndoReport undo();
    // The run succeeded: deletes the kept files, then the journal file.
    void commit();

    // The journal an earlier run left in `file`, if any, finished: undone,
    // or its kept files deleted when it had committed; then the file goes.
    enum class LeftOver { None, Undone, Committed, Unreadable };
    static LeftOver finishLeftOver(const std::wstring& file, UndoReport& report);

private:
    enum class Kind : uint8_t {
        FolderCreated, FileCreated, FileReplaced, FileMoved, FilterRegistered, DriverInstalled,
        RegistryKeyCreated, RegistryValue
    };
    struct Entry {
        Kind kind;
        std::wstring path;    // the folder, the file written, the move's target, the library, the tool, the key
        std::wstring other;   // the move's source, the hardware id, the value's name
        std::wstring kept;    // the hidden name of the file that was at `path`
        unsigned long attributes = 0;  // FileReplaced: register again once back; RegistryValue: it existed
        uint32_t root = 0;    // the registry root, as its 32-bit handle value; files and folders: made
                              // with the user's rights (1) or the program's (0)
        uint32_t type = 0;    // the value's previous type
        std::string data;     // the value's previous data
        bool made = false;
        bool cancelled = false;
    };

    size_t add(Entry entry);
    bool append(const std::string& body);
    // Adds `entry` and renames its file aside; false when it stays.
    bool keep(Entry entry, size_t& change);
    bool undoEntry(const Entry& entry, UndoReport& report);
    // undoEntry with the rights it chose; `userSide` when they are the
    // user's.
    bool undoChange(const Entry& entry, UndoReport& report, bool userSide);
    void closeFile();

    std::vector<Entry> entries_;
    std::wstring file_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool driverRemoved_ = false;
    bool finished_ = false;
    bool healthy_ = true;
};

} // namespace nelvo
