#pragma once
// What the file system says about a path, asked through one small seam so
// that the checks built on it (PathChecks.h) can be given cases this
// system cannot make, such as a junction under Wine. systemPathProbe() is
// the real file system. Any thread.

#include <string>

namespace nelvo {

class PathProbe {
public:
    enum class Kind { Absent, Plain, Link };

    // The path made full against the current folder, "." and ".." taken
    // out, "/" read as "\"; empty when the system cannot make it so.
    virtual std::wstring fullPath(const std::wstring& path) = 0;
    // What the path names itself, a link not followed: nothing, a plain
    // file or folder, or a link (a junction, a symbolic link or a mount
    // point: anything that sends the name to another place).
    virtual Kind kind(const std::wstring& path) = 0;
    // The full path of what an existing path reaches with every link on the
    // way followed, in long names; empty when it cannot be opened.
    virtual std::wstring finalPath(const std::wstring& path) = 0;
    // The existing path with its short (8.3) names made long, no link
    // followed; the path as it is when the system cannot say.
    virtual std::wstring longPath(const std::wstring& path) = 0;

protected:
    ~PathProbe() = default;
};

PathProbe& systemPathProbe();

} // namespace nelvo
