#pragma once
// The log of one run for support, when the command line asks for one
// (/LOG=<file>): UTF-8 lines, each with the time since the run began and a
// kind, written as they happen so that a run that is killed leaves what it
// did up to then. Without open() every call is a test of one flag and
// nothing is written.
//
// The file is created new inside the handle of its folder, opened part by
// part with no link on its way: a name that exists, a link at the name or a
// path through a link is refused, also one put in place after a check (the
// administrator gave the path, but the folder may be one a user can
// write). Any thread; lines never interleave.
// Windows build only.

#include <string_view>

namespace nelvo {

class RunLog {
public:
    // Creates the file; false (and no log) when it cannot be created new.
    static bool open(std::wstring_view path);
    static bool active();
    // One line: "<seconds> <kind> <text>". Line breaks inside `text` are
    // written as "\r" and "\n" so that every line stays one entry.
    static void write(const char* kind, std::wstring_view text);
    static void write(const char* kind, std::string_view utf8Text);
    // Flushes and closes; later writes do nothing.
    static void close();

    // The open log's file handle (null without a log), for handing the log
    // to a program this one starts; and the taking over of such a handle,
    // which the log then owns.
    static void* handle();
    static void adopt(void* file);
};

} // namespace nelvo
