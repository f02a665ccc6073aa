#pragma once
// A read-only source of named files. The process has one, the resource store
// over the program's own resources (see ResourceFileSystem); every reader
// reaches it through currentFileSystem().

#include "base/HeapBlock.h"

#include <string_view>

namespace nelvo {

class FileSystem {
public:
    // A fresh block with the whole content of the named file, or an empty
    // block when there is no such file. The caller owns the block.
    virtual HeapBlock load(std::u16string_view name) = 0;
    // Frees a block returned by load().
    virtual void release(HeapBlock block) = 0;

protected:
    ~FileSystem() = default;
};

// The process-wide store; null until start-up has set it.
FileSystem* currentFileSystem();
void setCurrentFileSystem(FileSystem* fs);

} // namespace nelvo
