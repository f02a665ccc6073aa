#include "tools/reslink/ResourceSection.h"

#include "store/PackageFormat.h"

#include <algorithm>
#include <map>

namespace nelvo {

namespace {

constexpr size_t kDirectoryBytes = 16, kEntryBytes = 8, kDataEntryBytes = 16;
constexpr uint32_t kSubdirectory = 0x80000000u, kNamed = 0x80000000u;

// Named entries first, in the order of their text, then numbered ones in
// ascending order: the loader searches each level by halves.
struct KeyOrder {
    bool operator()(const ResourceKey& a, const ResourceKey& b) const {
        const bool an = !a.text.empty(), bn = !b.text.empty();
        if (an != bn) return an;
        return an ? a.text < b.text : a.number < b.number;
    }
};

uint64_t align(uint64_t v, uint64_t to) { return (v + to - 1) / to * to; }

void put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) { package::writeLe32(&out[at], v); }

} // namespace

ResourceSection::ResourceSection(std::vector<ResourceItem> items, uint32_t sectionRva) {
    // type -> name -> language -> item index
    using Languages = std::map<uint16_t, size_t>;
    using Names = std::map<ResourceKey, Languages, KeyOrder>;
    std::map<ResourceKey, Names, KeyOrder> tree;
    for (size_t i = 0; i < items.size(); ++i) tree[items[i].type][items[i].name][items[i].language] = i;

    // Pass 1: sizes. Directories breadth first (root, the types' tables,
    // the names' tables), then the data entries, then the strings.
    size_t directories = kDirectoryBytes + tree.size() * kEntryBytes;
    size_t strings = 0;
    auto stringBytes = [](const ResourceKey& k) { return k.text.empty() ? 0 : 2 + 2 * k.text.size(); };
    for (const auto& [type, names] : tree) {
        directories += kDirectoryBytes + names.size() * kEntryBytes;
        strings += stringBytes(type);
        for (const auto& [name, languages] : names) {
            directories += kDirectoryBytes + languages.size() * kEntryBytes;
            strings += stringBytes(name);
        }
    }
    const size_t dataEntriesAt = directories;
    const size_t stringsAt = dataEntriesAt + items.size() * kDataEntryBytes;
    head_.assign(align(stringsAt + strings, 8), 0);

    offsets_.assign(items.size(), 0);
    uint64_t at = head_.size();
    for (size_t i = 0; i < items.size(); ++i) {
        offsets_[i] = at;
        at = align(at + items[i].size, 8);
    }
    size_ = at;

    // Pass 2: the records.
    size_t nextTable = kDirectoryBytes + tree.size() * kEntryBytes;
    size_t nextString = stringsAt;
    size_t nextDataEntry = dataEntriesAt;
    auto table = [&](size_t atTable, size_t named, size_t numbered) {
        put16(head_, atTable + 12, uint16_t(named));
        put16(head_, atTable + 14, uint16_t(numbered));
    };
    auto key = [&](size_t entryAt, const ResourceKey& k) {
        if (k.text.empty()) {
            put32(head_, entryAt, k.number);
            return;
        }
        put32(head_, entryAt, kNamed | uint32_t(nextString));
        put16(head_, nextString, uint16_t(k.text.size()));
        for (size_t c = 0; c < k.text.size(); ++c) put16(head_, nextString + 2 + 2 * c, uint16_t(k.text[c]));
        nextString += stringBytes(k);
    };
    auto namedCount = [](const auto& level) {
        return size_t(std::count_if(level.begin(), level.end(), [](const auto& e) { return !e.first.text.empty(); }));
    };

    table(0, namedCount(tree), tree.size() - namedCount(tree));
    // Where each type's table goes, then each name's table after all types'.
    std::vector<size_t> typeTables;
    size_t entry = kDirectoryBytes;
    for (const auto& [type, names] : tree) {
        key(entry, type);
        put32(head_, entry + 4, kSubdirectory | uint32_t(nextTable));
        typeTables.push_back(nextTable);
        nextTable += kDirectoryBytes + names.size() * kEntryBytes;
        entry += kEntryBytes;
    }
    size_t t = 0;
    std::vector<std::pair<size_t, const Languages*>> nameTables;
    for (const auto& [type, names] : tree) {
        const size_t typeTable = typeTables[t++];
        table(typeTable, namedCount(names), names.size() - namedCount(names));
        size_t e = typeTable + kDirectoryBytes;
        for (const auto& [name, languages] : names) {
            key(e, name);
            put32(head_, e + 4, kSubdirectory | uint32_t(nextTable));
            nameTables.emplace_back(nextTable, &languages);
            nextTable += kDirectoryBytes + languages.size() * kEntryBytes;
            e += kEntryBytes;
        }
    }
    for (const auto& [nameTable, languages] : nameTables) {
        table(nameTable, 0, languages->size());
        size_t e = nameTable + kDirectoryBytes;
        for (const auto& [language, index] : *languages) {
            put32(head_, e, language);
            put32(head_, e + 4, uint32_t(nextDataEntry));
            put32(head_, nextDataEntry, sectionRva + uint32_t(offsets_[index]));
            put32(head_, nextDataEntry + 4, items[index].size);
            nextDataEntry += kDataEntryBytes;
            e += kEntryBytes;
        }
    }
}

} // namespace nelvo
