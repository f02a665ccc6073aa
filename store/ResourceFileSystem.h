#pragma once
// The resource store: a read-only file system over the program's own
// resources of type "_QuentResc". A name is registered with a resource
// identifier at start-up; load() hands out a fresh copy of the resource.
//
// Threads: names are registered on the main thread before any other thread
// exists; afterwards the table is only read, so load() needs no lock.
// source() may be called from any thread.

#include "base/FileSystem.h"
#include "store/ByteSource.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>

namespace nelvo {

class ResourceFileSystem final : public FileSystem {
public:
    explicit ResourceFileSystem(HMODULE module) : module_(module) {}

    // Sets (or replaces) the identifier of a name.
    void registerName(std::u16string name, int id) { names_[std::move(name)] = id; }

    // A block of size + 4 bytes whose last four are zero, so that text
    // resources can be used as zero-terminated 8-bit or 16-bit strings; the
    // block's size() does not count them. Empty when the name is not
    // registered (case matters) or the module has no such resource.
    HeapBlock load(std::u16string_view name) override;
    void release(HeapBlock block) override;

    // The named resource where it lies in the module, without a copy: valid
    // as long as the module stays loaded. Empty when the name is not
    // registered, the module has no such resource, or it is empty.
    std::span<const uint8_t> view(std::u16string_view name) const;

    // The named resource as a source read a piece at a time through the
    // program's own file, so that its pages of the image need never be
    // resident (where the file cannot be opened so, or the resource cannot
    // be found in it, the source reads the view above). Made at the first
    // call for its resource and kept, with the file's handle that keeps
    // writers out, as long as the store: the integrity check and the
    // extraction read the same bytes. Null when view() would be empty.
    const ByteSource* source(std::u16string_view name);
    const ByteSource* source(int id);

private:
    HMODULE module_;
    std::map<std::u16string, int, std::less<>> names_;
    SRWLOCK sourcesLock_ = SRWLOCK_INIT;
    std::map<int, std::unique_ptr<ByteSource>> sources_;
};

// The six resources start-up registers.
void registerSetupResources(ResourceFileSystem& fs);

} // namespace nelvo
