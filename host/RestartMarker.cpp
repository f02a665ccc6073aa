#include "host/RestartMarker.h"

#include "base/NewSiblingFile.h"
#include "base/PathChecks.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstring>

namespace nelvo {

std::wstring restartMarkerPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n > MAX_PATH) return {};
    // The temp path already ends with a separator; the second one is part of
    // the marker's established name and harmless to the file system.
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
    const std::wstring path = restartMarkerPath();
    // The temporary folder is the user's: a link put in place of the marker
    // (or on its way) would turn the elevated write onto another file.
    if (path.empty() || passesThroughLink(path)) return;
    uint8_t shutdownTime[8] = {};
    readShutdownTime(shutdownTime);
    // Written to a file made new beside it and moved over the name: a hard
    // link the user put at the name loses only that name, and the file it
    // shares is never opened for writing.
    bool written = false;
    const std::wstring fresh = createNewSibling(path.substr(0, path.find_last_of(L'\\')), L"nlr",
                                                [&](const std::wstring& name) {
        UniqueFileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD count = 0;
        written = file && WriteFile(file.get(), shutdownTime, sizeof shutdownTime, &count, nullptr) &&
                  count == sizeof shutdownTime;
        return bool(file);
    });
    if (!fresh.empty() && (!written || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)))
        DeleteFileW(fresh.c_str());
    // Requested even when the file could not be written: an older marker at
    // the same path must not outlive the restart either.
    MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool restartPending() {
    const std::wstring path = restartMarkerPath();
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    // A marker reached through a link is not one this program wrote: it is
    // neither believed nor deleted (the delete would act on the link's target).
    if (passesThroughLink(path)) return false;

    bool pending = false;
    {
        UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            DeleteFileW(path.c_str());
            return false;
        }
        uint8_t marker[8];
        DWORD read = 0;
        if (ReadFile(file.get(), marker, sizeof marker, &read, nullptr) && read == sizeof marker) {
            uint8_t now[8] = {};
            readShutdownTime(now);
            pending = std::memcmp(marker, now, sizeof now) == 0;
        }
    }
    if (!pending) DeleteFileW(path.c_str());
    return pending;
}

} // namespace nelvo
