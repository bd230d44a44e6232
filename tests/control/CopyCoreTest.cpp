#include <gtest/gtest.h>

#include <windows.h>

#include "control/CopyCore.h"
#include "control/CoreEvent.h"
#include "tests/support/CoreEventScript.h"
#include "engine/CopyException.h"
#include "tests/support/CopyJob.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;

namespace {

int ErrorType(const CoreEventScriptHandler& handler) {
    for (const CoreEventRecord& record : handler.Records())
        if (record.code == kEventError)
            return record.copyType;
    return 0;
}

}  // namespace

TEST(CopyCore, FolderIntoItselfOrItsSubfolderIsRefused) {
    TestFiles::TempDir c(L"core");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"a\\b\\f.txt", 10));
    for (const wchar_t* destination : {L"a", L"a\\b", L"A\\B\\"}) {
        CoreEventScriptHandler handler;
        EXPECT_EQ(0, TestFiles::RunJob(TestFiles::JobOption({c / L"a"}, c / destination), handler));
        EXPECT_EQ(kCopyDestinationInSource, ErrorType(handler)) << destination;
        EXPECT_EQ((std::vector<int>{kEventCoreStart, kEventError, kEventCoreEnd}), handler.Codes());
    }
    EXPECT_EQ((std::vector<CString>{L"b\\", L"b\\f.txt"}), TestFiles::ListTree(c / L"a"));
}

TEST(CopyCore, PathCheckCleansPathsAndKeepsFileSources) {
    TestFiles::TempDir c(L"core");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"a.txt", 10));
    CoreEvent events;
    CopyOption option = TestFiles::JobOption({c / L"a.txt", L"D:\\", c.Path() + L"\\dir\\"}, c / L"a.txt\\sub\\");
    EXPECT_EQ(1, CopyCore::CheckPaths(option, events));  // a file is no folder to copy into
    EXPECT_EQ((std::vector<CString>{c / L"a.txt", L"D:\\", c / L"dir"}), option.sources);
    EXPECT_EQ(c / L"a.txt\\sub", option.destination);
}

TEST(CopyCore, MovingIntoOwnFolderLeavesNothingToDo) {
    TestFiles::TempDir c(L"core");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"x.txt", 10));
    CoreEventScriptHandler handler;
    EXPECT_EQ(0, TestFiles::RunJob(TestFiles::JobOption({c / L"x.txt"}, c.Path() + L"\\", 1), handler));
    EXPECT_EQ(kCopyNothingToDo, ErrorType(handler));
    EXPECT_TRUE(TestFiles::Exists(c / L"x.txt"));
}

TEST(CopyCore, StartRunsTheJobOnItsOwnThreadOnce) {
    TestFiles::TempDir c(L"core");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\f.bin", 300000));
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
    CoreEventScriptHandler handler;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    handler.onEvent = [release](const CoreEventRecord& record) {
        if (record.code == kEventCoreStart)
            WaitForSingleObject(release, 60000);
    };
    CopyCore core;
    core.option = TestFiles::JobOption({c / L"src"}, c / L"dst");
    core.handler = &handler;
    EXPECT_EQ(1, core.Start());
    EXPECT_EQ(0, core.Start()) << "a job is running";
    SetEvent(release);
    ASSERT_TRUE(handler.WaitFor(kEventCoreEnd, 60000));
    EXPECT_EQ(nullptr, core.thread.load());
    EXPECT_TRUE(TestFiles::SameFile(c / L"src\\f.bin", c / L"dst\\src\\f.bin"));
    // The whole file passed through the pool at once, and never more than the pool.
    EXPECT_GE(core.poolPeakUsed.load(), 300000u);
    EXPECT_LE(core.poolPeakUsed.load(), core.option.bufferSize);
    CloseHandle(release);
}
