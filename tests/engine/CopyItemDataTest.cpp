#include "engine/CopyItemData.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace Swiftlet;

namespace {

CopyItemData Item(const wchar_t* path, uint64_t size, uint32_t type) { return CopyItemData(path, size, type); }

// "name:type" of every node in pre-order, indented by depth.
std::vector<std::wstring> Walk(const CopyItemTree& tree) {
    std::vector<std::wstring> out;
    for (CopyItemTree::const_iterator it = tree.begin(); it != tree.end(); ++it)
        out.push_back(std::wstring(it.depth(), L' ') + it->name.str() + L":" + std::to_wstring(it->type));
    return out;
}

CopyItemTree::iterator Find(CopyItemTree& tree, const wchar_t* name, uint32_t type) {
    for (CopyItemTree::iterator it = tree.begin(); it != tree.end(); ++it)
        if (it->name == name && it->type == type) return it;
    return tree.end();
}

// The move of C:\src\a, a folder with f.txt that has a stream s, as the enumeration
// delivers it.
CopyItemsData MoveOfFolderWithStream() {
    CopyItemsData items;
    items.AddRoot(L"C:\\src");
    items.AddItem(Item(L"C:\\src\\a", 0, CopyItemData::Folder));
    items.AddItem(Item(L"C:\\src\\a\\f.txt", 10, CopyItemData::File));
    items.AddItem(Item(L"C:\\src\\a\\f.txt:s:$DATA", 3, CopyItemData::Stream));
    items.AddItem(Item(L"C:\\src\\a\\f.txt", 0, CopyItemData::DeleteSource));
    items.AddItem(Item(L"C:\\src\\a", 0, CopyItemData::RemoveSourceFolder));
    return items;
}

}  // namespace

TEST(CopyItemsData, StreamsDeletionsAndRemovalsLandUnderTheirItems) {
    CopyItemsData items = MoveOfFolderWithStream();
    ASSERT_EQ(1u, items.trees.size());
    const std::vector<std::wstring> expected = {L"C:\\src:1", L" a:3", L"  f.txt:2", L"   :s:$DATA:4", L"   :5",
                                                L"  :6"};
    EXPECT_EQ(expected, Walk(items.trees[0]));

    EXPECT_EQ(5u, items.itemCount);
    EXPECT_EQ(1u, items.folderCount);
    EXPECT_EQ(1u, items.fileCount);
    EXPECT_EQ(1u, items.streamCount);
    EXPECT_EQ(1u, items.deleteCount);
    EXPECT_EQ(1u, items.removeFolderCount);
    EXPECT_EQ(13u, items.totalSize);
    EXPECT_EQ(13u, items.weightedSize);
    EXPECT_EQ(10u, items.largestSize);
}

TEST(CopyItemsData, PathsAreRebuiltFromTheNodes) {
    CopyItemsData items = MoveOfFolderWithStream();
    CopyItemTree& tree = items.trees[0];
    tree.begin()->destName = L"D:\\dst";
    auto folder = Find(tree, L"a", CopyItemData::Folder);
    auto file = Find(tree, L"f.txt", CopyItemData::File);
    auto stream = Find(tree, L":s:$DATA", CopyItemData::Stream);
    auto deletion = Find(tree, L"", CopyItemData::DeleteSource);
    auto removal = Find(tree, L"", CopyItemData::RemoveSourceFolder);

    EXPECT_EQ(CString(L"C:\\src"), CopyItemsData::GetSourcePath(tree, tree.begin()));
    EXPECT_EQ(CString(L"C:\\src\\a"), CopyItemsData::GetSourcePath(tree, folder));
    EXPECT_EQ(CString(L"C:\\src\\a\\f.txt"), CopyItemsData::GetSourcePath(tree, file));
    EXPECT_EQ(CString(L"C:\\src\\a\\f.txt:s:$DATA"), CopyItemsData::GetSourcePath(tree, stream));
    EXPECT_EQ(CString(L"C:\\src\\a\\f.txt"), CopyItemsData::GetSourcePath(tree, deletion));
    EXPECT_EQ(CString(L"C:\\src\\a"), CopyItemsData::GetSourcePath(tree, removal));

    EXPECT_EQ(CString(L"D:\\dst\\a\\f.txt:s:$DATA"), CopyItemsData::GetDestinationPath(tree, stream));
    folder->destName = L"a - コピー";
    EXPECT_EQ(CString(L"D:\\dst\\a - コピー\\f.txt"), CopyItemsData::GetDestinationPath(tree, file));
    EXPECT_EQ(CString(L"C:\\src\\a\\f.txt"), CopyItemsData::GetSourcePath(tree, file));
    file->destName = L"f (2).txt";
    EXPECT_EQ(CString(L"D:\\dst\\a - コピー\\f (2).txt:s:$DATA"), CopyItemsData::GetDestinationPath(tree, stream));

    // A destination that is a drive root gets no second backslash.
    tree.begin()->destName = L"E:\\";
    EXPECT_EQ(CString(L"E:\\a - コピー"), CopyItemsData::GetDestinationPath(tree, folder));
}

TEST(CopyItemsData, APrefixNameIsNoParent) {
    CopyItemsData items;
    items.AddRoot(L"C:\\src");
    items.AddItem(Item(L"C:\\src\\d", 0, CopyItemData::Folder));
    items.AddItem(Item(L"C:\\src\\d\\ab", 2, CopyItemData::File));
    items.AddItem(Item(L"C:\\src\\d\\abc", 0, CopyItemData::Folder));
    items.AddItem(Item(L"C:\\src\\d\\abc\\x", 1, CopyItemData::File));
    items.AddItem(Item(L"C:\\src\\d\\ab:s:$DATA", 1, CopyItemData::Stream));
    const std::vector<std::wstring> expected = {L"C:\\src:1", L" d:3",   L"  ab:2", L"   :s:$DATA:4",
                                                L"  abc:3",   L"   x:2"};
    EXPECT_EQ(expected, Walk(items.trees[0]));
}

TEST(CopyItemsData, DriveRootAndShareSourcesKeepTheirRootName) {
    CopyItemsData items;
    items.AddRoot(L"");  // a drive root has no parent folder
    items.AddItem(Item(L"D:\\", 0, CopyItemData::Folder));
    items.AddItem(Item(L"D:\\x", 4, CopyItemData::File));
    items.AddItem(Item(L"D:\\y", 0, CopyItemData::Folder));
    items.AddItem(Item(L"D:\\y\\z", 5, CopyItemData::File));
    CopyItemTree& drive = items.trees[0];
    const std::vector<std::wstring> expected = {L":1", L" D:\\:3", L"  x:2", L"  y:3", L"   z:2"};
    EXPECT_EQ(expected, Walk(drive));
    auto z = Find(drive, L"z", CopyItemData::File);
    EXPECT_EQ(CString(L"D:\\y\\z"), CopyItemsData::GetSourcePath(drive, z));
    drive.begin()->destName = L"E:\\dst";
    Find(drive, L"D:\\", CopyItemData::Folder)->destName = L"Drive(D)";
    EXPECT_EQ(CString(L"E:\\dst\\Drive(D)\\y\\z"), CopyItemsData::GetDestinationPath(drive, z));

    items.AddRoot(L"\\\\srv");  // moves the first tree: no references into it from here on
    items.AddItem(Item(L"\\\\srv\\share", 0, CopyItemData::Folder));
    items.AddItem(Item(L"\\\\srv\\share\\f", 1, CopyItemData::File));
    CopyItemTree& share = items.trees[1];
    const std::vector<std::wstring> shareExpected = {L"\\\\srv:1", L" share:3", L"  f:2"};
    EXPECT_EQ(shareExpected, Walk(share));
    EXPECT_EQ(CString(L"\\\\srv\\share\\f"), CopyItemsData::GetSourcePath(share, Find(share, L"f", 2)));
    // The first tree is left as it was.
    EXPECT_EQ(5u, items.trees[0].size());
}

TEST(CopyItemsData, EmptyFilesWeighHalfAKilobyte) {
    CopyItemsData items;
    items.AddRoot(L"C:\\src");
    items.AddItem(Item(L"C:\\src\\d", 0, CopyItemData::Folder));
    for (int i = 0; i < 10; ++i) {
        CString path;
        path.Format(L"C:\\src\\d\\empty%d", i);
        items.AddItem(CopyItemData(path, 0, CopyItemData::File));
    }
    EXPECT_EQ(5120u, items.weightedSize);
    EXPECT_EQ(0u, items.totalSize);
    EXPECT_EQ(11u, items.itemCount);
    EXPECT_EQ(10u, items.fileCount);
    EXPECT_EQ(10u, items.trees[0].begin_children(items.trees[0].begin())
                       .number_of_children());
}

TEST(CopyItemsData, ItemsOutsideTheBaseFolderAreRefused) {
    CopyItemsData items;
    EXPECT_THROW(items.AddItem(Item(L"C:\\src\\a", 0, CopyItemData::Folder)), std::invalid_argument);
    items.AddRoot(L"C:\\src");
    EXPECT_THROW(items.AddItem(Item(L"C:\\other\\a", 0, CopyItemData::Folder)), std::invalid_argument);
    EXPECT_THROW(items.AddItem(Item(L"C:\\srcx\\a", 0, CopyItemData::Folder)), std::invalid_argument);
    EXPECT_EQ(0u, items.itemCount);
    EXPECT_EQ(1u, items.trees[0].size());
    // The base folder's case need not match the enumeration's.
    items.AddItem(Item(L"c:\\SRC\\a", 0, CopyItemData::Folder));
    EXPECT_EQ(CString(L"a"), items.trees[0].begin_children(items.trees[0].begin())->name);
}

TEST(CopyItemsData, FlagsChangeOnTheNodeOrItsWholeSubtree) {
    CopyItemsData items = MoveOfFolderWithStream();
    items.AddItem(Item(L"C:\\src\\b", 0, CopyItemData::Folder));
    CopyItemTree& tree = items.trees[0];
    auto a = Find(tree, L"a", CopyItemData::Folder);
    auto b = Find(tree, L"b", CopyItemData::Folder);

    CopyItemsData::SetItemFlags(tree, a, CopyItemData::Skip | CopyItemData::Deferred, 1);
    int flagged = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it)
        if (it->HasFlags(CopyItemData::Skip)) ++flagged;
    EXPECT_EQ(5, flagged);  // a and its four descendants
    EXPECT_EQ(0u, b->GetFlags());
    EXPECT_EQ(0u, tree.begin()->GetFlags());

    CopyItemsData::ClearItemFlags(tree, a, CopyItemData::Deferred, 0);
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Skip), a->GetFlags());
    auto file = Find(tree, L"f.txt", CopyItemData::File);
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Skip | CopyItemData::Deferred), file->GetFlags());
    CopyItemsData::ClearItemFlags(tree, a, CopyItemData::Skip | CopyItemData::Deferred, 1);
    for (auto it = tree.begin(); it != tree.end(); ++it) EXPECT_EQ(0u, it->GetFlags());
}

TEST(CopyItemsData, CopiesAreDeepAndKeepPlacingItems) {
    CopyItemsData items = MoveOfFolderWithStream();
    CopyItemsData copy = items;
    copy.AddItem(Item(L"C:\\src\\a\\g.txt", 7, CopyItemData::File));
    copy.AddItem(Item(L"C:\\src\\a\\f.txt:t:$DATA", 1, CopyItemData::Stream));
    const std::vector<std::wstring> expected = {L"C:\\src:1",    L" a:3",  L"  f.txt:2", L"   :s:$DATA:4", L"   :5",
                                                L"   :t:$DATA:4", L"  :6", L"  g.txt:2"};
    EXPECT_EQ(expected, Walk(copy.trees[0]));
    EXPECT_EQ(7u, copy.itemCount);
    EXPECT_EQ(6u, Walk(items.trees[0]).size());
    EXPECT_EQ(5u, items.itemCount);

    CopyItemsData moved = std::move(copy);
    EXPECT_EQ(7u, moved.itemCount);
    moved.AddItem(Item(L"C:\\src\\a\\g.txt", 0, CopyItemData::DeleteSource));
    EXPECT_EQ(L"   :5", Walk(moved.trees[0]).back());

    moved.Clear();
    EXPECT_TRUE(moved.trees.empty());
    EXPECT_EQ(0u, moved.itemCount);
    EXPECT_EQ(0u, moved.weightedSize);
}
