#include "ResourceFolder.h"

#include "base/TextConvert.h"

#include <cstdio>
#include <cstring>

namespace nelvo {

bool readWholeFile(const wchar_t* path, std::string& content) {
    FILE* file = _wfopen(path, L"rb");
    if (!file) return false;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

HeapBlock ResourceFolder::load(std::u16string_view name) {
    std::string content;
    auto found = files_.find(name);
    if (found != files_.end()) {
        if (!readWholeFile(found->second.c_str(), content)) return {};
    } else {
        bool read = false;
        for (const std::wstring& folder : folders_) {
            const std::wstring path = folder + L"\\" + std::wstring(asWide(name));
            if ((read = readWholeFile(path.c_str(), content))) break;
            content.clear();
        }
        if (!read) return {};
    }
    HeapBlock block = HeapBlock::allocate(content.size() + 4);
    if (!block) return {};
    std::memcpy(block.data(), content.data(), content.size());
    std::memset(block.data() + content.size(), 0, 4);
    block.truncate(content.size());
    return block;
}

} // namespace nelvo
