#pragma once
// What a Wine prefix holds, captured so that two moments can be compared:
// every file and folder under C:\ but the system folder, and the machine's
// and the user's software registry (both views, as `reg export` writes them).
// Keys that Wine itself changes while programs run are left out.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace nelvo::test {

struct PrefixState {
    std::set<std::wstring> files;     // full paths; folders end with "\"
    std::set<std::wstring> registry;  // "[key]" and "[key] name=data" lines
};

// Empty `registry` (and a failed test) when the export does not work.
PrefixState capturePrefix();

// What `after` has that `before` lacks ("+ ...") and the reverse ("- ...").
std::vector<std::wstring> prefixChanges(const PrefixState& before, const PrefixState& after);

// The changes as one text for a failure message (UTF-8).
std::string describeChanges(const std::vector<std::wstring>& changes);

// A whole file's bytes; empty when it cannot be read.
std::string readFileBytes(const std::wstring& path);

// Every file under a folder (ending with "\"), by its path below it, with
// its attributes and bytes; folders as "name\" with their attributes only.
// For comparing a folder byte for byte before and after.
struct FileCopy {
    unsigned long attributes = 0;
    std::string bytes;
    bool operator==(const FileCopy&) const = default;
};
std::map<std::wstring, FileCopy> folderContents(const std::wstring& folder);

} // namespace nelvo::test
