#include "tests/support/InstalledProduct.h"

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "store/LzPackage.h"
#include "store/ResourceFileSystem.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <cwctype>

namespace nelvo::test {

namespace {

std::wstring lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

std::string narrow(const std::wstring& s) { return wideToUtf8(s); }

// Each registration key and the values RegisterNelvo writes there.
struct KeyValues {
    HKEY root;
    const wchar_t* rootName;
    const wchar_t* key;
    std::vector<const wchar_t*> names;
};

const std::vector<KeyValues>& registrationKeys() {
    static const std::vector<KeyValues> keys = {
        {HKEY_CURRENT_USER, L"HKCU", L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", {L"QuentNelvo Daemon"}},
        {HKEY_CURRENT_USER, L"HKCU", L"Software\\QuentNelvo", {L"InstallPath", L"Run", L"Skin", L"Source", L"Version"}},
        {HKEY_LOCAL_MACHINE, L"HKLM",
         L"SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\{CACBA33C-A5E5-43CD-9287-8C075425FC26}",
         {L"AppName", L"AppPath", L"Policy"}},
        {HKEY_CLASSES_ROOT, L"HKCR", L"zhibo", {L"", L"URL Protocol"}},
        {HKEY_CLASSES_ROOT, L"HKCR", L"zhibo\\shell\\open\\command", {L""}},
        {HKEY_CLASSES_ROOT, L"HKCR", L".flv", {L""}},
        {HKEY_CLASSES_ROOT, L"HKCR", L"qxflv\\shell\\open\\command", {L""}},
        {HKEY_CLASSES_ROOT, L"HKCR", L".m4a", {L""}},
        {HKEY_CLASSES_ROOT, L"HKCR", L"qxm4a\\shell\\open\\command", {L""}},
        {HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo",
         {L"DisplayIcon", L"DisplayName", L"DisplayVersion", L"Publisher", L"UninstallString", L"URLInfoAbout"}},
    };
    return keys;
}

} // namespace

RegValue readRegValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    RegValue v;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return v;
    UniqueRegKey k(raw);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return v;
    std::vector<BYTE> data(size + 2);
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return v;
    v.exists = true;
    v.type = type;
    if (type == REG_DWORD && size == 4)
        memcpy(&v.number, data.data(), 4);
    else if (type == REG_SZ || type == REG_EXPAND_SZ)
        v.text.assign(reinterpret_cast<const wchar_t*>(data.data()), wcsnlen(reinterpret_cast<const wchar_t*>(data.data()), size / 2));
    return v;
}

bool regKeyExists(HKEY root, const std::wstring& key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    RegCloseKey(raw);
    return true;
}

std::wstring specialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

std::wstring shortcutTarget(const std::wstring& link) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring target;
    IShellLinkW* shell = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shell)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
                SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = path;
            file->Release();
        }
        shell->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return target;
}

namespace {

// Calls `f(pid, full path)` for every process whose path can be read.
template <typename F>
void forEachProcess(F f) {
    UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                                               FALSE, entry.th32ProcessID));
        if (!process) continue;
        wchar_t path[MAX_PATH * 2] = {};
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process.get(), 0, path, &size)) f(process.get(), std::wstring(path, size));
    }
}

} // namespace

bool processRunningFrom(const std::wstring& program) {
    bool found = false;
    const std::wstring wanted = lower(program);
    forEachProcess([&](HANDLE, const std::wstring& path) { found = found || lower(path) == wanted; });
    return found;
}

int endProcessesUnder(const std::wstring& folder) {
    int ended = 0;
    const std::wstring prefix = lower(folder);
    forEachProcess([&](HANDLE process, const std::wstring& path) {
        if (lower(path).compare(0, prefix.size(), prefix) != 0) return;
        if (TerminateProcess(process, 1)) {
            WaitForSingleObject(process, 5000);
            ++ended;
        }
    });
    return ended;
}

namespace {

struct Payload {
    UniqueLibrary exe;
    HeapBlock bytes;
    std::unique_ptr<LzPackage> package;
};

bool openPayload(const std::wstring& setupExe, Payload& p) {
    p.exe.reset(LoadLibraryExW(setupExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!p.exe) return false;
    ResourceFileSystem fs(p.exe.get());
    registerSetupResources(fs);
    p.bytes = fs.load(u"program.lz");
    if (!p.bytes) return false;
    p.package = LzPackage::open(p.bytes.data(), p.bytes.size());
    return p.package != nullptr;
}

std::wstring windowsName(const std::u16string& member) {
    std::wstring name(member.begin(), member.end());
    for (wchar_t& c : name)
        if (c == L'/') c = L'\\';
    return name;
}

} // namespace

std::vector<std::wstring> payloadMembers(const std::wstring& setupExe) {
    std::vector<std::wstring> names;
    Payload p;
    if (!openPayload(setupExe, p)) return names;
    for (const auto& [name, entry] : p.package->members()) names.push_back(windowsName(name));
    return names;
}

uint64_t payloadBytes(const std::wstring& setupExe) {
    Payload p;
    if (!openPayload(setupExe, p)) return 0;
    uint64_t bytes = 0;
    for (const auto& [name, entry] : p.package->members())
        bytes += entry.stored() ? entry.packedSize : entry.unpackedSize;
    return bytes;
}

std::map<std::wstring, std::wstring> movedMembers() {
    return {{L"config_default", specialFolder(CSIDL_APPDATA) + L"\\Nelvo\\codecs\\config_default"}};
}

std::vector<std::string> compareWithPayload(const std::wstring& setupExe, const std::wstring& installDir,
                                            const std::map<std::wstring, std::wstring>& elsewhere) {
    std::vector<std::string> problems;
    Payload p;
    if (!openPayload(setupExe, p)) return {"setup.exe has no readable payload package"};
    for (const auto& [member, entry] : p.package->members()) {
        const std::wstring name = windowsName(member);
        HeapBlock expected;
        if (p.package->lookupChecked(member, expected) != LzPackage::Decode::Ok) {
            problems.push_back(narrow(name) + ": the payload member does not decode");
            continue;
        }
        const auto moved = elsewhere.find(name);
        const std::wstring path = moved == elsewhere.end() ? installDir + name : moved->second;
        UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) {
            problems.push_back(narrow(name) + ": not installed");
            continue;
        }
        LARGE_INTEGER size{};
        GetFileSizeEx(file.get(), &size);
        std::vector<uint8_t> actual(size_t(size.QuadPart));
        DWORD read = 0;
        if (!actual.empty() && !ReadFile(file.get(), actual.data(), DWORD(actual.size()), &read, nullptr)) read = 0;
        if (read != actual.size() || actual.size() != expected.size() ||
            (expected.size() && memcmp(actual.data(), expected.data(), expected.size()) != 0))
            problems.push_back(narrow(name) + ": differs from the payload (" + std::to_string(actual.size()) +
                               " bytes, expected " + std::to_string(expected.size()) + ")");
    }
    return problems;
}

std::vector<std::wstring> describeRegistration() {
    std::vector<std::wstring> lines;
    for (const KeyValues& k : registrationKeys()) {
        for (const wchar_t* name : k.names) {
            const RegValue v = readRegValue(k.root, k.key, name);
            std::wstring line = std::wstring(k.rootName) + L"\\" + k.key + L" | " + (*name ? name : L"(default)") + L" | ";
            if (!v.exists)
                line += L"(absent)";
            else if (v.type == REG_DWORD)
                line += L"REG_DWORD | " + std::to_wstring(v.number);
            else if (v.type == REG_SZ)
                line += L"REG_SZ | " + v.text;
            else
                line += L"type " + std::to_wstring(v.type);
            lines.push_back(line);
        }
    }
    const std::wstring menu = specialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Nelvo\\";
    for (const std::wstring& link :
         {menu + L"Nelvo.lnk", menu + L"卸载 Nelvo.lnk", specialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Nelvo.lnk"}) {
        const std::wstring target = shortcutTarget(link);
        lines.push_back(L"shortcut " + link + L" -> " + (target.empty() ? L"(none)" : target));
    }
    return lines;
}

bool removeTree(const std::wstring& folder) {
    std::wstring base = folder;
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = base + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link goes itself; what it points to is never entered.
                if (!RemoveDirectoryW(path.c_str())) DeleteFileW(path.c_str());
                continue;
            }
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(base.c_str());
    return GetFileAttributesW(base.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void removeRegistration() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"QuentNelvo Daemon");
    for (const KeyValues& k : registrationKeys()) {
        const std::wstring key = k.key;
        if (key.find(L"CurrentVersion\\Run") != std::wstring::npos) continue;
        SHDeleteKeyW(k.root, key.c_str());
    }
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"zhibo");
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"qxflv");
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"qxm4a");
    // The classes of the crash-dump library and the camera filter.
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"CLSID\\{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}");
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"CLSID\\{4C7A1D52-9E3B-4F08-A6D1-5B2E8F90C317}");
    const std::wstring menu = specialFolder(CSIDL_COMMON_PROGRAMS);
    if (!menu.empty()) removeTree(menu + L"\\Nelvo");
    const std::wstring desktop = specialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    if (!desktop.empty()) DeleteFileW((desktop + L"\\Nelvo.lnk").c_str());
}

bool extractPayloadMember(const std::wstring& setupExe, const std::wstring& member, const std::wstring& target) {
    Payload p;
    if (!openPayload(setupExe, p)) return false;
    std::u16string name(member.begin(), member.end());
    for (char16_t& c : name)
        if (c == u'\\') c = u'/';
    HeapBlock bytes;
    if (p.package->lookupChecked(name, bytes) != LzPackage::Decode::Ok) return false;
    UniqueFileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace nelvo::test
