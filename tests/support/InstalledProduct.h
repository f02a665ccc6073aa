#pragma once
// What an installation left on the machine, read from outside the setup
// program: files compared with the payload inside setup.exe, registry
// values with their types, shortcut targets and running programs. Also the
// clean-up that puts the machine back as it was before a walk.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace nelvo::test {

struct RegValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::wstring text;  // REG_SZ
    DWORD number = 0;   // REG_DWORD
};

// The classes of the crash-dump library and the camera filter.
inline constexpr wchar_t kDumperClass[] = L"{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}";
inline constexpr wchar_t kFilterClass[] = L"{4C7A1D52-9E3B-4F08-A6D1-5B2E8F90C317}";

// Read in this (32-bit) program's view, the setup program's own.
RegValue readRegValue(HKEY root, const std::wstring& key, const std::wstring& name);
bool regKeyExists(HKEY root, const std::wstring& key);

// A shell special folder (CSIDL_...) without a trailing separator.
std::wstring specialFolder(int csidl);
// Where a shell link points; empty if it does not resolve.
std::wstring shortcutTarget(const std::wstring& link);
// Whether a process runs from that file (case-insensitive full path).
bool processRunningFrom(const std::wstring& program);
// Ends every process running from a file under the folder; how many.
int endProcessesUnder(const std::wstring& folder);

// The payload members of setup.exe, with "\" separators.
std::vector<std::wstring> payloadMembers(const std::wstring& setupExe);
// The bytes of all payload members of setup.exe together, unpacked.
uint64_t payloadBytes(const std::wstring& setupExe);
// Every payload member compared byte for byte with the file of the same
// name under `installDir` (ending with "\"), or with the full path that
// `elsewhere` gives for it; one line per difference.
std::vector<std::string> compareWithPayload(const std::wstring& setupExe, const std::wstring& installDir,
                                            const std::map<std::wstring, std::wstring>& elsewhere = {});

// Where the installation moves a payload member out of the install folder:
// config_default goes to the product's data folder.
std::map<std::wstring, std::wstring> movedMembers();

// The registry entries, associations and shortcuts of a registration, as
// "root\key | name | type | value" lines, for people to read.
std::vector<std::wstring> describeRegistration();

// Removes a folder with everything in it; true when it is gone.
bool removeTree(const std::wstring& folder);
// Takes away what a registration writes and the saved install path.
void removeRegistration();
// Writes one payload member of setup.exe to a file.
bool extractPayloadMember(const std::wstring& setupExe, const std::wstring& member, const std::wstring& target);

} // namespace nelvo::test
