#include "engine/CopyStatus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CopyException.h"
#include "engine/CopyItemFind.h"
#include "foundation/Paths.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;

namespace {

// A move of src\top (a.txt 3 bytes, empty.txt 0 bytes, sub\b.txt 5 bytes, sub\deeper\)
// and of the single file src\single.bin (7 bytes), enumerated from real folders, with an
// empty tree between them (a source that yielded nothing).
class StatusWalk : public ::testing::Test {
protected:
    void SetUp() override {
        src = dir / L"src";
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\top\\a.txt", "abc"));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\top\\empty.txt", ""));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\top\\sub\\b.txt", "12345"));
        ASSERT_TRUE(TestFiles::MakeFolders(src + L"\\top\\sub\\deeper"));
        ASSERT_TRUE(TestFiles::WriteBytes(src + L"\\single.bin", "1234567"));
        option.destination = dir / L"dst";
        option.batchFileConflicts = 1;
        status.option = &option;
        Enumerate(src + L"\\top");
        status.items.AddRoot(src);
        Enumerate(src + L"\\single.bin");
    }

    void Enumerate(const CString& source) {
        status.items.AddRoot(FindCopyItem::SourceBaseFolder(source));
        status.items.trees.back().begin()->destName = option.destination;
        FindCopyItem().Run(source, 0, 1, status.items);
    }

    // Source paths (with the kind) of every item a walk stops at.
    template <class Walk>
    std::vector<std::wstring> Visits(Walk& walk) {
        std::vector<std::wstring> out;
        walk.Begin();
        while (walk.IsRunning() && out.size() < 1000) {
            out.push_back(Key(walk.CurrentTree(), walk.CurrentNode()));
            walk.Advance();
        }
        return out;
    }

    static std::wstring Key(const CopyItemTree& tree, const CopyItemTree::iterator_base& node) {
        return CopyItemsData::GetSourcePath(tree, node).str() + L"#" +
               std::to_wstring(static_cast<const CopyItemData&>(node.node->data).type);
    }

    // The pre-order walk of every tree, filtered.
    template <class Pick>
    std::vector<std::wstring> PreOrder(Pick pick) {
        std::vector<std::wstring> out;
        for (const CopyItemTree& tree : status.items.trees)
            for (auto it = tree.begin(); it != tree.end(); ++it)
                if (pick(*it)) out.push_back(Key(tree, it));
        return out;
    }

    TestFiles::TempDir dir{L"status"};
    CString src;
    CopyOption option;
    CopyStatus status;
};

bool ReaderKind(const CopyItemData& item) {
    return item.type == CopyItemData::File || item.type == CopyItemData::Folder || item.type == CopyItemData::Stream;
}
bool WriterKind(const CopyItemData& item) { return item.type != CopyItemData::BaseFolder; }

}  // namespace

TEST_F(StatusWalk, SinglePassFollowsThePreOrderOfEveryTree) {
    CopyStatusReadOperator read(&status);
    CopyStatusWriteOperator write(&status);
    EXPECT_EQ(PreOrder(ReaderKind), Visits(read));
    EXPECT_EQ(PreOrder(WriterKind), Visits(write));
    EXPECT_EQ(CopyStatusItemInfo::Finished, status.read.state);
    EXPECT_EQ(CopyStatusItemInfo::Finished, status.write.state);

    // Files and folders counted; an empty file weighs 512 bytes but adds none.
    for (const CopyStatusItemInfo* info : {&status.read, &status.write}) {
        EXPECT_EQ(7u, info->itemsDone);  // top, sub, deeper, a, empty, b, single
        EXPECT_EQ(15u, info->bytesDone);
        EXPECT_EQ(15u + 512u, info->weightedBytesDone);
    }
    // Each side flagged every node its walk passed, also those it does not act on: the
    // writer deletes a moved source only once the reader's walk has passed its deletion.
    for (const CopyItemTree& tree : status.items.trees) {
        if (tree.size() == 1) continue;  // a tree without items is never entered
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            EXPECT_TRUE(it->HasFlags(CopyItemData::Passed));
            EXPECT_TRUE(it->HasFlags(CopyItemData::Written));
        }
    }
}

TEST_F(StatusWalk, FoldersFirstVisitsEveryFolderOfATreeBeforeItsFiles) {
    status.foldersFirst = 1;
    CopyStatusWriteOperator write(&status);
    std::vector<std::wstring> expected;
    for (const CopyItemTree& tree : status.items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it)
            if (it->type == CopyItemData::Folder) expected.push_back(Key(tree, it));
        for (auto it = tree.begin(); it != tree.end(); ++it)
            if (WriterKind(*it) && it->type != CopyItemData::Folder) expected.push_back(Key(tree, it));
    }
    EXPECT_EQ(expected, Visits(write));
    EXPECT_EQ(7u, status.write.itemsDone);
    EXPECT_EQ(15u, status.write.bytesDone);
}

TEST_F(StatusWalk, RestartVisitsOnlyWhatADecisionReleased) {
    CopyStatusReadOperator read(&status);
    // b.txt is set aside: the walk passes it without marking it.
    CopyItemTree& tree = status.items.trees[0];
    CopyItemTree::iterator b;
    for (auto it = tree.begin(); it != tree.end(); ++it)
        if (it->name == L"b.txt") b = it;
    ASSERT_TRUE(b.node);
    CopyItemsData::SetItemFlags(tree, b, CopyItemData::Deferred | CopyItemData::Skip, 1);
    const std::vector<std::wstring> first = Visits(read);
    EXPECT_EQ(PreOrder(ReaderKind), first);
    EXPECT_FALSE(b->HasFlags(CopyItemData::Passed));
    EXPECT_EQ(6u, status.read.itemsDone);
    EXPECT_EQ(10u, status.read.bytesDone);

    // Released: only b.txt is left, and the counters go on from where they were.
    CopyItemsData::ClearItemFlags(tree, b, CopyItemData::Deferred | CopyItemData::Skip, 1);
    read.Restart();
    ASSERT_TRUE(read.IsRunning());
    EXPECT_EQ(CString(src + L"\\top\\sub\\b.txt"), read.GetSourcePath());
    EXPECT_EQ(CString(option.destination + L"\\top\\sub\\b.txt"), read.GetDestinationPath());
    read.Advance();
    EXPECT_FALSE(read.IsRunning());
    EXPECT_EQ(7u, status.read.itemsDone);
    EXPECT_EQ(15u, status.read.bytesDone);
}

TEST_F(StatusWalk, WalksOfNothingFinishAtOnce) {
    CopyStatus empty;
    empty.items.AddRoot(L"C:\\nothing");
    CopyStatusReadOperator read(&empty);
    read.Begin();
    EXPECT_EQ(CopyStatusItemInfo::Finished, empty.read.state);
    read.Advance();  // harmless once finished
    EXPECT_EQ(0, read.ShouldSkip());

    CopyStatusWriteOperator write(&status);
    write.Begin();
    write.SetFailed();
    EXPECT_EQ(CopyStatusItemInfo::Failed, write.GetState());
    write.Advance();
    EXPECT_EQ(CopyStatusItemInfo::Failed, write.GetState());
}

TEST_F(StatusWalk, DeferredConflictsAreListedInTreeOrder) {
    CopyStatusReadOperator read(&status);
    EXPECT_EQ(0, read.HasDeferredConflicts());
    for (CopyItemTree& tree : status.items.trees)
        for (auto it = tree.begin(); it != tree.end(); ++it)
            if (it->type == CopyItemData::File && it->name != L"empty.txt")
                CopyItemsData::SetItemFlags(tree, it, CopyItemData::Deferred | CopyItemData::Skip, 1);
    EXPECT_EQ(1, read.HasDeferredConflicts());

    CopyExceptionOverwriteFiles e;
    read.CollectDeferredConflicts(e);
    EXPECT_EQ(option.destination, e.destinationFolder);
    EXPECT_EQ(src, e.sourceFolder);
    std::vector<std::wstring> expected;
    for (const std::wstring& key : PreOrder([](const CopyItemData& item) {
             return item.type == CopyItemData::File && item.HasFlags(CopyItemData::Deferred);
         }))
        expected.push_back(key.substr(0, key.find(L'#')));
    ASSERT_EQ(expected.size(), e.files.size());
    ASSERT_EQ(3u, e.files.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(CString(expected[i].c_str()), e.files[i].first);
        EXPECT_EQ(option.destination + e.files[i].first.Mid(src.GetLength()), e.files[i].second);
    }

    option.batchFileConflicts = 0;
    EXPECT_EQ(0, read.HasDeferredConflicts());
}

TEST_F(StatusWalk, KeepBothFilesTakeTheFirstFreeNumber) {
    ASSERT_TRUE(TestFiles::WriteBytes(option.destination + L"\\single.bin", "old"));
    ASSERT_TRUE(TestFiles::WriteBytes(option.destination + L"\\single (2).bin", "old"));
    CopyStatusWriteOperator write(&status);
    write.Begin();
    while (write.IsRunning() && write.Current().name != L"single.bin") write.Advance();
    ASSERT_TRUE(write.IsRunning());
    EXPECT_EQ(0, write.MakeUniqueDestinationName());  // not a keep-both item
    write.SetCurrentFlags(CopyItemData::KeepBoth | CopyItemData::NoDestination, 1);
    EXPECT_EQ(1, write.MakeUniqueDestinationName());
    EXPECT_EQ(CString(L"single (3).bin"), write.Current().destName);
    EXPECT_EQ(option.destination + L"\\single (3).bin", write.GetDestinationPath());
    EXPECT_EQ(src + L"\\single.bin", write.GetSourcePath());
    EXPECT_EQ(0, write.MakeUniqueDestinationName());  // it has its name now
}

TEST_F(StatusWalk, CopiedStatusKeepsCursorPositionsInItsOwnTrees) {
    CopyStatusReadOperator read(&status);
    read.Begin();
    read.Advance();
    read.Advance();
    const CString at = read.GetSourcePath();
    CopyStatus copy = status;
    CopyStatusReadOperator copied(&copy);
    EXPECT_EQ(at, copied.GetSourcePath());
    EXPECT_NE(status.read.itemCursor.node, copy.read.itemCursor.node);
    copied.Advance();
    read.Advance();
    EXPECT_EQ(read.GetSourcePath(), copied.GetSourcePath());

    copy.Reset();
    EXPECT_TRUE(copy.items.trees.empty());
    EXPECT_EQ(CopyStatusItemInfo::Idle, copy.read.state);
    EXPECT_EQ(0u, copy.read.itemsDone);
}

namespace {

// Flags of the node with this name and kind in the first tree; for a deletion or a
// removal, name is that of its parent.
uint32_t FlagsOf(CopyStatus& status, const wchar_t* name, uint32_t type) {
    for (auto it = status.items.trees[0].begin(); it != status.items.trees[0].end(); ++it) {
        if (it->type != type) continue;
        const bool unnamed = type == CopyItemData::DeleteSource || type == CopyItemData::RemoveSourceFolder;
        if ((unnamed ? it.node->parent->data.name : it->name) == name) return it->GetFlags();
    }
    ADD_FAILURE() << "no node " << CString(name).GetString();
    return 0;
}

}  // namespace

// a.txt and b.txt conflict and wait; sub's removal waits for them too.
class DeferredAnswer : public StatusWalk {
protected:
    void SetUp() override {
        StatusWalk::SetUp();
        CopyItemTree& tree = status.items.trees[0];
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (it->name == L"a.txt" || it->name == L"b.txt")
                CopyItemsData::SetItemFlags(tree, it, CopyItemData::Deferred | CopyItemData::Skip, 1);
            if (it->type == CopyItemData::RemoveSourceFolder && it.node->parent->data.name == L"sub")
                it->SetFlags(CopyItemData::Deferred | CopyItemData::Skip);
        }
    }
    static constexpr uint32_t kWaiting = CopyItemData::Deferred | CopyItemData::Skip;
};

TEST_F(DeferredAnswer, SkipAllLeavesTheFilesSkippedForGood) {
    CopyStatusReadOperator read(&status);
    EXPECT_EQ(1, read.ApplyDeferredAnswer(kAnswerSkip, nullptr));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Skip), FlagsOf(status, L"a.txt", CopyItemData::File));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Skip), FlagsOf(status, L"b.txt", CopyItemData::File));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Skip), FlagsOf(status, L"sub", CopyItemData::RemoveSourceFolder));
    EXPECT_EQ(0, read.HasDeferredConflicts());
    // The deletions under the files stay skipped: the sources are kept.
    for (auto it = status.items.trees[0].begin(); it != status.items.trees[0].end(); ++it) {
        if (it->type == CopyItemData::DeleteSource && it.node->parent->data.name == L"a.txt") {
            EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Skip), it->GetFlags());
        }
    }
}

TEST_F(DeferredAnswer, OverwriteAllReleasesEverythingForReplacing) {
    CopyStatusReadOperator read(&status);
    EXPECT_EQ(1, read.ApplyDeferredAnswer(kAnswerOverwrite, nullptr));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Overwrite), FlagsOf(status, L"a.txt", CopyItemData::File));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Overwrite), FlagsOf(status, L"b.txt", CopyItemData::File));
    EXPECT_EQ(0u, FlagsOf(status, L"sub", CopyItemData::RemoveSourceFolder) & kWaiting);
    EXPECT_EQ(0, read.HasDeferredConflicts());
    // Untouched items keep their flags.
    EXPECT_EQ(0u, FlagsOf(status, L"empty.txt", CopyItemData::File));
}

TEST_F(DeferredAnswer, KeepBothWritesNextToTheExistingFile) {
    ASSERT_TRUE(TestFiles::WriteBytes(option.destination + L"\\top\\a.txt", "old"));
    CopyStatusWriteOperator write(&status);
    EXPECT_EQ(1, write.ApplyDeferredAnswer(kAnswerKeepBoth, nullptr));
    const uint32_t expected = CopyItemData::KeepBoth | CopyItemData::NoDestination;
    EXPECT_EQ(expected, FlagsOf(status, L"a.txt", CopyItemData::File));
    EXPECT_EQ(expected, FlagsOf(status, L"b.txt", CopyItemData::File));

    write.Begin();
    while (write.IsRunning() && write.Current().name != L"a.txt") write.Advance();
    ASSERT_TRUE(write.IsRunning());
    EXPECT_EQ(1, write.MakeUniqueDestinationName());
    EXPECT_EQ(option.destination + L"\\top\\a (2).txt", write.GetDestinationPath());
}

TEST_F(DeferredAnswer, SelectionDecidesFileByFile) {
    SelectionMap selection;
    CString a = src + L"\\top\\a.txt";
    a.MakeUpper();  // paths are looked up without regard to case
    selection[a] = kAnswerKeepBoth;
    selection[src + L"\\top\\sub\\b.txt"] = 9;  // an unknown choice skips
    CopyStatusReadOperator read(&status);
    EXPECT_EQ(1, read.ApplyDeferredAnswer(kAnswerSelection, &selection));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::KeepBoth | CopyItemData::NoDestination),
              FlagsOf(status, L"a.txt", CopyItemData::File));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Skip), FlagsOf(status, L"b.txt", CopyItemData::File));
    EXPECT_EQ(0u, FlagsOf(status, L"sub", CopyItemData::RemoveSourceFolder) & kWaiting);

    selection.clear();
    selection[src + L"\\top\\sub\\b.txt"] = kAnswerOverwrite;
    for (auto it = status.items.trees[0].begin(); it != status.items.trees[0].end(); ++it)
        if (it->name == L"b.txt") CopyItemsData::SetItemFlags(status.items.trees[0], it, kWaiting, 1);
    EXPECT_EQ(1, read.ApplyDeferredAnswer(kAnswerSelection, &selection));
    EXPECT_EQ(static_cast<uint32_t>(CopyItemData::Overwrite), FlagsOf(status, L"b.txt", CopyItemData::File));
}

TEST_F(DeferredAnswer, OtherAnswersChangeNothing) {
    CopyStatusReadOperator read(&status);
    for (int answer : {0, int(kAnswerRetry), int(kAnswerCancel), int(kAnswerElevate), 42}) {
        EXPECT_EQ(0, read.ApplyDeferredAnswer(answer, nullptr));
        EXPECT_EQ(kWaiting, FlagsOf(status, L"a.txt", CopyItemData::File));
    }
    EXPECT_EQ(1, read.HasDeferredConflicts());
}

TEST_F(StatusWalk, DisplayCursorShowsTheCurrentItemOfEachSide) {
    CopyStatusReadOperator read(&status);
    CopyStatusWriteOperator write(&status);
    EXPECT_EQ(CopyStatusItemInfo::Idle, read.GetDisplayCursor().state);
    read.Begin();
    write.Begin();
    read.Advance();
    const CoreDisplayCursor cursor = read.GetDisplayCursor();
    EXPECT_EQ(1, cursor.state);
    EXPECT_EQ(1u, cursor.itemsDone);
    EXPECT_EQ(src, cursor.folder);
    EXPECT_EQ(option.destination, cursor.destinationFolder);
    EXPECT_EQ(read.GetSourcePath(), cursor.sourcePath);
    EXPECT_EQ(read.GetDestinationPath(), cursor.destinationPath);
    EXPECT_EQ(write.GetSourcePath(), write.GetDisplayCursor().sourcePath);
    while (read.IsRunning()) read.Advance();
    EXPECT_TRUE(read.GetDisplayCursor().sourcePath.IsEmpty());
    EXPECT_EQ(2, read.GetCursorState());
}

TEST_F(StatusWalk, ElevationRereadsWhatWasNotWrittenFromTheWritersPlace) {
    CopyStatusReadOperator read(&status);
    CopyStatusWriteOperator write(&status);
    read.Begin();
    while (read.IsRunning()) {
        read.Current().SetFlags(CopyItemData::Opened);
        read.Advance();
    }
    write.Begin();
    for (int i = 0; i < 3; ++i) write.Advance();
    const CString writerAt = write.GetSourcePath();
    const uint64_t writtenItems = status.write.itemsDone;
    write.SetFailed();  // the writer stopped for the hand-over

    CopyStatusElevateOperator(&status).Prepare();
    EXPECT_EQ(CopyStatusItemInfo::Running, status.write.state);
    EXPECT_EQ(CopyStatusItemInfo::Running, status.read.state);
    EXPECT_EQ(writerAt, read.GetSourcePath());
    EXPECT_EQ(writtenItems, status.read.itemsDone);
    for (const CopyItemTree& tree : status.items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (it->HasFlags(CopyItemData::Written)) {
                EXPECT_TRUE(it->HasFlags(CopyItemData::Passed));  // what is written stays done
            } else {
                EXPECT_FALSE(it->HasFlags(CopyItemData::Opened | CopyItemData::Passed));
            }
        }
    }
    // The reader goes on from there and reads the rest.
    read.Skip();
    size_t left = 0;
    while (read.IsRunning()) {
        ++left;
        read.Advance();
    }
    EXPECT_GT(left, 0u);
    EXPECT_EQ(7u, status.read.itemsDone);
}
