// A job whose reader meets a file error answered with "go on with administrator rights":
// the rest of the job goes to a second process over the elevation pipe, or, when that
// process never comes, the job ends with what was written.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "control/CopyCore.h"
#include "ipc/CopyAlgorithmMultiThreadElevate.h"
#include "ipc/PipeNames.h"
#include "tests/support/CopyJob.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;

namespace {

constexpr unsigned long long KiB = 1024;

class TestStarter : public IElevatedStarter {
public:
    explicit TestStarter(std::function<HANDLE(const CString&)> start) : m_start(std::move(start)) {}
    HANDLE Start(const CString& parameters) override {
        this->parameters = parameters;
        ++starts;
        return m_start(parameters);
    }
    CString parameters;
    int starts = 0;

private:
    std::function<HANDLE(const CString&)> m_start;
};

// Starts a program beside the test program; its process handle.
HANDLE StartBeside(const wchar_t* program, const CString& arguments) {
    CString line = PipeTest::Quote(TestFiles::ExeFolder() + L"\\" + program) + L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.GetBuffer(line.GetLength() + 1), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return nullptr;
    line.ReleaseBuffer();
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// A source folder of small files and one file another program holds open, so that the
// reader's first attempt on it fails and the retry question is asked.
struct ElevatedJob {
    ElevatedJob() : destination(L"elevate") {
        for (int i = 0; i < 12; ++i) {
            CString name;
            name.Format(L"src\\f%02d.bin", i);
            EXPECT_TRUE(TestFiles::WritePattern(source / name.GetString(), 200 * KiB, i + 1));
        }
        EXPECT_TRUE(TestFiles::WritePattern(source / L"src\\held.bin", 300 * KiB, 99));
        held = CreateFileW(source / L"src\\held.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, held);
        handler.Answer(kQuestionRetry, kAnswerElevate, 1);
        handler.onEvent = [this](const CoreEventRecord& record) {
            if (record.code == kEventQuestion && record.questionKind == kQuestionRetry) Release();
        };
    }
    ~ElevatedJob() { Release(); }
    void Release() {
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
    }
    void Run(ICopyElevateHandOver& handOver) {
        CopyCore core;
        core.option = TestFiles::JobOption({source / L"src"}, destination.Path());
        core.handler = &handler;
        core.elevateHandOver = &handOver;
        core.Run();
    }
    // Every file that arrived is whole: nothing half written was left behind.
    void ExpectOnlyWholeFiles() const {
        for (const CString& file : TestFiles::ListTree(destination / L"src")) {
            if (file.Right(1) == L"\\") continue;
            EXPECT_TRUE(TestFiles::SameFile(source / (L"src\\" + file).GetString(),
                                            destination / (L"src\\" + file).GetString()))
                << file.GetString();
        }
    }

    TestFiles::UnixTempDir source;
    TestFiles::TempDir destination;
    HANDLE held = INVALID_HANDLE_VALUE;
    CoreEventScriptHandler handler;
};

}  // namespace

TEST(CopyElevateHandOver, RefusedStartEndsTheJobWithWhatWasWritten) {
    ElevatedJob job;
    TestStarter refused([](const CString&) { return static_cast<HANDLE>(nullptr); });
    CopyElevateHandOver handOver(&refused);
    job.Run(handOver);
    EXPECT_EQ(1, refused.starts);
    const CString expected = L"/p " + PipeNames::ElevationPipeName(static_cast<int>(GetCurrentProcessId()), 0);
    EXPECT_EQ(0, refused.parameters.Find(expected.Left(expected.GetLength() - 1)));
    EXPECT_FALSE(TestFiles::Exists(job.destination / L"src\\held.bin"));
    job.ExpectOnlyWholeFiles();
    // The stop is reported as such; the other side's cancel is the stop's own and not shown.
    std::vector<int> errors;
    for (const CoreEventRecord& record : job.handler.Records())
        if (record.code == kEventError) errors.push_back(record.copyType);
    EXPECT_EQ(std::vector<int>{kCopyStopForElevation}, errors);
    EXPECT_EQ(1, job.handler.Count(kEventAlgorithmEnd));
    EXPECT_EQ(1, job.handler.Count(kEventCoreEnd));
}

TEST(CopyElevateHandOver, ChildThatEndsWithoutConnectingEndsTheHandOver) {
    ElevatedJob job;
    // Swiftlet.exe without arguments does nothing and ends.
    TestStarter quitter([](const CString&) { return StartBeside(L"Swiftlet.exe", CString()); });
    CopyElevateHandOver handOver(&quitter);
    job.Run(handOver);
    EXPECT_EQ(1, quitter.starts);
    EXPECT_FALSE(TestFiles::Exists(job.destination / L"src\\held.bin"));
    job.ExpectOnlyWholeFiles();
    EXPECT_EQ(1, job.handler.Count(kEventCoreEnd));
}

TEST(CopyElevateHandOver, SecondProcessFinishesTheJobAndAsksItsQuestionsHere) {
    ElevatedJob job;
    // A file that exists at the destination: the batch of conflicts is decided at the
    // end, by then in the second process, and answered here.
    ASSERT_TRUE(TestFiles::WritePattern(job.source / L"src\\zz-conflict.bin", 100 * KiB, 7));
    ASSERT_TRUE(TestFiles::WritePattern(job.destination / L"src\\zz-conflict.bin", 10 * KiB, 8));
    job.handler.Answer(kQuestionOverwriteFiles, kAnswerOverwrite);
    HANDLE child = nullptr;
    TestStarter host([&child](const CString& parameters) {
        HANDLE process = StartBeside(L"ElevatedHost.exe", parameters);
        if (process) DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &child, 0, FALSE,
                                     DUPLICATE_SAME_ACCESS);
        return process;
    });
    CopyElevateHandOver handOver(&host);
    job.Run(handOver);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 60000));  // ended before the job did
    DWORD exitCode = 99;
    GetExitCodeProcess(child, &exitCode);
    CloseHandle(child);
    EXPECT_EQ(0u, exitCode);

    CString difference;
    EXPECT_TRUE(TestFiles::SameTree(job.source / L"src", job.destination / L"src", &difference))
        << difference.GetString();
    const std::vector<CoreEventRecord> questions = TestFiles::Questions(job.handler);
    ASSERT_EQ(2u, questions.size());
    EXPECT_EQ(kQuestionRetry, questions[0].questionKind);
    EXPECT_EQ(kQuestionOverwriteFiles, questions[1].questionKind);
    // The second process started (2000 again) and its progress reached this panel.
    EXPECT_EQ(2, job.handler.Count(kEventAlgorithmStart));
    const std::vector<CoreEventRecord> records = job.handler.Records();
    int starts = 0, progressAfterSecondStart = 0;
    unsigned long long writtenHere = 0;
    for (const CoreEventRecord& record : records) {
        if (record.code == kEventAlgorithmStart) ++starts;
        const bool progress = record.code == kEventWriteProgress || record.code == kEventReadProgress ||
                              record.code == kEventProgress;
        if (!progress) continue;
        if (starts == 1) {
            writtenHere = std::max(writtenHere, record.bytesWritten);
        } else {
            ++progressAfterSecondStart;
            // What was written here still counts once the other process reports.
            EXPECT_GE(record.bytesWritten, writtenHere);
        }
    }
    EXPECT_GT(progressAfterSecondStart, 0);
    EXPECT_EQ(1, job.handler.Count(kEventAlgorithmEnd));
    EXPECT_EQ(1, job.handler.Count(kEventCoreEnd));
}
