#include "engine/CopyItemFind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Paths.h"
#include "framework/CException.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;

namespace {

// Every node as "name:type[size]" with its children sorted by name, so that the order in
// which the file system lists a folder does not matter. Deletion and removal items keep
// their place, which must be the last among their siblings.
std::wstring Describe(const CopyItemTree::node_type* node) {
    std::wstring text = node->data.name.str() + L":" + std::to_wstring(node->data.type);
    if (node->data.type == CopyItemData::File || node->data.type == CopyItemData::Stream)
        text += L"[" + std::to_wstring(node->data.size) + L"]";
    std::vector<std::wstring> children;
    std::wstring tail;
    for (auto* c = node->firstChild; c; c = c->nextSibling) {
        const bool deletion =
            c->data.type == CopyItemData::DeleteSource || c->data.type == CopyItemData::RemoveSourceFolder;
        if (deletion) {
            EXPECT_EQ(nullptr, c->nextSibling) << "deletion item not last under " << node->data.name.GetString();
            tail = Describe(c);
        } else {
            EXPECT_TRUE(tail.empty());
            children.push_back(Describe(c));
        }
    }
    std::sort(children.begin(), children.end());
    if (!tail.empty()) children.push_back(tail);
    if (children.empty()) return text;
    text += L"{";
    for (size_t i = 0; i < children.size(); ++i) text += (i ? L"," : L"") + children[i];
    return text + L"}";
}

CString Describe(const CopyItemTree& tree) { return CString(Describe(tree.begin().node)); }

// Names found by the pre-order walk must put every folder before its content.
void ExpectFoldersBeforeContent(const CopyItemTree& tree) {
    std::vector<std::wstring> seen;
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        const CString path = CopyItemsData::GetSourcePath(tree, it);
        if (it->type == CopyItemData::DeleteSource || it->type == CopyItemData::RemoveSourceFolder) continue;
        const CString parent = it->type == CopyItemData::Stream ? StripStreamSuffix(path) : GetParentFolder(path);
        if (it.depth() >= 2) {
            EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), parent.str())) << path.GetString();
        }
        seen.push_back(path.str());
    }
}

class SourceTree : public ::testing::Test {
protected:
    void SetUp() override {
        src = dir / L"src";
        ASSERT_TRUE(TestFiles::MakeFolders(src + L"\\tree\\empty"));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\tree\\zero", ""));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\tree\\ab", "ab"));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\tree\\abc\\inner.txt", "12345"));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\tree\\abc\\deep\\x.bin", "1234567"));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\tree\\読み取り専用.txt", "ro!"));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\tree\\hidden.txt", "hide"));
        SetFileAttributesW(src + L"\\tree\\読み取り専用.txt", FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW(src + L"\\tree\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    }

    CopyItemsData Enumerate(const CString& source, int move, int streams = 0,
                            IStreamEnumerator* enumerator = nullptr) {
        CopyItemsData items;
        items.AddRoot(FindCopyItem::SourceBaseFolder(source));
        FindCopyItem find(nullptr, enumerator);
        find.Run(source, streams, move, items);
        return items;
    }

    TestFiles::TempDir dir{L"enum"};
    CString src;
};

const wchar_t kTreeCopy[] =
    L":1{tree:3{ab:2[2],abc:3{deep:3{x.bin:2[7]},inner.txt:2[5]},empty:3,hidden.txt:2[4],zero:2[0],"
    L"読み取り専用.txt:2[3]}}";
const wchar_t kTreeMove[] =
    L":1{tree:3{ab:2[2]{:5},abc:3{deep:3{x.bin:2[7]{:5},:6},inner.txt:2[5]{:5},:6},empty:3{:6},"
    L"hidden.txt:2[4]{:5},zero:2[0]{:5},読み取り専用.txt:2[3]{:5},:6}}";

// Feeds stream records for the files of a test: no volume here holds named streams.
class FakeStreams : public IStreamEnumerator {
public:
    int Enumerate(const CString& path, NTFSDataStream::StreamList& list) override {
        ++calls;
        list.clear();
        const CString name = GetFileNamePart(StripStreamSuffix(path));
        EXPECT_EQ(0, path.Find(L"\\\\?\\")) << "streams are enumerated on the long-path form";
        if (name == L"ab") {
            list.emplace_back(L"::$DATA", 2);
            list.emplace_back(L":s:$DATA", 11);
        } else if (name == L"inner.txt") {
            // The unnamed stream may come anywhere, also last.
            list.emplace_back(L":one:$DATA", 1);
            list.emplace_back(L":two:$DATA", 0);
            list.emplace_back(L"::$DATA", 5);
        } else {
            list.emplace_back(L"::$DATA", 0);
        }
        return 1;
    }
    int calls = 0;
};

}  // namespace

TEST_F(SourceTree, CopyOfAFolderHoldsEverythingBelowIt) {
    CopyItemsData items = Enumerate(src + L"\\tree", 0);
    ASSERT_EQ(1u, items.trees.size());
    const CopyItemTree& tree = items.trees[0];
    EXPECT_EQ(CString(src), tree.begin()->name);
    EXPECT_EQ(CString(kTreeCopy), Describe(tree).Mid(src.GetLength()));
    ExpectFoldersBeforeContent(tree);

    EXPECT_EQ(10u, items.itemCount);
    EXPECT_EQ(4u, items.folderCount);
    EXPECT_EQ(6u, items.fileCount);
    EXPECT_EQ(0u, items.deleteCount + items.removeFolderCount + items.streamCount);
    EXPECT_EQ(21u, items.totalSize);
    EXPECT_EQ(21u + 512u, items.weightedSize);
    EXPECT_EQ(7u, items.largestSize);

    // Every node rebuilds to a path that exists, and below the destination to the same
    // relative path.
    items.trees[0].begin()->destName = L"D:\\dst";
    for (auto it = items.trees[0].begin(); it != items.trees[0].end(); ++it) {
        const CString source = CopyItemsData::GetSourcePath(items.trees[0], it);
        EXPECT_TRUE(TestFiles::Exists(source)) << source.GetString();
        if (it.depth() == 0) continue;
        EXPECT_EQ(L"D:\\dst" + source.Mid(src.GetLength()), CopyItemsData::GetDestinationPath(items.trees[0], it));
    }
}

TEST_F(SourceTree, MoveAddsDeletionsAfterFilesAndRemovalsAfterFolders) {
    CopyItemsData items = Enumerate(src + L"\\tree", 1);
    const CopyItemTree& tree = items.trees[0];
    EXPECT_EQ(CString(kTreeMove), Describe(tree).Mid(src.GetLength()));
    EXPECT_EQ(6u, items.deleteCount);
    EXPECT_EQ(4u, items.removeFolderCount);
    EXPECT_EQ(20u, items.itemCount);
    EXPECT_EQ(21u, items.totalSize);

    // The last item of the walk removes the source folder itself.
    CopyItemTree::const_iterator last = tree.begin();
    for (auto it = tree.begin(); it != tree.end(); ++it) last = it;
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::RemoveSourceFolder), last->type);
    EXPECT_EQ(src + L"\\tree", CopyItemsData::GetSourcePath(tree, last));
}

TEST_F(SourceTree, SingleFileSourcesAndTheirDeletion) {
    CopyItemsData items;
    FindCopyItem find;
    items.AddRoot(FindCopyItem::SourceBaseFolder(src + L"\\tree\\ab"));
    find.Run(src + L"\\tree\\ab", 0, 1, items);
    items.AddRoot(FindCopyItem::SourceBaseFolder(src + L"\\tree\\abc\\inner.txt"));
    find.Run(src + L"\\tree\\abc\\inner.txt", 0, 0, items);
    ASSERT_EQ(2u, items.trees.size());
    EXPECT_EQ(src + L"\\tree:1{ab:2[2]{:5}}", Describe(items.trees[0]));
    EXPECT_EQ(src + L"\\tree\\abc:1{inner.txt:2[5]}", Describe(items.trees[1]));
    EXPECT_EQ(3u, items.itemCount);
    EXPECT_EQ(7u, items.totalSize);
}

TEST_F(SourceTree, SourcesAreNamedByTheirFullLongForm) {
    // Forward slashes, a trailing separator and a detour through "..": the tree still
    // names the real folder, and the base folder is its parent.
    const CString odd = src + L"/tree/abc/../abc/";
    CopyItemsData items = Enumerate(odd, 0);
    EXPECT_EQ(src + L"\\tree:1{abc:3{deep:3{x.bin:2[7]},inner.txt:2[5]}}", Describe(items.trees[0]));
    EXPECT_EQ(src + L"\\tree\\abc", FindCopyItem::NormalizeSource(odd));
}

TEST_F(SourceTree, MissingSourceRaisesTheFileErrorAndKeepsEarlierTrees) {
    CopyItemsData items = Enumerate(src + L"\\tree\\abc", 0);
    const CString missing = src + L"\\no such folder";
    items.AddRoot(FindCopyItem::SourceBaseFolder(missing));
    FindCopyItem find;
    try {
        find.Run(missing, 0, 0, items);
        FAIL() << "no exception";
    } catch (CFileException& e) {
        EXPECT_EQ(static_cast<LONG>(ERROR_FILE_NOT_FOUND), e.m_lOsError);
        EXPECT_EQ(CFileException::fileNotFound, e.m_cause);
        EXPECT_EQ(missing, e.m_strFileName);
    }
    ASSERT_EQ(2u, items.trees.size());
    EXPECT_EQ(1u, items.trees[1].size());
    EXPECT_EQ(4u, items.itemCount);
    EXPECT_EQ(src + L"\\tree:1{abc:3{deep:3{x.bin:2[7]},inner.txt:2[5]}}", Describe(items.trees[0]));

    // The same object enumerates again afterwards.
    items.AddRoot(FindCopyItem::SourceBaseFolder(src + L"\\tree\\abc\\deep"));
    find.Run(src + L"\\tree\\abc\\deep", 0, 1, items);
    EXPECT_EQ(src + L"\\tree\\abc:1{deep:3{x.bin:2[7]{:5},:6}}", Describe(items.trees[2]));
}

TEST_F(SourceTree, FolderThatCannotBeSearchedKeepsItsItemOnly) {
    // A file standing in the place of a folder's content cannot be searched: the folder
    // is kept, nothing below it, and a move does not remove it.
    FindCopyItemCoreSubFolder2 core(src + L"\\tree\\zero", 1);
    EXPECT_EQ(0, core.Begin());
}

TEST_F(SourceTree, NamedStreamsLandUnderTheirFilesBeforeTheDeletion) {
    FakeStreams streams;
    CopyItemsData items = Enumerate(src + L"\\tree\\abc", 1, 1, &streams);
    EXPECT_EQ(src +
                  L"\\tree:1{abc:3{deep:3{x.bin:2[7]{:5},:6},inner.txt:2[5]{:one:$DATA:4[1],:two:$DATA:4[0],:5},:6}}",
              Describe(items.trees[0]));
    EXPECT_EQ(2u, items.streamCount);
    EXPECT_EQ(2, streams.calls);
    EXPECT_EQ(5u + 7u + 1u, items.totalSize);
    EXPECT_EQ(5u + 7u + 1u + 512u, items.weightedSize);

    // Stream paths follow their file without a separator.
    const CopyItemTree& tree = items.trees[0];
    std::vector<std::wstring> streamPaths;
    for (auto it = tree.begin(); it != tree.end(); ++it)
        if (it->type == CopyItemData::Stream) streamPaths.push_back(CopyItemsData::GetSourcePath(tree, it).str());
    ASSERT_EQ(2u, streamPaths.size());
    EXPECT_EQ((src + L"\\tree\\abc\\inner.txt:one:$DATA").str(), streamPaths[0]);

    // A single file source gets its streams too; without streams wanted none are asked for.
    FakeStreams single;
    CopyItemsData file = Enumerate(src + L"\\tree\\ab", 0, 1, &single);
    EXPECT_EQ(src + L"\\tree:1{ab:2[2]{:s:$DATA:4[11]}}", Describe(file.trees[0]));
    FakeStreams unused;
    Enumerate(src + L"\\tree", 1, 0, &unused);
    EXPECT_EQ(0, unused.calls);
}

TEST_F(SourceTree, SystemStreamEnumerationAddsNothingForPlainFiles) {
    CopyItemsData items = Enumerate(src + L"\\tree", 0, 1);
    EXPECT_EQ(CString(kTreeCopy), Describe(items.trees[0]).Mid(src.GetLength()));
    EXPECT_EQ(0u, items.streamCount);
}

namespace {

class StopAfter : public IFindCopyItemObserver {
public:
    explicit StopAfter(uint64_t limit) : limit(limit) {}
    void ItemAdded(const CopyItemsData& items) override {
        ++calls;
        EXPECT_EQ(calls, items.itemCount);
        if (items.itemCount == limit) throw std::runtime_error("cancelled");
    }
    uint64_t limit;
    uint64_t calls = 0;
};

}  // namespace

TEST_F(SourceTree, ObserverSeesEveryItemAndMayStopTheWalk) {
    StopAfter all(1000);
    CopyItemsData items;
    items.AddRoot(src);
    FindCopyItem find(&all);
    find.Run(src + L"\\tree", 0, 1, items);
    EXPECT_EQ(20u, all.calls);

    StopAfter three(3);
    CopyItemsData partial;
    partial.AddRoot(src);
    FindCopyItem stopping(&three);
    EXPECT_THROW(stopping.Run(src + L"\\tree", 0, 1, partial), std::runtime_error);
    EXPECT_EQ(3u, partial.itemCount);
}

TEST(FindCopyItem, DeepTreesAreWalkedWithoutRecursion) {
    TestFiles::TempDir dir(L"deep");
    const int depth = 200;
    CString path = dir / L"top";
    ASSERT_TRUE(CreateDirectoryW(ToLongPath(path), nullptr));
    std::vector<CString> folders = {path};
    for (int i = 1; i < depth; ++i) {
        path += L"\\d";
        ASSERT_TRUE(CreateDirectoryW(ToLongPath(path), nullptr)) << i;
        folders.push_back(path);
    }
    HANDLE file = CreateFileW(ToLongPath(path + L"\\leaf.txt"), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    CopyItemsData items;
    items.AddRoot(dir.Path());
    FindCopyItem find;
    find.Run(dir / L"top", 0, 1, items);
    EXPECT_EQ(static_cast<uint64_t>(depth), items.folderCount);
    EXPECT_EQ(1u, items.fileCount);
    EXPECT_EQ(static_cast<uint64_t>(depth), items.removeFolderCount);
    uint64_t deepest = 0;
    CString leaf;
    for (auto it = items.trees[0].begin(); it != items.trees[0].end(); ++it) {
        if (it.depth() > deepest) deepest = it.depth();
        if (it->type == CopyItemData::File) leaf = CopyItemsData::GetSourcePath(items.trees[0], it);
    }
    EXPECT_EQ(static_cast<uint64_t>(depth + 2), deepest);  // base, folders, leaf, its deletion
    EXPECT_EQ(path + L"\\leaf.txt", leaf);

    // Copies and destruction of such a tree need no recursion either.
    CopyItemsData copy = items;
    EXPECT_EQ(items.trees[0].size(), copy.trees[0].size());

    DeleteFileW(ToLongPath(path + L"\\leaf.txt"));
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(ToLongPath(*it));
}
