// scriptprobe: a small program that the script tests start, end and watch.
//
//   scriptprobe exit N              exits with code N
//   scriptprobe sleep MS            sleeps, then exits with 0
//   scriptprobe envexit NAME        exits with the number in variable NAME
//   scriptprobe block TEXT MS       puts TEXT into the running-programs block
//                                   and keeps it open for MS milliseconds
//   scriptprobe resolve LINK        prints the target path of a shell link
//   scriptprobe answerbox TITLE ID  waits up to 20 s for a window titled
//                                   TITLE and presses its button ID
//   scriptprobe rawsz KEY NAME N    writes N units of "x" under HKCU\KEY as a
//                                   REG_SZ value without a terminating zero
//   scriptprobe runwait FILE CMD    runs the command line CMD, waits for it
//                                   and writes its exit code to FILE
//   scriptprobe hold FILE MS        opens FILE without sharing, creates
//                                   FILE.held and keeps FILE open for MS ms
//   scriptprobe drive L TYPE [DIR]  (Wine only) maps drive letter L to the
//                                   Unix folder DIR as a drive of TYPE
//                                   (removable, fixed, remote, cdrom), or
//                                   removes it (TYPE none); fails unless the
//                                   system then reports that type

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "script/RunningProgramsBlock.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <winioctl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int resolveLink(const wchar_t* linkFile) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
    int rc = 1;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t target[MAX_PATH + 1] = {};
            if (SUCCEEDED(file->Load(linkFile, STGM_READ)) &&
                SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) {
                std::printf("%s\n", nelvo::wideToUtf8(target).c_str());
                rc = 0;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return rc;
}

int answerBox(const wchar_t* title, int button) {
    for (int i = 0; i < 200; ++i) {
        if (HWND box = FindWindowW(nullptr, title)) {
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

int writeRawString(const wchar_t* key, const wchar_t* name, int units) {
    nelvo::UniqueRegKey k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr) !=
        ERROR_SUCCESS)
        return 1;
    const std::wstring text(static_cast<size_t>(units), L'x');
    return RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t))) == ERROR_SUCCESS
               ? 0
               : 1;
}

int runAndWait(const wchar_t* resultFile, const wchar_t* commandLine) {
    std::wstring command = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 1;
    nelvo::UniqueKernelHandle process(info.hProcess);
    nelvo::UniqueKernelHandle thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    FILE* out = _wfopen(resultFile, L"w");
    if (!out) return 1;
    std::fprintf(out, "%ld\n", static_cast<long>(code));
    std::fclose(out);
    return 0;
}

int holdFile(const wchar_t* path, DWORD ms) {
    nelvo::UniqueFileHandle file(
        CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 1;
    nelvo::UniqueFileHandle marker(CreateFileW((std::wstring(path) + L".held").c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!marker) return 1;
    marker.reset();
    Sleep(ms);
    return 0;
}

// Wine's mount manager request that defines a drive letter, as its
// configuration tool makes it: the record, then the Unix folder it maps.
struct UnixDriveRecord {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
static_assert(sizeof(UnixDriveRecord) == 32, "the mount manager's layout");

int defineDrive(wchar_t letter, const std::wstring& typeName, const wchar_t* unixFolder) {
    UINT type = DRIVE_NO_ROOT_DIR;
    if (typeName == L"removable") type = DRIVE_REMOVABLE;
    if (typeName == L"fixed") type = DRIVE_FIXED;
    if (typeName == L"remote") type = DRIVE_REMOTE;
    if (typeName == L"cdrom") type = DRIVE_CDROM;
    if (type != DRIVE_NO_ROOT_DIR && !unixFolder) return 2;
    const std::string folder = unixFolder ? nelvo::wideToUtf8(unixFolder) : std::string();
    std::string request(sizeof(UnixDriveRecord) + folder.size() + 1, '\0');
    UnixDriveRecord record{};
    record.size = static_cast<ULONG>(request.size());
    record.type = type;
    record.letter = static_cast<WCHAR>(towlower(letter));
    record.mountPointOffset = folder.empty() ? 0 : sizeof(UnixDriveRecord);
    std::memcpy(request.data(), &record, sizeof record);
    std::memcpy(request.data() + sizeof record, folder.c_str(), folder.size());
    nelvo::UniqueFileHandle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!manager) return 3;
    constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    DWORD returned = 0;
    if (!DeviceIoControl(manager.get(), kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()), nullptr,
                         0, &returned, nullptr))
        return 4;
    const wchar_t root[] = {letter, L':', L'\\', 0};
    return GetDriveTypeW(root) == type ? 0 : 5;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring mode = argv[1];
    if (mode == L"exit") return _wtoi(argv[2]);
    if (mode == L"sleep") {
        Sleep(static_cast<DWORD>(_wtoi(argv[2])));
        return 0;
    }
    if (mode == L"envexit") {
        const wchar_t* value = _wgetenv(argv[2]);
        return value ? _wtoi(value) : 99;
    }
    if (mode == L"block" && argc >= 4) {
        nelvo::RunningProgramsBlock block;
        if (!block.open() || !block.write(argv[2])) return 1;
        Sleep(static_cast<DWORD>(_wtoi(argv[3])));
        return 0;
    }
    if (mode == L"resolve") return resolveLink(argv[2]);
    if (mode == L"answerbox" && argc >= 4) return answerBox(argv[2], _wtoi(argv[3]));
    if (mode == L"rawsz" && argc >= 5) return writeRawString(argv[2], argv[3], _wtoi(argv[4]));
    if (mode == L"runwait" && argc >= 4) return runAndWait(argv[2], argv[3]);
    if (mode == L"hold" && argc >= 4) return holdFile(argv[2], static_cast<DWORD>(_wtoi(argv[3])));
    if (mode == L"drive" && argc >= 4) return defineDrive(argv[2][0], argv[3], argc >= 5 ? argv[4] : nullptr);
    return 2;
}
