#pragma once
// Folder links as Wine knows them: symbolic links of the host's file
// system, made and removed with the host's own tools. Wine shows such a
// link as a folder with the reparse-point attribute (by name only), and a
// handle opened through it names the folder it points to.

#include <string>

namespace nelvo::test {

// The Unix path of a C:\ path in the prefix.
std::wstring unixPath(std::wstring path);
// Whether the path shows the reparse-point attribute.
bool isFolderLink(const std::wstring& path);
// Makes `link` point to `target` (a folder or a file); true once Wine sees
// it. Wine shows a link to a file as a plain file.
bool makeFolderLink(const std::wstring& link, const std::wstring& target);
// Removes the link itself (also one whose folder is gone, which Wine cannot
// see).
void removeFolderLink(const std::wstring& link);

} // namespace nelvo::test
