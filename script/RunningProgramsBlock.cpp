#include "script/RunningProgramsBlock.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>

namespace nelvo {

namespace {

constexpr wchar_t kMutexName[] = L"B225A8E1-72D4-4ED6-834F-55BD8E70E63A";
constexpr wchar_t kMappingName[] = L"4DC1097A-58F5-40F4-AD49-F77C1C1B9858";
constexpr DWORD kWaitMs = 100;

// Holds a mutex that was obtained within the wait; releases it at scope end.
class MutexLock {
public:
    MutexLock(HANDLE mutex, DWORD waitMs) : mutex_(mutex) {
        const DWORD r = WaitForSingleObject(mutex, waitMs);
        // An abandoned mutex is owned all the same.
        held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;
    ~MutexLock() {
        if (held_) ReleaseMutex(mutex_);
    }
    bool held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

void freeLocal(PSECURITY_DESCRIPTOR p) { LocalFree(p); }
using UniqueLocalDescriptor = UniqueHandle<PSECURITY_DESCRIPTOR, freeLocal>;

// Lets low-integrity processes open the object. Best effort: an object
// without the label still works for processes at our own level.
void setLowIntegrityLabel(HANDLE object) {
    UniqueLocalDescriptor descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"S:(ML;;NW;;;LW)", SDDL_REVISION_1,
                                                              descriptor.put(), nullptr))
        return;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL sacl = nullptr;
    if (GetSecurityDescriptorSacl(descriptor.get(), &present, &sacl, &defaulted) && present)
        SetSecurityInfo(object, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, sacl);
}

} // namespace

bool RunningProgramsBlock::open() {
    UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex) return false;
    setLowIntegrityLabel(mutex.get());

    MutexLock lock(mutex.get(), kWaitMs);
    if (!lock.held()) return false;

    UniqueKernelHandle mapping(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBytes, kMappingName));
    if (!mapping) return false;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (created) setLowIntegrityLabel(mapping.get());

    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) return false;
    // A block made by someone else may be smaller than ours; never copy
    // beyond what is mapped.
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(view.get(), &info, sizeof info) == 0) return false;
    const size_t viewBytes = std::min<size_t>(info.RegionSize, kBytes);
    if (created) std::memset(view.get(), 0, viewBytes);

    mutex_ = std::move(mutex);
    mapping_ = std::move(mapping);
    view_ = std::move(view);
    viewBytes_ = viewBytes;
    return true;
}

std::wstring RunningProgramsBlock::read() const {
    // One unit more than the block holds, so the copy always ends in a zero.
    wchar_t buffer[kUnits + 1] = {};
    if (!view_) return {};
    {
        MutexLock lock(mutex_.get(), kWaitMs);
        if (!lock.held()) return {};
        std::memcpy(buffer, view_.get(), viewBytes_);
    }
    return std::wstring(buffer);
}

bool RunningProgramsBlock::write(std::wstring_view text) {
    if (!view_) return false;
    const size_t capacity = viewBytes_ / sizeof(wchar_t);
    if (capacity == 0) return false;
    const size_t units = std::min(text.size(), capacity - 1);
    MutexLock lock(mutex_.get(), kWaitMs);
    if (!lock.held()) return false;
    auto* block = static_cast<wchar_t*>(view_.get());
    std::memcpy(block, text.data(), units * sizeof(wchar_t));
    std::memset(block + units, 0, (capacity - units) * sizeof(wchar_t));
    return true;
}

std::vector<std::wstring> RunningProgramsBlock::entries(std::wstring_view text) {
    std::vector<std::wstring> result;
    size_t start = 0;
    for (size_t end = text.find(L';'); end != std::wstring_view::npos; end = text.find(L';', start)) {
        if (end > start) result.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::wstring readRunningPrograms() {
    RunningProgramsBlock block;
    if (!block.open()) return {};
    return block.read();
}

std::wstring_view programFileName(std::wstring_view entry) {
    const size_t slash = entry.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? entry : entry.substr(slash + 1);
}

} // namespace nelvo
