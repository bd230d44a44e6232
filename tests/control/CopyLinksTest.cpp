// Links in the sources: the walk follows them, never walks a folder twice on one path,
// and a move never deletes or changes anything that lies behind a link.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "control/CoreEvent.h"
#include "tests/support/CoreEventScript.h"
#include "engine/CopyItemFind.h"
#include "engine/ItemRemover.h"
#include "foundation/Paths.h"
#include "tests/support/CopyJob.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using TestFiles::JobOption;
using TestFiles::RunJob;

namespace {

// Every file below folder with its bytes, links to folders not followed.
std::map<std::wstring, std::string> Snapshot(const CString& folder) {
    std::map<std::wstring, std::string> files;
    for (const CString& entry : TestFiles::ListTree(folder)) {
        std::string bytes;
        if (entry[entry.GetLength() - 1] != L'\\' && entry[entry.GetLength() - 1] != L'@')
            TestFiles::ReadBytes(folder + L"\\" + entry, bytes);
        files[entry.str()] = bytes;
    }
    return files;
}

bool OnWine() {
    return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name") != nullptr;
}

// On Z: (the Unix side, where Wine's links live), beside the sources:
//   src\beside.txt              outside the source, reached through tree\up
//   src\tree\mine.txt
//   src\tree\sub\deep.txt
//   src\tree\dlink  -> ..\..\outside        a link to a folder outside the sources
//   src\tree\flink  -> ..\..\outside\precious.txt
//   src\tree\up     -> ..                   a link to the source's own parent
//   src\tree\sub\back -> ..                 a link to an ancestor on the walk's path
//   outside\precious.txt, outside\inner\more.txt
// and a destination folder on C:.
class LinkedTree : public ::testing::Test {
protected:
    void SetUp() override {
        src = z / L"src";
        tree = src + L"\\tree";
        outside = z / L"outside";
        ASSERT_TRUE(TestFiles::WritePattern(tree + L"\\mine.txt", 3000, 1));
        ASSERT_TRUE(TestFiles::WritePattern(tree + L"\\sub\\deep.txt", 5000, 2));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\beside.txt", "beside"));
        ASSERT_TRUE(TestFiles::WritePattern(outside + L"\\precious.txt", 7000, 3));
        ASSERT_TRUE(TestFiles::WritePattern(outside + L"\\inner\\more.txt", 9000, 4));
        ASSERT_TRUE(links.Make(tree + L"\\dlink", L"..\\..\\outside", true));
        ASSERT_TRUE(links.Make(tree + L"\\flink", L"..\\..\\outside\\precious.txt", false));
        ASSERT_TRUE(links.Make(tree + L"\\up", L"..", true));
        ASSERT_TRUE(links.Make(tree + L"\\sub\\back", L"..", true));
        ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
        outsideBefore = Snapshot(outside);
        ASSERT_EQ(3u, outsideBefore.size());
    }

    // What the copy of tree holds: the links' targets as ordinary folders and files, the
    // two links that lead back left out.
    void ExpectCopiedTree(const CString& copy) {
        EXPECT_EQ((std::vector<CString>{L"dlink\\", L"dlink\\inner\\", L"dlink\\inner\\more.txt",
                                        L"dlink\\precious.txt", L"flink", L"mine.txt", L"sub\\", L"sub\\deep.txt"}),
                  TestFiles::ListTree(copy));
        EXPECT_TRUE(TestFiles::SameFile(outside + L"\\precious.txt", copy + L"\\dlink\\precious.txt"));
        EXPECT_TRUE(TestFiles::SameFile(outside + L"\\inner\\more.txt", copy + L"\\dlink\\inner\\more.txt"));
        EXPECT_TRUE(TestFiles::SameFile(outside + L"\\precious.txt", copy + L"\\flink"));
    }

    void ExpectOutsideUntouched() {
        EXPECT_EQ(outsideBefore, Snapshot(outside));
        std::string bytes;
        EXPECT_TRUE(TestFiles::ReadBytes(src + L"\\beside.txt", bytes));
        EXPECT_EQ("beside", bytes);
    }

    TestFiles::UnixTempDir z;
    TestFiles::TempDir c{L"links"};
    TestFiles::LinkMaker links;  // removed before the folders
    CString src, tree, outside;
    std::map<std::wstring, std::string> outsideBefore;
};

// "relative path:type" for every item of the tree of one source.
std::set<std::wstring> Items(const CopyItemsData& items, const CString& base) {
    std::set<std::wstring> out;
    const CopyItemTree& tree = items.trees.back();
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        if (it->type == CopyItemData::BaseFolder) continue;
        CString path = CopyItemsData::GetSourcePath(tree, it).Mid(base.GetLength() + 1);
        out.insert(path.str() + L":" + std::to_wstring(it->type));
    }
    return out;
}

}  // namespace

TEST_F(LinkedTree, MoveWalkRemovesOnlyTheLinksThemselvesAndLeavesLoopsOut) {
    CopyItemsData items;
    items.AddRoot(FindCopyItem::SourceBaseFolder(tree));
    FindCopyItem().Run(tree, 0, 1, items);
    const CString base = FindCopyItem::NormalizeSource(src);
    // Behind dlink nothing is deleted or removed; dlink and flink go as links.
    EXPECT_EQ((std::set<std::wstring>{
                  L"tree:3", L"tree:6", L"tree\\mine.txt:2", L"tree\\mine.txt:5", L"tree\\sub:3", L"tree\\sub:6",
                  L"tree\\sub\\deep.txt:2", L"tree\\sub\\deep.txt:5", L"tree\\dlink:3", L"tree\\dlink:6",
                  L"tree\\dlink\\precious.txt:2", L"tree\\dlink\\inner:3", L"tree\\dlink\\inner\\more.txt:2",
                  L"tree\\flink:2", L"tree\\flink:5"}),
              Items(items, base));
    EXPECT_EQ(7000u + 9000u + 3000u + 5000u + 7000u, items.totalSize);
}

TEST_F(LinkedTree, CopyHoldsWhatTheLinksLeadToAndChangesNothing) {
    const auto sourceBefore = Snapshot(tree);
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({tree}, c / L"dst"), handler));
    EXPECT_EQ(0, handler.Count(kEventError));
    EXPECT_EQ(1, handler.Count(kEventAlgorithmEnd));
    ExpectCopiedTree(c / L"dst\\tree");
    ExpectOutsideUntouched();
    EXPECT_EQ(sourceBefore, Snapshot(tree));
}

TEST_F(LinkedTree, MoveAcrossVolumesDeletesNothingBehindALink) {
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({tree}, c / L"dst", 1), handler));
    EXPECT_EQ(0, handler.Count(kEventError));
    EXPECT_EQ(1, handler.Count(kEventAlgorithmEnd));
    ExpectCopiedTree(c / L"dst\\tree");
    ExpectOutsideUntouched();
    // The source's own files went; the links that lead back were not copied and stay,
    // and so do the folders holding them. Windows removes the two copied links as links;
    // Wine cannot remove a link without touching its target, so there they stay.
    std::vector<CString> left = {L"sub\\", L"sub\\back@", L"up@"};
    if (OnWine()) left = {L"dlink@", L"flink", L"sub\\", L"sub\\back@", L"up@"};
    EXPECT_EQ(left, TestFiles::ListTree(tree));
}

TEST_F(LinkedTree, MovedLinkAsTheSourceLeavesItsTargetInPlace) {
    ASSERT_TRUE(TestFiles::MakeFolders(z / L"dst"));
    // Across volumes (copy, then removal) and on one volume (a rename where the system
    // renames the link itself).
    for (const CString& destination : {c / L"dst", z / L"dst"}) {
        if (!TestFiles::Exists(src + L"\\folderLink")) {
            ASSERT_TRUE(links.Make(src + L"\\folderLink", L"..\\outside", true));
        }
        if (!TestFiles::Exists(src + L"\\fileLink")) {
            ASSERT_TRUE(links.Make(src + L"\\fileLink", L"..\\outside\\precious.txt", false));
        }
        CoreEventScriptHandler handler;
        EXPECT_EQ(1, RunJob(JobOption({src + L"\\folderLink", src + L"\\fileLink"}, destination, 1), handler));
        EXPECT_EQ(0, handler.Count(kEventError)) << destination.GetString();
        ExpectOutsideUntouched();
        EXPECT_TRUE(TestFiles::SameFile(outside + L"\\precious.txt", destination + L"\\fileLink"));
        EXPECT_TRUE(
            TestFiles::SameFile(outside + L"\\inner\\more.txt", destination + L"\\folderLink\\inner\\more.txt"));
        if (OnWine()) {
            EXPECT_TRUE(TestFiles::Exists(src + L"\\folderLink"));
            EXPECT_TRUE(TestFiles::Exists(src + L"\\fileLink"));
        }
        TestFiles::DeleteTree(destination + L"\\folderLink");
        TestFiles::DeleteTree(destination + L"\\fileLink");
    }
}

TEST_F(LinkedTree, SameVolumeMoveOfATreeWithLinksMovesTheLinksAlong) {
    ASSERT_TRUE(TestFiles::MakeFolders(z / L"dst"));
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({tree}, z / L"dst", 1), handler));
    EXPECT_EQ(0, handler.Count(kEventError));
    EXPECT_EQ(0, handler.Count(kEventCopyBegin)) << "renamed, not copied";
    EXPECT_FALSE(TestFiles::Exists(tree));
    EXPECT_EQ((std::vector<CString>{L"dlink@", L"flink", L"mine.txt", L"sub\\", L"sub\\back@", L"sub\\deep.txt",
                                    L"up@"}),
              TestFiles::ListTree(z / L"dst\\tree"));
    ExpectOutsideUntouched();
    // The links moved with their folder: the maker's records now point nowhere.
    for (const wchar_t* link : {L"dst\\tree\\dlink", L"dst\\tree\\flink", L"dst\\tree\\up", L"dst\\tree\\sub\\back"})
        EXPECT_TRUE(TestFiles::RemoveLink(z / link)) << link;
}

// While the reader holds the file behind a link (it reads it under its own name in the
// same move), the look at the link asks for no access the reader's share mode refuses:
// the link is found not to be itself and stays, and neither side is turned away.
TEST_F(LinkedTree, LookAtALinkDisturbsNoReaderOfItsTarget) {
    if (!OnWine())
        GTEST_SKIP() << "only Wine opens a link as what it leads to";
    HANDLE reader = CreateFileW(ToLongPath(outside + L"\\precious.txt"), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    ItemRemover remover;
    EXPECT_EQ(ItemRemover::kNotItself, remover.RemoveFile(tree + L"\\flink"));
    CloseHandle(reader);

    // And the other way round: the reader opens the target while nothing holds it.
    EXPECT_EQ(ItemRemover::kNotItself, remover.RemoveFile(tree + L"\\flink"));
    reader = CreateFileW(ToLongPath(tree + L"\\flink"), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    CloseHandle(reader);
    ExpectOutsideUntouched();
}
