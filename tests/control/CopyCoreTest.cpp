#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <vector>

#include "control/CopyCore.h"
#include "control/CoreEvent.h"
#include "control/CoreEventHandler.h"
#include "tests/support/CoreEventScript.h"
#include "engine/CopyException.h"
#include "tests/control/JobWindowThread.h"
#include "tests/support/CopyJob.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using TestFiles::ErrorType;

namespace {

// A core whose algorithm cannot be made: the constructor throws.
class UnbuildableAlgorithmCore : public CopyCore {
public:
    explicit UnbuildableAlgorithmCore(bool copyError) : copyError(copyError) {}

protected:
    CopyAlgorithmMultiThread* CreateAlgorithm(CoreEvent*) override {
        if (copyError) throw CopyException(kCopyBufferPoolFailed);
        throw std::bad_alloc();
    }

private:
    bool copyError;
};

}  // namespace

TEST(CopyCore, AlgorithmThatCannotBeMadeIsReportedAndTheJobStillEnds) {
    TestFiles::TempDir c(L"core");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\f.bin", 100));
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
    for (bool copyError : {true, false}) {
        // The job's window, as the task window shows it: it waits for the core's end.
        JobWindowThread ui;
        CoreEventHandlerPost handler(ui.Window());
        int errorType = 0;
        ui.SetResponder([&](CoreEventHandlerPost&, CoreEvent& event) {
            if (event.eventCode == kEventError) {
                const CopyException* e = AsCopyException(event.status.exception);
                errorType = e ? e->type : -1;
            }
            return true;
        });
        UnbuildableAlgorithmCore core(copyError);
        core.option = TestFiles::JobOption({c / L"src"}, c / L"dst");
        core.handler = &handler;
        ASSERT_EQ(1, core.Start());
        for (int waited = 0; waited < 60000 && core.thread.load(); waited += 10)
            Sleep(10);
        ASSERT_EQ(nullptr, core.thread.load());
        std::vector<int> codes;
        for (int waited = 0; waited < 60000; waited += 10) {
            codes = ui.Codes();
            if (!codes.empty() && codes.back() == kEventCoreEnd)
                break;
            Sleep(10);
        }
        EXPECT_EQ((std::vector<int>{kEventCoreStart, kEventError, kEventAlgorithmEnd, kEventCoreEnd}), codes);
        EXPECT_EQ(copyError ? kCopyBufferPoolFailed : kCopyPrepareFailed, errorType);
        EXPECT_FALSE(TestFiles::Exists(c / L"dst\\src"));
    }
}

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
