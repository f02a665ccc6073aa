#pragma once
// A copy of a program with one bit flipped in the middle of one of its
// resources, as a download damaged on its way would be. Windows tests.

#include <cstdio>
#include <string>

namespace nelvo::test {

inline std::string fileBytes(const std::wstring& path) {
    std::string content;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return content;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
    fclose(f);
    return content;
}

// Writes `program` with one bit flipped halfway into the bytes of
// `resourceFile` (which sit in the program as they are) to `copy`. False
// when either cannot be read, the resource is not found, or the copy
// cannot be written.
inline bool writeDamagedCopy(const std::wstring& program, const std::wstring& resourceFile, const std::wstring& copy) {
    std::string bytes = fileBytes(program);
    const std::string resource = fileBytes(resourceFile);
    const size_t at = resource.empty() ? std::string::npos : bytes.find(resource);
    if (at == std::string::npos) return false;
    bytes[at + resource.size() / 2] ^= 0x10;
    FILE* f = _wfopen(copy.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

} // namespace nelvo::test
