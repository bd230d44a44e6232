// The UI instance's start without a window, in this process on real files: a job that
// needs no window ends without one and takes its hand-over server down with it; a job
// handed over by a later start while the first still runs without a window makes the
// window, and both jobs run in it.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "TaskWindowDriver.h"
#include "control/SwiftletCore.h"
#include "engine/CreateCopyOptionCmdLine.h"
#include "ipc/PipeNames.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/ControlTestSupport.h"
#include "ui/FileCopyDlg.h"
#include "ui/TaskWindowStart.h"

using namespace TaskWindowDriver;

namespace {

class TaskWindowStartTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lock.Held()); }

    CString Folder(const wchar_t* name) {
        const CString folder = m_dir / name;
        EXPECT_TRUE(TestFiles::MakeFolders(folder));
        return folder;
    }

    PipeTest::FixedPipeLock m_lock{PipeTest::FixedPipeLock::kHandOver};
    TestFiles::TempDir m_dir{L"start"};
};

}  // namespace

TEST_F(TaskWindowStartTest, AJobThatNeedsNoWindowEndsWithoutOneAndStopsServing) {
    const CString source = m_dir / L"一つ.txt";
    const CString destination = Folder(L"dst");
    ASSERT_TRUE(TestFiles::WriteBytes(source, "one"));
    std::vector<CString> sources{source};
    int move = 0;
    Swiftlet::CreateCopyOptionCmdLine job(&sources, &destination, &move);
    {
        CTaskWindowStart start;
        ASSERT_TRUE(start.Begin(job));
        ASSERT_TRUE(start.EndsWithoutWindow(60000));
        // Nobody serves the hand-over pipe any more: a later start becomes the UI instance.
        Swiftlet::SwiftletCore later(Swiftlet::PipeNames::JobHandOverPipeName(), nullptr);
        EXPECT_EQ(0, later.HandOver({source}, destination, 0));
    }
    std::string copied;
    EXPECT_TRUE(TestFiles::ReadBytes(destination + L"\\一つ.txt", copied) && copied == "one");
}

TEST_F(TaskWindowStartTest, AJobHandedOverBeforeTheWindowMakesItAndRunsInIt) {
    PrepareWindowTest();
    // Long enough that the first job is still running when the later start hands over.
    const CString first = m_dir / L"first";
    const CString second = m_dir / L"second";
    ASSERT_TRUE(MakeFiles(first, 3000, 1024));
    ASSERT_TRUE(MakeFiles(second, 20, 1024));
    const CString destination = Folder(L"dst");
    const CString otherDestination = Folder(L"dst2");
    std::vector<CString> sources{first};
    int move = 0;
    Swiftlet::CreateCopyOptionCmdLine job(&sources, &destination, &move);
    CTaskWindowStart start;
    ASSERT_TRUE(start.Begin(job));

    int handed = -1;
    std::thread later([&] {
        Swiftlet::SwiftletCore sender(Swiftlet::PipeNames::JobHandOverPipeName(), nullptr);
        handed = sender.HandOver({second}, otherDestination, 0);
    });
    const bool ended = start.EndsWithoutWindow(60000);
    EXPECT_FALSE(ended) << "the first job ended before the hand-over came: nothing was tested";
    if (!ended) {
        CFileCopyDlg dialog;
        dialog.SetStartedJob(start.TakePanel(), start.TakeServer(), 0);
        RunAsMainWindow(dialog);  // until both jobs have ended
    }
    later.join();
    EXPECT_EQ(1, handed) << "the window took the later start's job";
    EXPECT_EQ(3000u, ListFiles(destination + L"\\first").size());
    EXPECT_TRUE(AllFilesComplete(first, destination + L"\\first"));
    EXPECT_EQ(20u, ListFiles(otherDestination + L"\\second").size());
}
