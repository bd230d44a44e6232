#include "engine/CopyStatusFind.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "control/CoreEvent.h"
#include "engine/CopyException.h"
#include "foundation/Paths.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;

namespace {

// Records the codes of the job's events and may act on them, on the raising thread, as
// the job window would between its message and its answer.
class EventLog : public DesignPatterns::IObserver {
public:
    void Update(DesignPatterns::IObservable* observable) override {
        auto* event = dynamic_cast<CoreEvent*>(observable);
        codes.push_back(event->eventCode);
        if (event->eventCode == kEventFindBegin) shownStatus = event->findStatus;
        if (onEvent) onEvent(*event);
    }
    std::vector<int> codes;
    CoreEventFindStatus* shownStatus = nullptr;
    std::function<void(CoreEvent&)> onEvent;
};

class Handle {
public:
    explicit Handle(HANDLE h) : h(h) {}
    ~Handle() { CloseHandle(h); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    operator HANDLE() const { return h; }
    bool IsSignalled() const { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }

private:
    HANDLE h;
};

class FindStep : public ::testing::Test {
protected:
    void SetUp() override {
        data = dir / L"Data";
        ASSERT_TRUE(TestFiles::WriteBytes(data + L"\\a.txt", "12345"));
        ASSERT_TRUE(TestFiles::WriteBytes(data + L"\\dir\\inner.bin", "1234567"));
        ASSERT_TRUE(TestFiles::MakeFolders(data + L"\\my.dir"));
        ASSERT_TRUE(TestFiles::MakeFolders(dir / L"dst"));
        event.Attach(&log);
    }

    TestFiles::TempDir dir{L"find"};
    CString data;
    CoreEvent event;
    EventLog log;
    CopyStatus status;
    Handle cancel{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    Handle run{CreateEventW(nullptr, FALSE, TRUE, nullptr)};
};

const CopyItemData& SourceItem(const CopyItemTree& tree) { return tree.begin().node->firstChild->data; }

}  // namespace

TEST_F(FindStep, EnumeratesEverySourceAndReportsWhatItFound) {
    CopyStatusFindOperator find(&status, &event, cancel, run);
    find.Find({data + L"\\dir\\", data + L"\\a.txt"}, dir / L"dst", 0);

    EXPECT_EQ((std::vector<int>{kEventFindBegin, kEventFindEnd}), log.codes);
    EXPECT_EQ(&find.findStatus, log.shownStatus);
    EXPECT_EQ(nullptr, event.findStatus);  // forgotten at the end
    EXPECT_EQ(12u, find.findStatus.bytesFound.load());
    EXPECT_EQ(3u, find.findStatus.itemsFound.load());  // dir, inner.bin, a.txt
    EXPECT_EQ(data, find.findStatus.GetFrom());
    EXPECT_EQ(dir / L"dst", find.findStatus.GetTo());

    ASSERT_EQ(2u, status.items.trees.size());
    for (const CopyItemTree& tree : status.items.trees) {
        EXPECT_EQ(data, tree.begin()->name);
        EXPECT_EQ(dir / L"dst", tree.begin()->destName);
        EXPECT_TRUE(SourceItem(tree).destName.IsEmpty());  // same name elsewhere
    }
    EXPECT_EQ(CString(L"dir"), SourceItem(status.items.trees[0]).name);
    // The run event is left signalled, the cancel event untouched.
    EXPECT_TRUE(run.IsSignalled());
    EXPECT_FALSE(cancel.IsSignalled());
    unsigned long long bytes = 0, weighted = 0, items = 0;
    status.GetCopyTotals(&bytes, &weighted, &items);
    EXPECT_EQ(12u, bytes);
    EXPECT_EQ(3u, items);
}

TEST_F(FindStep, CopiesIntoTheirOwnFolderGetCopyNames) {
    CopyStatusFindOperator find(&status, nullptr, nullptr, nullptr);
    find.Find({data + L"\\a.txt", data + L"\\dir", data + L"\\my.dir"}, data, 0);
    ASSERT_EQ(3u, status.items.trees.size());
    EXPECT_EQ(CString(L"a - コピー.txt"), SourceItem(status.items.trees[0]).destName);
    EXPECT_EQ(CString(L"dir - コピー"), SourceItem(status.items.trees[1]).destName);
    EXPECT_EQ(CString(L"my.dir - コピー"), SourceItem(status.items.trees[2]).destName);
    const CopyItemTree& file = status.items.trees[0];
    EXPECT_EQ(data + L"\\a - コピー.txt",
              CopyItemsData::GetDestinationPath(file, CopyItemTree::const_iterator(file.begin().node->firstChild)));

    // The next copy takes the next free number; the destination's case does not matter.
    ASSERT_TRUE(TestFiles::WriteBytes(data + L"\\a - コピー.txt", "1"));
    CString upper = data;
    upper.MakeUpper();
    EXPECT_EQ(CString(L"a - コピー (2).txt"), CopyStatusFindOperator::RootDestinationName(data + L"\\a.txt", 1, upper));
    ASSERT_TRUE(TestFiles::WriteBytes(data + L"\\a - コピー (2).txt", "2"));
    EXPECT_EQ(CString(L"a - コピー (3).txt"), CopyStatusFindOperator::UniqueCopyName(data, L"a", L".txt"));
    EXPECT_EQ(CString(L"b.txt"), CopyStatusFindOperator::UniqueCopyName(data, L"b", L".txt"));
    ASSERT_TRUE(TestFiles::MakeFolders(data + L"\\dir - コピー"));
    EXPECT_EQ(CString(L"dir - コピー (2)"), CopyStatusFindOperator::UniqueCopyName(data, L"dir", L""));
}

TEST_F(FindStep, DriveRootsAreNamedAfterTheDrive) {
    // A letter no volume uses: the shell knows no name for it.
    wchar_t unused = 0;
    for (wchar_t letter = L'Y'; letter > L'C' && !unused; --letter)
        if (!(GetLogicalDrives() & (1u << (letter - L'A')))) unused = letter;
    ASSERT_NE(0, unused);
    CString root = DriveRoot(unused);
    // Windows has no name for it and falls back to "Drive(X)"; Wine names even an absent
    // drive. Either way the name is clean.
    const CString absent = CopyStatusFindOperator::RootDestinationName(root, 1, dir.Path());
    EXPECT_FALSE(absent.IsEmpty());
    EXPECT_EQ(-1, absent.FindOneOf(L"\\/:*?"));
    if (absent.Left(6) == L"Drive(") {
        EXPECT_EQ(FormatString(L"Drive(%c)", unused), absent);
    }

    // A real drive gets a usable name from the shell, never one with separators.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (size_t trees : {size_t(1), size_t(2)}) {
        const CString name = CopyStatusFindOperator::RootDestinationName(DriveRoot(system[0]), trees, dir.Path());
        EXPECT_FALSE(name.IsEmpty());
        EXPECT_EQ(-1, name.FindOneOf(L"\\/:*?"));
    }
}

TEST_F(FindStep, ASourceThatCannotBeReadFindsNothing) {
    CopyStatusFindOperator find(&status, &event, cancel, run);
    try {
        find.Find({data + L"\\a.txt", data + L"\\missing"}, dir / L"dst", 0);
        FAIL() << "no exception";
    } catch (CopyException& e) {
        EXPECT_EQ(kCopyNothingFound, e.type);
    }
    EXPECT_TRUE(status.items.trees.empty());
    EXPECT_EQ(0u, status.items.itemCount);
    EXPECT_EQ((std::vector<int>{kEventFindBegin, kEventFindEnd}), log.codes);
    EXPECT_EQ(nullptr, event.findStatus);

    CopyStatusFindOperator none(&status, nullptr, nullptr, nullptr);
    EXPECT_THROW(none.Find({}, dir / L"dst", 0), CopyException);
}

TEST_F(FindStep, CancelStopsAtTheNextItemAndStaysSignalled) {
    SetEvent(cancel);
    CopyStatusFindOperator find(&status, &event, cancel, run);
    try {
        find.Find({data}, dir / L"dst", 0);
        FAIL() << "no exception";
    } catch (CopyException& e) {
        EXPECT_EQ(kCopyCancelled, e.type);
    }
    EXPECT_TRUE(status.items.trees.empty());
    EXPECT_TRUE(cancel.IsSignalled());
    EXPECT_EQ(kEventFindEnd, log.codes.back());
}

TEST_F(FindStep, PauseWaitsForTheRunEventAndResumes) {
    ResetEvent(run);
    int resumed = 0;
    log.onEvent = [&](CoreEvent& e) {
        // The user resumes while the pause is shown.
        if (e.eventCode == kEventFindPaused) SetEvent(run);
        if (e.eventCode == kEventFindResumed) ++resumed;
    };
    CopyStatusFindOperator find(&status, &event, cancel, run);
    find.Find({data + L"\\dir"}, dir / L"dst", 0);
    EXPECT_EQ((std::vector<int>{kEventFindBegin, kEventFindPaused, kEventFindResumed, kEventFindEnd}), log.codes);
    EXPECT_EQ(1, resumed);
    EXPECT_EQ(2u, status.items.itemCount);
    EXPECT_TRUE(run.IsSignalled());
}

TEST_F(FindStep, CancelDuringAPauseEndsTheFind) {
    ResetEvent(run);
    log.onEvent = [&](CoreEvent& e) {
        if (e.eventCode == kEventFindPaused) SetEvent(cancel);
    };
    CopyStatusFindOperator find(&status, &event, cancel, run);
    try {
        find.Find({data}, dir / L"dst", 0);
        FAIL() << "no exception";
    } catch (CopyException& e) {
        EXPECT_EQ(kCopyCancelled, e.type);
    }
    EXPECT_EQ((std::vector<int>{kEventFindBegin, kEventFindPaused, kEventFindEnd}), log.codes);
    EXPECT_TRUE(cancel.IsSignalled());
    EXPECT_TRUE(status.items.trees.empty());
}

TEST_F(FindStep, PauseFromAnotherThreadIsNoticedAtTheNextItem) {
    // A real pause and resume by another thread, as the job window's buttons do: the
    // find step stops at an item and goes on only after the resume.
    ResetEvent(run);
    HANDLE paused = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    log.onEvent = [&](CoreEvent& e) {
        if (e.eventCode == kEventFindPaused) SetEvent(paused);
    };
    struct Resume {
        HANDLE paused, run;
    } resume{paused, run};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* r = static_cast<Resume*>(p);
            WaitForSingleObject(r->paused, INFINITE);
            SetEvent(r->run);
            return 0;
        },
        &resume, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    CopyStatusFindOperator find(&status, &event, cancel, run);
    find.Find({data + L"\\a.txt"}, dir / L"dst", 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(paused);
    EXPECT_EQ((std::vector<int>{kEventFindBegin, kEventFindPaused, kEventFindResumed, kEventFindEnd}), log.codes);
}

TEST_F(FindStep, ItemsOfTheRecycleBinTakeTheShellsName) {
    // An item lying in the recycle-bin folder of the system drive, as deleted files do.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const CString bin = GetRecycleBinFolder(system[0]);
    ASSERT_FALSE(bin.IsEmpty());
    CString folder;
    folder.Format(L"%s\\S-1-5-21-test-%u-%u", bin.GetString(), GetCurrentProcessId(), GetTickCount());
    ASSERT_TRUE(TestFiles::WriteBytes(folder + L"\\$RQ1W2E3.txt", "deleted"));

    CopyStatusFindOperator find(&status, nullptr, nullptr, nullptr);
    find.Find({folder + L"\\$RQ1W2E3.txt"}, dir / L"dst", 0);
    const CString name = SourceItem(status.items.trees[0]).destName;
    TestFiles::DeleteTree(folder);
    // Whatever name the shell knows for it, cleaned for use as a file name.
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_EQ(-1, name.FindOneOf(L"\\/:*?"));
}
