#include "host/RestartMarker.h"

#include "base/FileHandles.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstring>

namespace nelvo {
namespace {

constexpr wchar_t kMarkerKey[] = L"Software\\QuentNelvo";
constexpr wchar_t kMarkerValue[] = L"RestartPending";

// The marker's key in the 32-bit view, whatever the program's own.
UniqueRegKey openMarkerKey(REGSAM access, bool create) {
    UniqueRegKey key;
    const REGSAM view = KEY_WOW64_32KEY | access;
    const LSTATUS status = create ? RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMarkerKey, 0, nullptr, 0, view, nullptr,
                                                    key.put(), nullptr)
                                  : RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMarkerKey, 0, view, key.put());
    if (status != ERROR_SUCCESS) key.release();
    return key;
}

void storeMarker(const uint8_t (&bytes)[8]) {
    if (UniqueRegKey key = openMarkerKey(KEY_SET_VALUE, true))
        RegSetValueExW(key.get(), kMarkerValue, 0, REG_BINARY, bytes, sizeof bytes);
}

// The value, and its key when nothing else is left in it.
void deleteMarker() {
    UniqueRegKey key = openMarkerKey(KEY_SET_VALUE | KEY_QUERY_VALUE, false);
    if (!key) return;
    RegDeleteValueW(key.get(), kMarkerValue);
    DWORD subkeys = 1, values = 1;
    const bool empty = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    key.reset();
    if (empty) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kMarkerKey, KEY_WOW64_32KEY, 0);
}

// The legacy file, when it is a plain file reached with no link on the way:
// its first 8 bytes into `bytes` (true when there were 8), then deleted
// through the same handle.
bool takeLegacyMarker(uint8_t (&bytes)[8]) {
    const std::wstring path = legacyRestartMarkerPath();
    if (path.empty()) return false;
    const OpenedFile file = openWithoutLinks(path, GENERIC_READ | DELETE);
    if (file.kind != FileKind::File) return false;
    DWORD read = 0;
    const bool whole = ReadFile(file.handle.get(), bytes, sizeof bytes, &read, nullptr) && read == sizeof bytes;
    deleteByHandle(file.handle.get());
    return whole;
}

} // namespace

std::wstring legacyRestartMarkerPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n > MAX_PATH) return {};
    return std::wstring(temp, n) + L"\\nelvo_restart";
}

bool readShutdownTime(uint8_t (&buffer)[8]) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Windows", 0, KEY_READ,
                      key.put()) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof buffer;
    return RegQueryValueExW(key.get(), L"ShutdownTime", nullptr, nullptr, buffer, &size) == ERROR_SUCCESS;
}

void writeRestartMarker() {
    uint8_t shutdownTime[8] = {};
    readShutdownTime(shutdownTime);
    storeMarker(shutdownTime);
}

bool restartPending() {
    uint8_t now[8] = {};
    readShutdownTime(now);

    uint8_t legacy[8] = {};
    if (takeLegacyMarker(legacy) && std::memcmp(legacy, now, sizeof now) == 0) storeMarker(legacy);

    UniqueRegKey key = openMarkerKey(KEY_QUERY_VALUE, false);
    if (!key) return false;
    uint8_t marker[64] = {};
    DWORD size = sizeof marker, type = 0;
    const LSTATUS status = RegQueryValueExW(key.get(), kMarkerValue, nullptr, &type, marker, &size);
    if (status == ERROR_FILE_NOT_FOUND) return false;
    if (status == ERROR_SUCCESS && type == REG_BINARY && size >= sizeof now && std::memcmp(marker, now, sizeof now) == 0)
        return true;
    key.reset();
    deleteMarker();
    return false;
}

bool restartMarkerPresent() {
    UniqueRegKey key = openMarkerKey(KEY_QUERY_VALUE, false);
    return key && RegQueryValueExW(key.get(), kMarkerValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void clearRestartMarker() {
    deleteMarker();
    DeleteFileW(legacyRestartMarkerPath().c_str());
}

} // namespace nelvo
