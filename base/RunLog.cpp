#include "base/RunLog.h"

#include "base/FileHandles.h"
#include "base/TextConvert.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

namespace nelvo {
namespace {

struct Log {
    std::mutex lock;
    UniqueFileHandle file;
    ULONGLONG start = 0;
};

Log& theLog() {
    static Log log;
    return log;
}

// Written before open() returns, read by every later write: no lock needed
// to see whether a log runs.
volatile LONG g_active = 0;

void append(std::string& line, std::string_view text) {
    for (char c : text) {
        if (c == '\r') line += "\\r";
        else if (c == '\n') line += "\\n";
        else line += c;
    }
}

} // namespace

bool RunLog::open(std::wstring_view path) {
    Log& log = theLog();
    const std::lock_guard<std::mutex> guard(log.lock);
    if (log.file) return false;
    // Made new inside the handle of its folder, which was opened with no
    // link on its way: neither a link in place of the folder nor one at the
    // name can send the log elsewhere.
    wchar_t full[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(std::wstring(path).c_str(), MAX_PATH * 2, full, nullptr);
    if (path.empty() || n == 0 || n >= MAX_PATH * 2) return false;
    std::wstring name;
    const OpenedFile folder = openParentWithoutLinks(std::wstring(full, n), name, FILE_ADD_FILE | FILE_TRAVERSE);
    if (folder.kind != FileKind::Folder) return false;
    OpenedFile made = createInFolder(folder.handle.get(), name, GENERIC_WRITE);
    UniqueFileHandle file = std::move(made.handle);
    if (!file) return false;
    log.file = std::move(file);
    log.start = GetTickCount64();
    InterlockedExchange(&g_active, 1);
    return true;
}

bool RunLog::active() { return g_active != 0; }

void RunLog::write(const char* kind, std::string_view utf8Text) {
    if (!active()) return;
    Log& log = theLog();
    const std::lock_guard<std::mutex> guard(log.lock);
    if (!log.file) return;
    char stamp[48];
    const ULONGLONG ms = GetTickCount64() - log.start;
    std::snprintf(stamp, sizeof stamp, "%7llu.%03llu ", ms / 1000, ms % 1000);
    std::string line = stamp;
    line += kind;
    line += ' ';
    append(line, utf8Text);
    line += "\r\n";
    DWORD written = 0;
    WriteFile(log.file.get(), line.data(), DWORD(line.size()), &written, nullptr);
}

void RunLog::write(const char* kind, std::wstring_view text) {
    if (!active()) return;
    write(kind, std::string_view(wideToUtf8(text)));
}

void* RunLog::handle() {
    Log& log = theLog();
    const std::lock_guard<std::mutex> guard(log.lock);
    return log.file ? log.file.get() : nullptr;
}

void RunLog::adopt(void* file) {
    if (!file) return;
    Log& log = theLog();
    const std::lock_guard<std::mutex> guard(log.lock);
    if (log.file) return;
    log.file.reset(file);
    log.start = GetTickCount64();
    SetFilePointer(file, 0, nullptr, FILE_END);
    InterlockedExchange(&g_active, 1);
}

void RunLog::close() {
    Log& log = theLog();
    const std::lock_guard<std::mutex> guard(log.lock);
    InterlockedExchange(&g_active, 0);
    if (!log.file) return;
    FlushFileBuffers(log.file.get());
    log.file.reset();
}

} // namespace nelvo
