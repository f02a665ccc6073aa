#include "base/PathChecks.h"

#include <windows.h>

namespace nelvo {
namespace {

bool isDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "X:\" and what follows it.
bool startsWithDrive(const std::wstring& path) {
    return path.size() >= 3 && isDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

void trimSeparators(std::wstring& path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
}

// The names after the drive root.
std::vector<std::wstring> partsBelowRoot(const std::wstring& full) {
    std::vector<std::wstring> parts;
    size_t start = 3;
    while (start < full.size()) {
        size_t end = full.find(L'\\', start);
        if (end == std::wstring::npos) end = full.size();
        if (end > start) parts.push_back(full.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// `path` with its deepest existing part replaced by what that part
// reaches, links followed; the path as it is when no part below the root
// exists, empty when an existing part cannot be opened.
std::wstring whereItLeads(const std::wstring& full, PathProbe& probe) {
    const std::wstring root = full.substr(0, 3);
    std::wstring deepest;
    std::wstring rest;
    std::wstring prefix = root;
    for (const std::wstring& part : partsBelowRoot(full)) {
        if (rest.empty()) {
            const std::wstring next = prefix + (prefix.size() > 3 ? L"\\" : L"") + part;
            if (probe.kind(next) != PathProbe::Kind::Absent) {
                prefix = deepest = next;
                continue;
            }
        }
        rest += L"\\" + part;
    }
    if (deepest.empty()) return root + (rest.empty() ? L"" : rest.substr(1));
    std::wstring reached = probe.finalPath(deepest);
    if (reached.empty()) return {};
    trimSeparators(reached);
    return reached + rest;
}

} // namespace

bool passesThroughLink(const std::wstring& path, PathProbe& probe) {
    std::wstring full = probe.fullPath(path);
    if (!startsWithDrive(full)) return true;
    trimSeparators(full);
    std::wstring prefix = full.substr(0, 3);
    std::wstring deepest;
    for (const std::wstring& part : partsBelowRoot(full)) {
        if (prefix.size() > 3) prefix += L'\\';
        prefix += part;
        const PathProbe::Kind kind = probe.kind(prefix);
        if (kind == PathProbe::Kind::Absent) break;
        if (kind == PathProbe::Kind::Link) return true;
        deepest = prefix;
    }
    if (deepest.empty()) return false;
    // What the handle names: a link the kind did not show (one made on the
    // way meanwhile, or one the system marks in no attribute) shows here.
    std::wstring reached = probe.finalPath(deepest);
    trimSeparators(reached);
    return reached.empty() || !sameText(reached, probe.longPath(deepest));
}

std::vector<std::wstring> systemFolders() {
    std::vector<std::wstring> folders;
    using Query = UINT(WINAPI*)(LPWSTR, UINT);
    for (Query query : {Query(GetSystemWindowsDirectoryW), Query(GetWindowsDirectoryW), Query(GetSystemDirectoryW),
                        Query(GetSystemWow64DirectoryW)}) {
        wchar_t folder[MAX_PATH] = {};
        const UINT n = query(folder, MAX_PATH);
        if (n > 0 && n < MAX_PATH) folders.emplace_back(folder, n);
    }
    return folders;
}

bool isSystemPath(const std::wstring& path, const std::vector<std::wstring>& folders, PathProbe& probe) {
    std::wstring full = probe.fullPath(path);
    if (!startsWithDrive(full)) return true;
    trimSeparators(full);
    const std::wstring leads = whereItLeads(full, probe);
    // A path whose existing part cannot be opened is not shown to be
    // outside the protected folders.
    if (leads.empty() || leads.size() <= 3) return true;
    for (std::wstring folder : folders) {
        std::wstring reached = probe.finalPath(folder);
        for (std::wstring* f : {&folder, &reached}) {
            trimSeparators(*f);
            if (f->empty()) continue;
            const std::wstring inside = *f + L"\\";
            if (sameText(leads, *f) ||
                (leads.size() > inside.size() && sameText(leads.substr(0, inside.size()), inside)))
                return true;
        }
    }
    return false;
}

} // namespace nelvo
