// Folder creation and removal over an in-memory file system, for the cases
// the test prefix cannot make: folder links that Windows reports as reparse
// points, opens as themselves and removes as such, and a folder swapped for
// one in the middle of a walk.

#include "script/FolderTree.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace nelvo {
namespace {

// Paths are full, "\"-separated, without a trailing separator.
class MemoryFolders final : public FolderOps {
public:
    void addFolder(const std::wstring& p, DWORD extra = 0) { nodes[p] = FILE_ATTRIBUTE_DIRECTORY | extra; }
    void addFile(const std::wstring& p, DWORD attributes = FILE_ATTRIBUTE_NORMAL) { nodes[p] = attributes; }
    bool has(const std::wstring& p) const { return nodes.count(p) != 0; }

    DWORD attributes(const std::wstring& path) override {
        auto it = nodes.find(throughLink(path));
        return it == nodes.end() ? INVALID_FILE_ATTRIBUTES : it->second;
    }
    bool list(const std::wstring& folder, std::vector<Entry>& entries) override {
        const std::wstring f = trim(folder);
        listed.push_back(f);
        auto it = nodes.find(f);
        if (it == nodes.end() || !(it->second & FILE_ATTRIBUTE_DIRECTORY)) return false;
        entries.push_back({L".", FILE_ATTRIBUTE_DIRECTORY});
        entries.push_back({L"..", FILE_ATTRIBUTE_DIRECTORY});
        // A link lists its target's entries, as the system does.
        const std::wstring source = links.count(f) ? links[f] : f;
        for (const auto& [p, a] : nodes)
            if (p.size() > source.size() + 1 && p.compare(0, source.size() + 1, source + L"\\") == 0 &&
                p.find(L'\\', source.size() + 1) == std::wstring::npos)
                entries.push_back({p.substr(source.size() + 1), a});
        if (afterList) afterList(f);
        return true;
    }
    Node makeFolder(Node parent, const std::wstring& name, FileKind& kind) override {
        const std::wstring p = parent ? opened.at(parent - 1) + L"\\" + name : trim(name);
        kind = FileKind::Failed;
        if (!has(p)) {
            if (!parent) return 0;  // no such drive
            created.push_back(p);
            addFolder(p);
        }
        kind = (nodes[p] & FILE_ATTRIBUTE_REPARSE_POINT) ? FileKind::Link
               : (nodes[p] & FILE_ATTRIBUTE_DIRECTORY)   ? FileKind::Folder
                                                         : FileKind::File;
        if (kind != FileKind::Folder) return 0;
        opened.push_back(p);
        return opened.size();
    }
    // A node is the path it was opened at (the model's handles never move).
    Node open(Node parent, const std::wstring& name, FileKind& kind) override {
        const std::wstring p = parent ? opened.at(parent - 1) + L"\\" + name : trim(name);
        kind = FileKind::Absent;
        if (behindLinks(p) != p) {
            kind = FileKind::Link;  // a link on the way: never passed
            return 0;
        }
        if (!has(p)) return 0;
        kind = (nodes[p] & FILE_ATTRIBUTE_REPARSE_POINT) ? FileKind::Link
               : (nodes[p] & FILE_ATTRIBUTE_DIRECTORY)   ? FileKind::Folder
                                                         : FileKind::File;
        opened.push_back(p);
        return opened.size();
    }
    bool listOpened(Node folder, std::vector<Entry>& entries) override {
        std::vector<Entry> all;
        if (!list(opened.at(folder - 1), all)) return false;
        for (Entry& entry : all)
            if (entry.name != L"." && entry.name != L"..") entries.push_back(std::move(entry));
        return true;
    }
    bool remove(Node node) override {
        const std::wstring p = opened.at(node - 1);
        removed.push_back(p);
        if (!has(p)) return false;
        const DWORD a = nodes[p];
        if (a & FILE_ATTRIBUTE_READONLY) return false;
        if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT))
            for (const auto& node : nodes)
                if (node.first.compare(0, p.size() + 1, p + L"\\") == 0) return false;
        nodes.erase(p);
        links.erase(p);
        return true;
    }
    void close(Node) override {}

    std::map<std::wstring, DWORD> nodes;
    std::map<std::wstring, std::wstring> links;  // link -> target
    std::function<void(const std::wstring&)> afterList;  // another program at work meanwhile
    std::vector<std::wstring> listed, created, removed, opened;

private:
    // A link named with a separator after it stands for its target, as Wine
    // reads such paths (it answers for the target and removes it).
    std::wstring throughLink(const std::wstring& path) {
        const std::wstring p = behindLinks(trim(path));
        const bool separatorAfter = !path.empty() && (path.back() == L'\\' || path.back() == L'/');
        return separatorAfter && links.count(p) ? links[p] : p;
    }
    // The path with every link on its way (not the last part) followed.
    std::wstring behindLinks(std::wstring p) {
        for (bool again = true; again;) {
            again = false;
            for (const auto& [link, target] : links)
                if (p.size() > link.size() && p.compare(0, link.size() + 1, link + L"\\") == 0) {
                    p = target + p.substr(link.size());
                    again = true;
                }
        }
        return p;
    }
    // As the system reads paths: doubled and trailing separators do not count.
    static std::wstring trim(const std::wstring& path) {
        std::wstring p;
        for (wchar_t c : path)
            if (!(c == L'\\' && !p.empty() && p.back() == L'\\')) p += c;
        while (!p.empty() && p.back() == L'\\') p.pop_back();
        return p;
    }
};

class FolderTree : public ::testing::Test {
protected:
    void SetUp() override {
        fs.addFolder(L"C:");
        fs.addFolder(L"C:\\Data");
        fs.addFile(L"C:\\Data\\precious.txt");
        fs.addFolder(L"C:\\App");
        fs.addFile(L"C:\\App\\a.txt");
        fs.addFolder(L"C:\\App\\sub");
        fs.addFile(L"C:\\App\\sub\\b.txt");
    }
    void addJunction(const std::wstring& link, const std::wstring& target) {
        fs.addFolder(link, FILE_ATTRIBUTE_REPARSE_POINT);
        fs.links[link] = target;
    }
    MemoryFolders fs;
};

TEST_F(FolderTree, RemovesAPlainTree) {
    removeFolderTree(L"C:\\App", fs);
    EXPECT_FALSE(fs.has(L"C:\\App"));
    EXPECT_FALSE(fs.has(L"C:\\App\\sub\\b.txt"));
    EXPECT_TRUE(fs.has(L"C:\\Data\\precious.txt"));
}

TEST_F(FolderTree, ReadOnlyFileStaysWithItsFolders) {
    fs.addFile(L"C:\\App\\sub\\locked.txt", FILE_ATTRIBUTE_READONLY);
    removeFolderTree(L"C:\\App", fs);
    EXPECT_TRUE(fs.has(L"C:\\App\\sub\\locked.txt"));
    EXPECT_TRUE(fs.has(L"C:\\App\\sub"));
    EXPECT_TRUE(fs.has(L"C:\\App"));
    EXPECT_FALSE(fs.has(L"C:\\App\\a.txt"));
    EXPECT_FALSE(fs.has(L"C:\\App\\sub\\b.txt"));
}

TEST_F(FolderTree, JunctionInsideIsRemovedNotEntered) {
    addJunction(L"C:\\App\\sub\\data", L"C:\\Data");
    removeFolderTree(L"C:\\App", fs);
    EXPECT_FALSE(fs.has(L"C:\\App"));
    EXPECT_TRUE(fs.has(L"C:\\Data\\precious.txt"));
    for (const std::wstring& listed : fs.listed) EXPECT_NE(listed, L"C:\\App\\sub\\data");
    for (const std::wstring& path : fs.removed) EXPECT_EQ(path.find(L"C:\\Data"), std::wstring::npos);
}

// Another program renames a listed folder away and puts a junction in its
// place while the walk is busy elsewhere: what the junction reaches stays.
TEST_F(FolderTree, FolderSwappedForAJunctionAfterTheListingIsNotEntered) {
    fs.afterList = [&](const std::wstring& folder) {
        if (folder != L"C:\\App") return;
        fs.nodes.erase(L"C:\\App\\sub\\b.txt");
        fs.nodes.erase(L"C:\\App\\sub");
        addJunction(L"C:\\App\\sub", L"C:\\Data");
    };
    removeFolderTree(L"C:\\App", fs);
    EXPECT_TRUE(fs.has(L"C:\\Data\\precious.txt"));
    EXPECT_TRUE(fs.has(L"C:\\Data"));
    EXPECT_FALSE(fs.has(L"C:\\App")) << "the junction itself goes, and the tree with it";
    for (const std::wstring& path : fs.removed) EXPECT_EQ(path.find(L"C:\\Data"), std::wstring::npos);
}

TEST_F(FolderTree, JunctionGivenAsThePathIsRemovedItself) {
    addJunction(L"C:\\Link", L"C:\\Data");
    removeFolderTree(L"C:\\Link", fs);
    EXPECT_FALSE(fs.has(L"C:\\Link"));
    EXPECT_TRUE(fs.has(L"C:\\Data\\precious.txt"));
    EXPECT_TRUE(fs.listed.empty());
}

TEST_F(FolderTree, JunctionGivenWithSeparatorsAfterItIsRemovedItself) {
    addJunction(L"C:\\Link", L"C:\\Data");
    removeFolderTree(L"C:\\Link\\", fs);
    EXPECT_FALSE(fs.has(L"C:\\Link"));
    EXPECT_TRUE(fs.has(L"C:\\Data\\precious.txt"));
    EXPECT_TRUE(fs.listed.empty());
    addJunction(L"C:\\Link", L"C:\\Data");
    removeFolderTree(L"C:\\Link\\\\", fs);
    EXPECT_FALSE(fs.has(L"C:\\Link"));
    EXPECT_TRUE(fs.has(L"C:\\Data\\precious.txt"));
}

TEST_F(FolderTree, EmptyPathOrAPathThroughALinkTouchesNothing) {
    removeFolderTree(L"", fs);
    addJunction(L"C:\\Link", L"C:\\App");
    removeFolderTree(L"C:\\Link\\sub", fs);
    EXPECT_TRUE(fs.has(L"C:\\App\\sub\\b.txt"));
    EXPECT_TRUE(fs.listed.empty());
    EXPECT_TRUE(fs.removed.empty());
}

TEST_F(FolderTree, CreatesEachLevelOnce) {
    EXPECT_TRUE(createFolderPath(L"C:/New//Deeper/", fs));
    EXPECT_EQ(fs.created, (std::vector<std::wstring>{L"C:\\New", L"C:\\New\\Deeper"}));
    EXPECT_TRUE(fs.has(L"C:\\New\\Deeper"));
    fs.created.clear();
    EXPECT_TRUE(createFolderPath(L"C:\\New\\Deeper", fs));
    EXPECT_TRUE(fs.created.empty());
}

// A folder on the way is a link (the user's folder made a junction to a
// place only administrators may change): nothing is made through it.
TEST_F(FolderTree, MakesNothingThroughALink) {
    addJunction(L"C:\\App\\link", L"C:\\Data");
    const size_t before = fs.nodes.size();
    EXPECT_FALSE(createFolderPath(L"C:\\App\\link\\new\\deeper", fs));
    EXPECT_FALSE(fs.has(L"C:\\Data\\new"));
    EXPECT_FALSE(fs.has(L"C:\\App\\link\\new"));
    EXPECT_FALSE(createFolderPath(L"C:\\App\\link", fs)) << "a link is no folder made";
    EXPECT_EQ(fs.nodes.size(), before) << "something was made";
}

TEST_F(FolderTree, CreateFailsBelowAFileAndForNothing) {
    EXPECT_FALSE(createFolderPath(L"C:\\App\\a.txt\\below", fs));
    EXPECT_FALSE(createFolderPath(L"", fs));
    EXPECT_FALSE(createFolderPath(L"///", fs));
    EXPECT_FALSE(createFolderPath(L"\\\\server\\share\\x", fs)) << "no drive";
    EXPECT_TRUE(fs.created.empty());
}

TEST_F(FolderTree, EmptyOrAbsent) {
    fs.addFolder(L"C:\\Empty");
    EXPECT_TRUE(folderEmptyOrAbsent(L"C:\\Missing", fs));
    EXPECT_TRUE(folderEmptyOrAbsent(L"C:\\Empty", fs));
    EXPECT_FALSE(folderEmptyOrAbsent(L"C:\\App\\a.txt", fs));
    EXPECT_FALSE(folderEmptyOrAbsent(L"C:\\App", fs));
}

} // namespace
} // namespace nelvo
