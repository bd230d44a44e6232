// Jobs run the console's way on real files: the engine with the console's handler and
// runner, what the item trees say afterwards, and the verification that reads copies
// back.
#include <gtest/gtest.h>

#include "tests/support/PrintCString.h"

#include "console/ConsoleCommandLine.h"
#include "console/ConsoleCopyCore.h"
#include "console/ConsoleEventHandler.h"
#include "console/ConsoleVerifier.h"
#include "control/CoreEvent.h"
#include "engine/CopyException.h"
#include "engine/CopyStatus.h"
#include "tests/support/CopyJob.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;

namespace {

struct JobResult {
    ConsoleJobOutcome outcome;
    std::vector<ConsoleProblem> problems;
    std::vector<CString> errors;
    bool cancelled = false;
};

// Runs a copy with nobody to ask, the way a script runs the console program.
JobResult RunUnattended(const CString& source, const CString& destination, int ifExists, int move = 0) {
    ConsoleOutput quiet(nullptr, nullptr);
    ConsoleEventHandler handler(quiet, nullptr, ifExists, move);
    ConsoleCopyCore core;
    core.option = TestFiles::JobOption({source}, destination, move);
    core.handler = &handler;
    core.Run();
    return {core.outcome, handler.Problems(), handler.Errors(), handler.Cancelled()};
}

std::string Read(const CString& path) {
    std::string bytes;
    EXPECT_TRUE(TestFiles::ReadBytes(path, bytes));
    return bytes;
}

}  // namespace

TEST(ConsoleJob, ExistingFileIsKeptAndListedWhenNobodyCanBeAsked) {
    TestFiles::TempDir t(L"cj");
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\a.txt", "new"));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\b.txt", "bee"));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"dst\\src\\a.txt", "old"));
    const JobResult r = RunUnattended(t / L"src", t / L"dst", kIfExistsAsk);
    EXPECT_EQ("old", Read(t / L"dst\\src\\a.txt"));
    EXPECT_EQ("bee", Read(t / L"dst\\src\\b.txt"));
    ASSERT_EQ(1u, r.problems.size());
    EXPECT_EQ(t / L"dst\\src\\a.txt", r.problems[0].path);
    EXPECT_EQ(CString(L"宛先にはすでに\"a.txt\"という名前のファイルが存在します"), r.problems[0].reason);
    // The engine's trees agree: b.txt written, a.txt left out, the merged folder no new item.
    EXPECT_EQ(1u, r.outcome.items);
    EXPECT_EQ(3u, r.outcome.bytes);
    ASSERT_EQ(1u, r.outcome.skipped.size());
    EXPECT_EQ(t / L"src\\a.txt", r.outcome.skipped[0].first);
    ASSERT_EQ(1u, r.outcome.files.size());
    EXPECT_EQ(t / L"dst\\src\\b.txt", r.outcome.files[0].destination);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_FALSE(r.cancelled);
}

TEST(ConsoleJob, IfExistsReplacesOrKeepsBothUnderANewName) {
    TestFiles::TempDir t(L"cj");
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\a.txt", "new"));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"dst\\src\\a.txt", "old"));
    JobResult both = RunUnattended(t / L"src", t / L"dst", kIfExistsKeepBoth);
    EXPECT_EQ("old", Read(t / L"dst\\src\\a.txt"));
    EXPECT_EQ("new", Read(t / L"dst\\src\\a (2).txt"));
    EXPECT_TRUE(both.problems.empty());
    ASSERT_EQ(1u, both.outcome.files.size());
    EXPECT_EQ(t / L"dst\\src\\a (2).txt", both.outcome.files[0].destination);

    JobResult replaced = RunUnattended(t / L"src", t / L"dst", kIfExistsOverwrite);
    EXPECT_EQ("new", Read(t / L"dst\\src\\a.txt"));
    EXPECT_TRUE(replaced.problems.empty());
    EXPECT_EQ(1u, replaced.outcome.items);
}

TEST(ConsoleJob, AFileInUseIsSkippedWithTheSystemsReasonUnderThePathTheTreeKnows) {
    TestFiles::TempDir t(L"cj");
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\busy.txt", "busy"));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\free.txt", "free"));
    ASSERT_TRUE(TestFiles::MakeFolders(t / L"dst"));
    HANDLE held = CreateFileW(t / L"src\\busy.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const JobResult r = RunUnattended(t / L"src", t / L"dst", kIfExistsAsk);
    CloseHandle(held);
    EXPECT_EQ("free", Read(t / L"dst\\src\\free.txt"));
    EXPECT_FALSE(TestFiles::Exists(t / L"dst\\src\\busy.txt"));
    ASSERT_EQ(1u, r.problems.size());
    EXPECT_EQ(GetSystemErrorMessage(ERROR_SHARING_VIOLATION), r.problems[0].reason);
    // The summary matches the question's item with the trees' to list it once.
    ASSERT_EQ(1u, r.outcome.skipped.size());
    EXPECT_EQ(r.outcome.skipped[0].first, r.problems[0].path);
}

TEST(ConsoleJob, ErrorsThatEndTheJobAreKeptInTheWindowsWords) {
    TestFiles::TempDir t(L"cj");
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\a.txt", "x"));
    const JobResult r = RunUnattended(t / L"src", t / L"src\\inner", kIfExistsAsk);
    ASSERT_EQ(1u, r.errors.size());
    EXPECT_EQ(CString(L"受け側のフォルダーは、送り側フォルダーのサブフォルダーです。"), r.errors[0]);
    EXPECT_EQ(0, r.outcome.ran);
}

// The window asks, or hands the job over, where the engine ends on these, and shows no
// error text for them; a console job that ended on one still did not do everything.
TEST(ConsoleJob, AnErrorWithoutAWindowTextStillFailsTheJob) {
    ConsoleOutput quiet(nullptr, nullptr);
    ConsoleEventHandler handler(quiet, nullptr, kIfExistsAsk, 0);
    CoreEvent events;
    events.Attach(&handler);
    CopyException elevation(kCopyStopForElevation);
    events.OnError(&elevation);
    CopyException undone(kCopyItemsLeftUndone);
    events.OnError(&undone);
    const std::vector<CString> errors = handler.Errors();
    ASSERT_EQ(2u, errors.size());
    EXPECT_EQ(CString(L"コピー中にエラーが発生しました。"), errors[0]);
    EXPECT_EQ(CString(L"コピー中にエラーが発生しました。(8)"), errors[1]);
    EXPECT_FALSE(handler.Cancelled());
}

TEST(ConsoleJob, CancelAskedBeforeTheEngineStartsStopsItAtItsFirstEvent) {
    TestFiles::TempDir t(L"cj");
    ASSERT_TRUE(TestFiles::WritePattern(t / L"src\\a.bin", 100000));
    ConsoleOutput quiet(nullptr, nullptr);
    ConsoleEventHandler handler(quiet, nullptr, kIfExistsAsk, 0);
    handler.RequestCancel();
    ConsoleCopyCore core;
    core.option = TestFiles::JobOption({t / L"src"}, t / L"dst");
    core.handler = &handler;
    core.Run();
    EXPECT_TRUE(handler.Cancelled());
    EXPECT_FALSE(TestFiles::Exists(t / L"dst\\src\\a.bin"));
    EXPECT_EQ(kProgressCancelling, handler.Progress().phase);
}

TEST(ConsoleJobOutcome, TreesGiveWrittenFilesWithTheirStreamsAndTopmostSkippedItems) {
    CopyStatus status;
    status.items.AddRoot(L"C:\\s");
    const uint32_t written = CopyItemData::Passed | CopyItemData::Written;
    const uint32_t skipped = written | CopyItemData::Skip;
    status.items.AddItem(CopyItemData(L"C:\\s\\dir", 0, CopyItemData::Folder, written));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\a.txt", 10, CopyItemData::File, written));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\a.txt:s:$DATA", 4, CopyItemData::Stream, written));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\old", 0, CopyItemData::Folder, skipped));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\old\\b.txt", 7, CopyItemData::File, skipped));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\c.txt", 5, CopyItemData::File, skipped));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\c.txt:s:$DATA", 1, CopyItemData::Stream, skipped));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\c.txt", 0, CopyItemData::DeleteSource, skipped));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\d.txt", 3, CopyItemData::File, CopyItemData::Passed));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\e.txt", 2, CopyItemData::File, written));
    status.items.AddItem(CopyItemData(L"C:\\s\\dir\\e.txt", 0, CopyItemData::DeleteSource, skipped));
    (*status.items.trees[0].begin()).destName = L"D:\\t";

    const ConsoleJobOutcome o = ConsoleCopyCore::Collect(status);
    EXPECT_EQ((std::vector<CString>{L"C:\\s\\dir"}), o.treeSources);
    ASSERT_EQ(3u, o.files.size());
    EXPECT_EQ(CString(L"D:\\t\\dir\\a.txt"), o.files[0].destination);
    EXPECT_EQ(-1, o.files[0].fileIndex);
    EXPECT_EQ(CString(L"C:\\s\\dir\\a.txt:s:$DATA"), o.files[1].source);
    EXPECT_EQ(0, o.files[1].fileIndex);
    EXPECT_EQ(3u, o.items);   // dir, a.txt and e.txt; d.txt was never written
    EXPECT_EQ(16u, o.bytes);
    // e.txt's source could not be deleted; c.txt's deletion went with c.txt.
    EXPECT_EQ((std::vector<CString>{L"C:\\s\\dir\\e.txt"}), o.sourcesKept);
    ASSERT_EQ(2u, o.skipped.size());
    EXPECT_EQ(CString(L"C:\\s\\dir\\old"), o.skipped[0].first);
    EXPECT_EQ(CString(L"D:\\t\\dir\\c.txt"), o.skipped[1].second);
}

TEST(ConsoleVerifier, ComparesBytesSizesAndNamesTheReason) {
    TestFiles::TempDir t(L"cv");
    ASSERT_TRUE(TestFiles::WritePattern(t / L"a", 3 * 1048576 + 17, 1));
    ASSERT_TRUE(TestFiles::WritePattern(t / L"same", 3 * 1048576 + 17, 1));
    ASSERT_TRUE(TestFiles::WritePattern(t / L"other", 3 * 1048576 + 17, 2));
    ASSERT_TRUE(TestFiles::WritePattern(t / L"short", 3 * 1048576, 1));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"empty1", ""));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"empty2", ""));
    ConsoleVerifier verifier(nullptr);
    CString reason;
    EXPECT_EQ(kCompareEqual, verifier.Compare(t / L"a", t / L"same", &reason));
    EXPECT_EQ(kCompareEqual, verifier.Compare(t / L"empty1", t / L"empty2", &reason));
    EXPECT_EQ(kCompareDifferent, verifier.Compare(t / L"a", t / L"other", &reason));
    EXPECT_EQ(CString(L"コピーの内容が送り側と一致しません。"), reason);
    EXPECT_EQ(kCompareDifferent, verifier.Compare(t / L"a", t / L"short", &reason));
    EXPECT_EQ(kCompareDifferent, verifier.Compare(t / L"a", t / L"gone", &reason));
    EXPECT_EQ(GetSystemErrorMessage(ERROR_FILE_NOT_FOUND), reason);

    HANDLE stop = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ConsoleVerifier stopped(stop);
    EXPECT_EQ(kCompareStopped, stopped.Compare(t / L"a", t / L"same", &reason));
    CloseHandle(stop);
}

TEST(ConsoleVerifier, AVerifiedMoveDeletesOnlySourcesWhoseCopiesCompareEqual) {
    TestFiles::TempDir t(L"cv");
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\in\\good.txt", "good"));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\bad.txt", "bad!"));
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"src\\ro.txt", "ro"));
    SetFileAttributesW(t / L"src\\ro.txt", FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(TestFiles::MakeFolders(t / L"dst"));
    const JobResult copied = RunUnattended(t / L"src", t / L"dst", kIfExistsAsk);
    ASSERT_EQ(3u, copied.outcome.files.size());
    // The copy of bad.txt goes wrong after it was written.
    ASSERT_TRUE(TestFiles::WriteBytes(t / L"dst\\src\\bad.txt", "BAD!"));

    ConsoleVerifier verifier(nullptr);
    std::vector<char> equal;
    std::vector<ConsoleProblem> problems;
    EXPECT_EQ(kCompareEqual, verifier.VerifyAll(copied.outcome, true, &equal, &problems));
    EXPECT_EQ(3u, verifier.filesCompared);
    EXPECT_EQ(1u, verifier.mismatches);
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(t / L"dst\\src\\bad.txt", problems[0].path);
    EXPECT_EQ(CString(L"コピーの内容が送り側と一致しません。 送り側は削除していません。"), problems[0].reason);

    EXPECT_EQ(kCompareEqual, verifier.RemoveSources(copied.outcome, equal, 3, 10, &problems));
    EXPECT_EQ(1u, problems.size());
    EXPECT_FALSE(TestFiles::Exists(t / L"src\\in"));  // emptied, then removed
    EXPECT_FALSE(TestFiles::Exists(t / L"src\\ro.txt"));
    EXPECT_EQ("bad!", Read(t / L"src\\bad.txt"));
    EXPECT_TRUE(TestFiles::Exists(t / L"src"));  // still holds bad.txt
    EXPECT_EQ("good", Read(t / L"dst\\src\\in\\good.txt"));
}

TEST(ConsoleOutput, FilesAndPipesGetWholeUtf8LinesAndNoStatusLine) {
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 1 << 16));
    {
        ConsoleOutput out(write, write);
        EXPECT_FALSE(out.IsTerminal());
        out.Status(L"45% 完了");
        out.Line(L"コピーしました");
        out.ErrorLine(L"エラー");
    }
    CloseHandle(write);
    std::string bytes;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(read);
    EXPECT_EQ(NarrowString(L"コピーしました\nエラー\n", CP_UTF8), bytes);
}
