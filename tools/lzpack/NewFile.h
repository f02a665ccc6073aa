#pragma once
// A file written beside its target under a name of its own and renamed over
// the target only once it is complete, so that a failed run never leaves
// half a package or half a member behind. POSIX only.
//
// The temporary file gets a short name of its own, created exclusively:
// nothing already lying in the folder (a link to a file elsewhere) is
// written through, and a target name near the 255-byte limit still fits.
// A read-only target is replaced.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace nelvo {

class NewFile {
public:
    // Creates the temporary file beside `target`; check ok() (or error()).
    explicit NewFile(std::filesystem::path target);
    // Removes the temporary file unless it was committed.
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    // Open for reading and writing; valid until commit().
    int fd() const { return fd_; }

    // Appends bytes at the file's current end of writing.
    bool write(const void* data, size_t size);
    uint64_t written() const { return written_; }
    // Empties the file, to write it again from the start.
    bool rewind();

    // Gives the file the usual permissions and renames it over the target.
    bool commit();

private:
    bool failWith(int code);

    std::filesystem::path target_;
    std::string temporary_;
    std::string error_;
    int fd_ = -1;
    uint64_t written_ = 0;
};

// Writes `size` bytes to `fd` at `offset` (pwrite), retrying short writes.
// False with errno set when a write fails.
bool writeAt(int fd, uint64_t offset, const void* data, size_t size);

} // namespace nelvo
