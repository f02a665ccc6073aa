// Room on a drive and the size of a file, for the wizard's space check.
//
// Sizes go to the script as numbers of bytes: a double holds every size up
// to 2^53 bytes exactly.

#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

#include <windows.h>

namespace nelvo::bindings {

namespace {

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The nearest folder that exists on the way from `path` up to its drive
// root ("X:\" included); empty when `path` does not start with a drive.
std::wstring nearestFolder(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    const bool drive = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                       path[1] == L':' && path[2] == L'\\';
    if (!drive) return {};
    while (path.size() > 3) {
        while (path.size() > 3 && path.back() == L'\\') path.pop_back();
        if (isFolder(path)) return path + L'\\';
        const size_t slash = path.find_last_of(L'\\');
        path.resize(slash + 1);
    }
    return isFolder(path) ? path : std::wstring();
}

} // namespace

// [-0, +(0|2)] diskFreeSpace(path) -> bytes free to this user, bytes of a
// cluster
//
// For the drive that holds `path`, or the nearest folder above it that
// exists (a folder not made yet goes where its parent is, a mounted folder
// included). Nothing for a path without a drive or a drive that does not
// answer.
int diskFreeSpace(lua_State* L) {
    const std::wstring folder = nearestFolder(argWideText(L, 1));
    if (folder.empty()) return 0;
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &total, &free)) return 0;
    // Files take whole clusters; 4096 bytes where the volume does not say.
    double cluster = 4096;
    wchar_t volume[MAX_PATH + 1] = {};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (GetVolumePathNameW(folder.c_str(), volume, MAX_PATH) &&
        GetDiskFreeSpaceW(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
        sectorsPerCluster > 0 && bytesPerSector > 0)
        cluster = double(sectorsPerCluster) * double(bytesPerSector);
    lua_pushnumber(L, static_cast<lua_Number>(available.QuadPart));
    lua_pushnumber(L, static_cast<lua_Number>(cluster));
    return 2;
}

// [-0, +(0|1)] fileSize(path) -> bytes; nothing unless `path` is a file
int fileSize(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    lua_pushnumber(L, static_cast<lua_Number>((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow));
    return 1;
}

} // namespace nelvo::bindings
