#pragma once
// The setup program's resources as plain files, for running its scripts
// outside setup.exe: a name is looked up in the names given explicitly, then
// as a file of that name in each folder in turn.

#include "base/FileSystem.h"

#include <map>
#include <string>
#include <vector>

namespace nelvo {

class ResourceFolder final : public FileSystem {
public:
    explicit ResourceFolder(std::vector<std::wstring> folders) : folders_(std::move(folders)) {}

    // `name` is read from `path` instead of the folder.
    void map(std::u16string name, std::wstring path) { files_[std::move(name)] = std::move(path); }

    // Like the resource store's blocks, with four zero bytes after the
    // content that size() does not count. Empty when there is no such file.
    HeapBlock load(std::u16string_view name) override;
    void release(HeapBlock block) override { (void)block; }

private:
    std::vector<std::wstring> folders_;
    std::map<std::u16string, std::wstring, std::less<>> files_;
};

// Reads a whole file into `content`. False when it cannot be read.
bool readWholeFile(const wchar_t* path, std::string& content);

} // namespace nelvo
