#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "control/CoreEvent.h"
#include "tests/support/CoreEventScript.h"
#include "engine/CopyAlgorithm.h"
#include "engine/CopyException.h"
#include "foundation/Paths.h"
#include "tests/support/CopyJob.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using TestFiles::JobOption;
using TestFiles::Questions;
using TestFiles::RunJob;
using TestFiles::SameFile;
using TestFiles::SameTree;

namespace {

constexpr unsigned long long MiB = 1024 * 1024;

const CoreEventRecord* FindRecord(const std::vector<CoreEventRecord>& records, int code, int copyType = -1) {
    for (const CoreEventRecord& record : records)
        if (record.code == code && (copyType < 0 || record.copyType == copyType))
            return &record;
    return nullptr;
}

void ExpectNoError(const CoreEventScriptHandler& handler) {
    for (const CoreEventRecord& record : handler.Records())
        EXPECT_NE(kEventError, record.code) << "type " << record.copyType << " error " << record.error;
}

// Every progress event is delivered: a clock that moves a second per reading.
DWORD WINAPI FastTicks() {
    static std::atomic<DWORD> ticks{0};
    return ticks += 1000;
}

bool EndsWith(const CString& text, const wchar_t* tail) {
    CString t(tail);
    return text.GetLength() >= t.GetLength() && text.Right(t.GetLength()).CompareNoCase(t) == 0;
}

// A fresh folder name on the small disk the test run mounts (root only), which a test
// can fill; empty when there is none.
CString SmallDiskFolder(const wchar_t* prefix) {
    wchar_t unixPath[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"SWIFTLET_SMALL_DISK", unixPath, MAX_PATH))
        return CString();
    CString small = CString(L"Z:") + unixPath;
    small.Replace(L'/', L'\\');
    CString folder;
    folder.Format(L"%s\\%s-%u-%u", small.GetString(), prefix, GetCurrentProcessId(), GetTickCount());
    return folder;
}

}  // namespace

// Sizes around the sector size and the 16 MiB block, on one volume (the reader fills
// the pool before the writer starts) and across volumes (the two interleave).
TEST(CopyAlgorithm, CopiesFilesOfEverySizeByteIdenticalOnAndAcrossVolumes) {
    TestFiles::TempDir c(L"sizes");
    const unsigned long long sizes[] = {0,    1,    511,          512,      513,          1000,
                                        4096, 16 * MiB - 1, 16 * MiB, 16 * MiB + 1, 40 * MiB};
    for (unsigned long long size : sizes) {
        CString name;
        name.Format(L"src\\f%llu.bin", size);
        ASSERT_TRUE(TestFiles::WritePattern(c / name, size, static_cast<unsigned>(size)));
    }
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
    CoreEventScriptHandler sameVolume;
    EXPECT_EQ(1, RunJob(JobOption({c / L"src"}, c / L"dst"), sameVolume));
    ExpectNoError(sameVolume);
    CString difference;
    EXPECT_TRUE(SameTree(c / L"src", c / L"dst\\src", &difference)) << difference.GetString();

    TestFiles::UnixTempDir z;
    CoreEventScriptHandler acrossVolumes;
    EXPECT_EQ(1, RunJob(JobOption({c / L"src"}, z.Path()), acrossVolumes));
    ExpectNoError(acrossVolumes);
    EXPECT_TRUE(SameTree(c / L"src", z / L"src", &difference)) << difference.GetString();

    const std::vector<int> codes = acrossVolumes.Codes();
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(kEventCoreStart, codes.front());
    EXPECT_EQ(kEventCoreEnd, codes.back());
    EXPECT_EQ(1, acrossVolumes.Count(kEventCopyBegin));
    EXPECT_EQ(1, acrossVolumes.Count(kEventAlgorithmEnd));
}

TEST(CopyAlgorithm, CopiesTreeOfThousandsOfSmallFiles) {
    TestFiles::TempDir c(L"tree");
    int files = 0;
    for (int a = 0; a < 6; ++a) {
        for (int b = 0; b < 5; ++b) {
            for (int f = 0; f < 85; ++f, ++files) {
                CString name;
                name.Format(L"src\\d%d\\e%d\\file%03d.txt", a, b, f);
                ASSERT_TRUE(TestFiles::WritePattern(c / name, static_cast<unsigned long long>((files * 37) % 3000),
                                                    static_cast<unsigned>(files)));
            }
        }
    }
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"src\\empty\\deeper"));
    TestFiles::UnixTempDir z;
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({c / L"src"}, z.Path()), handler));
    ExpectNoError(handler);
    CString difference;
    EXPECT_TRUE(SameTree(c / L"src", z / L"src", &difference)) << difference.GetString();
    EXPECT_EQ(2550, files);
}

TEST(CopyAlgorithm, AttributesAndLastWriteTimeArrive) {
    TestFiles::TempDir c(L"attr");
    const DWORD kinds[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_ARCHIVE};
    FILETIME when{0x55aa0000, 0x01c00000};
    for (int i = 0; i < 4; ++i) {
        CString path;
        path.Format(L"%s\\src\\f%d.dat", c.Path().GetString(), i);
        ASSERT_TRUE(TestFiles::WritePattern(path, 700 + i, i));
        HANDLE h = CreateFileW(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        SetFileTime(h, nullptr, nullptr, &when);
        CloseHandle(h);
        ASSERT_TRUE(SetFileAttributesW(path, kinds[i]));
    }
    TestFiles::UnixTempDir z;
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({c / L"src"}, z.Path()), handler));
    for (int i = 0; i < 4; ++i) {
        CString path;
        path.Format(L"%s\\src\\f%d.dat", z.Path().GetString(), i);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &data)) << i;
        // The file system may add the archive mark of a new file; what the source had is there.
        EXPECT_EQ(kinds[i], data.dwFileAttributes & kinds[i]) << i;
        EXPECT_EQ(0u, data.dwFileAttributes & FILE_ATTRIBUTE_READONLY & ~kinds[i]) << i;
        EXPECT_EQ(0, CompareFileTime(&when, &data.ftLastWriteTime)) << i;
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    }
    for (int i = 0; i < 4; ++i) {
        CString path;
        path.Format(L"%s\\src\\f%d.dat", c.Path().GetString(), i);
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(CopyAlgorithm, SameVolumeMoveIsOneRenameWithoutCopying) {
    TestFiles::TempDir c(L"rename");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\dir\\a.txt", 5000));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\b.txt", 7000));
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
    std::string before;
    ASSERT_TRUE(TestFiles::ReadBytes(c / L"src\\dir\\a.txt", before));
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({c / L"src\\dir", c / L"src\\b.txt"}, c / L"dst", 1), handler));
    ExpectNoError(handler);
    EXPECT_FALSE(TestFiles::Exists(c / L"src\\dir"));
    EXPECT_FALSE(TestFiles::Exists(c / L"src\\b.txt"));
    std::string after;
    ASSERT_TRUE(TestFiles::ReadBytes(c / L"dst\\dir\\a.txt", after));
    EXPECT_TRUE(before == after);
    EXPECT_TRUE(TestFiles::Exists(c / L"dst\\b.txt"));
    EXPECT_EQ(0, handler.Count(kEventCopyBegin)) << "nothing was enumerated or copied";
    EXPECT_EQ(0, handler.Count(kEventWriteProgress));
    const CoreEventRecord* end = FindRecord(handler.Records(), kEventAlgorithmEnd);
    ASSERT_NE(nullptr, end);
    EXPECT_EQ(0u, end->copyMs);
}

TEST(CopyAlgorithm, SameVolumeMoveOutOfTheRecycleBinTakesTheNameACopyGets) {
    // A deleted file lies in the recycle bin of the system drive under a name of the
    // bin's own; the shell knows the name it had.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const CString bin = GetRecycleBinFolder(system[0]);
    ASSERT_FALSE(bin.IsEmpty());
    CString folder;
    folder.Format(L"%s\\S-1-5-21-move-%u-%u", bin.GetString(), GetCurrentProcessId(), GetTickCount());
    const CString recycled = folder + L"\\$RM0V3D.txt";
    ASSERT_TRUE(TestFiles::WritePattern(recycled, 1200, 7));
    TestFiles::TempDir c(L"recycled");  // on the bin's drive: the move is a rename
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"copied") && TestFiles::MakeFolders(c / L"moved"));

    CoreEventScriptHandler copy, move;
    EXPECT_EQ(1, RunJob(JobOption({recycled}, c / L"copied"), copy));
    EXPECT_EQ(1, RunJob(JobOption({recycled}, c / L"moved", 1), move));
    EXPECT_EQ(0, move.Count(kEventCopyBegin)) << "renamed";
    const std::vector<CString> copied = TestFiles::ListTree(c / L"copied");
    ASSERT_EQ(1u, copied.size());
    EXPECT_EQ(copied, TestFiles::ListTree(c / L"moved"));
    EXPECT_TRUE(TestFiles::SameFile(c / L"copied\\" + copied[0], c / L"moved\\" + copied[0]));
    EXPECT_FALSE(TestFiles::Exists(recycled));
    TestFiles::DeleteTree(folder);
}

TEST(CopyAlgorithm, MoveOntoExistingNameFallsBackToCopyThenDelete) {
    TestFiles::TempDir c(L"renamefail");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\a.txt", 3000, 1));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"dst\\a.txt", 100, 2));
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionOverwriteFiles, kAnswerOverwrite);
    EXPECT_EQ(1, RunJob(JobOption({c / L"src\\a.txt"}, c / L"dst", 1), handler));
    ExpectNoError(handler);
    EXPECT_FALSE(TestFiles::Exists(c / L"src\\a.txt"));
    std::string bytes;
    ASSERT_TRUE(TestFiles::ReadBytes(c / L"dst\\a.txt", bytes));
    EXPECT_EQ(3000u, bytes.size());
}

TEST(CopyAlgorithm, CrossVolumeMoveCopiesThenDeletesAndRemovesFolders) {
    TestFiles::TempDir c(L"move");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\dir\\a.txt", 5000, 1));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\dir\\sub\\b.txt", 20 * MiB, 2));
    ASSERT_TRUE(TestFiles::WriteBytes(c / L"src\\dir\\sub\\ro.txt", "read-only"));
    ASSERT_TRUE(SetFileAttributesW(c / L"src\\dir\\sub\\ro.txt", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"src\\dir\\empty"));
    ASSERT_TRUE(SetFileAttributesW(c / L"src\\dir\\empty", FILE_ATTRIBUTE_READONLY));
    TestFiles::TempDir reference(L"ref");
    ASSERT_TRUE(TestFiles::WritePattern(reference / L"dir\\a.txt", 5000, 1));
    ASSERT_TRUE(TestFiles::WritePattern(reference / L"dir\\sub\\b.txt", 20 * MiB, 2));
    ASSERT_TRUE(TestFiles::WriteBytes(reference / L"dir\\sub\\ro.txt", "read-only"));
    ASSERT_TRUE(TestFiles::MakeFolders(reference / L"dir\\empty"));

    TestFiles::UnixTempDir z;
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({c / L"src\\dir"}, z.Path(), 1), handler));
    ExpectNoError(handler);
    EXPECT_FALSE(TestFiles::Exists(c / L"src\\dir")) << "moved folders are removed";
    EXPECT_TRUE(TestFiles::Exists(c / L"src"));
    SetFileAttributesW(z / L"dir\\sub\\ro.txt", FILE_ATTRIBUTE_NORMAL);
    CString difference;
    EXPECT_TRUE(SameTree(reference / L"dir", z / L"dir", &difference)) << difference.GetString();
}

// A file the user skipped stays in its folder, and the folder stays; everything else
// moves.
TEST(CopyAlgorithm, MoveKeepsSkippedFileAndItsFolder) {
    TestFiles::UnixTempDir z;
    ASSERT_TRUE(TestFiles::WritePattern(z / L"dir\\a.txt", 1000, 1));
    ASSERT_TRUE(TestFiles::WritePattern(z / L"dir\\held.txt", 1000, 2));
    ASSERT_TRUE(TestFiles::WritePattern(z / L"dir\\c.txt", 1000, 3));
    HANDLE held = CreateFileW(z / L"dir\\held.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    TestFiles::TempDir c(L"moveskip");
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionRetry, kAnswerSkip);
    EXPECT_EQ(1, RunJob(JobOption({z / L"dir"}, c.Path(), 1), handler));
    CloseHandle(held);
    std::vector<CoreEventRecord> questions = Questions(handler);
    ASSERT_EQ(1u, questions.size());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), questions[0].error);
    EXPECT_TRUE(TestFiles::Exists(z / L"dir\\held.txt"));
    EXPECT_FALSE(TestFiles::Exists(z / L"dir\\a.txt"));
    EXPECT_FALSE(TestFiles::Exists(z / L"dir\\c.txt"));
    EXPECT_FALSE(TestFiles::Exists(c / L"dir\\held.txt"));
    EXPECT_TRUE(TestFiles::Exists(c / L"dir\\a.txt"));
    EXPECT_TRUE(TestFiles::Exists(c / L"dir\\c.txt"));
}

// Existing folders are merged without a question; existing files are set aside and
// decided once at the end.
class CopyConflicts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\dir\\a.txt", 4000, 1));
        ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\dir\\b.txt", 5000, 2));
        ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\dir\\new.txt", 6000, 3));
        ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\dir\\a.txt", "old a"));
        ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\dir\\b.txt", "old b"));
        ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\dir\\keep.txt", "mine"));
    }
    void Run() {
        result = RunJob(JobOption({c / L"src\\dir"}, c / L"dst"), handler);
        questions = Questions(handler);
    }
    std::string Read(const wchar_t* relative) {
        std::string bytes;
        TestFiles::ReadBytes(c / relative, bytes);
        return bytes;
    }

    TestFiles::TempDir c{L"conflict"};
    CoreEventScriptHandler handler;
    std::vector<CoreEventRecord> questions;
    int result = 0;
};

TEST_F(CopyConflicts, SkipAllKeepsExistingFilesAndCopiesTheRest) {
    handler.Answer(kQuestionOverwriteFiles, kAnswerSkip);
    Run();
    EXPECT_EQ(1, result);
    ASSERT_EQ(1u, questions.size()) << "one question for all existing files, none for the folder";
    EXPECT_EQ(kQuestionOverwriteFiles, questions[0].questionKind);
    ASSERT_EQ(2u, questions[0].files.size());
    EXPECT_TRUE(EndsWith(questions[0].files[0].first, L"src\\dir\\a.txt"));
    EXPECT_TRUE(EndsWith(questions[0].files[0].second, L"dst\\dir\\a.txt"));
    EXPECT_EQ("old a", Read(L"dst\\dir\\a.txt"));
    EXPECT_EQ("old b", Read(L"dst\\dir\\b.txt"));
    EXPECT_EQ("mine", Read(L"dst\\dir\\keep.txt"));
    EXPECT_TRUE(SameFile(c / L"src\\dir\\new.txt", c / L"dst\\dir\\new.txt"));
}

TEST_F(CopyConflicts, OverwriteAllReplacesThem) {
    handler.Answer(kQuestionOverwriteFiles, kAnswerOverwrite);
    Run();
    EXPECT_EQ(1, result);
    EXPECT_TRUE(SameFile(c / L"src\\dir\\a.txt", c / L"dst\\dir\\a.txt"));
    EXPECT_TRUE(SameFile(c / L"src\\dir\\b.txt", c / L"dst\\dir\\b.txt"));
    EXPECT_EQ("mine", Read(L"dst\\dir\\keep.txt"));
}

TEST_F(CopyConflicts, KeepBothWritesNumberedCopies) {
    ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\dir\\b (2).txt", "taken"));
    handler.Answer(kQuestionOverwriteFiles, kAnswerKeepBoth);
    Run();
    EXPECT_EQ(1, result);
    EXPECT_EQ("old a", Read(L"dst\\dir\\a.txt"));
    EXPECT_TRUE(SameFile(c / L"src\\dir\\a.txt", c / L"dst\\dir\\a (2).txt"));
    EXPECT_EQ("taken", Read(L"dst\\dir\\b (2).txt"));
    EXPECT_TRUE(SameFile(c / L"src\\dir\\b.txt", c / L"dst\\dir\\b (3).txt"));
}

TEST_F(CopyConflicts, SelectionDecidesFileByFile) {
    SelectionMap selection;
    selection[c / L"SRC\\dir\\A.TXT"] = kAnswerOverwrite;  // paths compare without case
    selection[c / L"src\\dir\\b.txt"] = kAnswerKeepBoth;
    handler.AnswerSelection(selection);
    Run();
    EXPECT_EQ(1, result);
    EXPECT_TRUE(SameFile(c / L"src\\dir\\a.txt", c / L"dst\\dir\\a.txt"));
    EXPECT_EQ("old b", Read(L"dst\\dir\\b.txt"));
    EXPECT_TRUE(SameFile(c / L"src\\dir\\b.txt", c / L"dst\\dir\\b (2).txt"));
}

TEST_F(CopyConflicts, UnansweredQuestionCancelsWithoutTouchingExistingFiles) {
    Run();
    EXPECT_EQ(0, result);
    EXPECT_NE(nullptr, FindRecord(handler.Records(), kEventError, kCopyCancelled));
    EXPECT_EQ("old a", Read(L"dst\\dir\\a.txt"));
    EXPECT_EQ("old b", Read(L"dst\\dir\\b.txt"));
}

// The reader decides the set-aside files and goes on to read them at once; on a busy
// machine it may read a small file and end before the writer, waiting for the decision,
// is scheduled again. The writer must still write what the decision released. Here the
// writer is held (suspended) from the moment the question is asked until the reader
// thread has ended, which is that order made certain.
TEST(CopyAlgorithm, DecisionReachesTheWriterAfterTheReaderHasEnded) {
    TestFiles::TempDir c(L"decided");
    ASSERT_TRUE(TestFiles::WriteBytes(c / L"src\\a.txt", "new"));
    ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\a.txt", "old"));
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionOverwriteFiles, kAnswerOverwrite);
    DWORD writerId = 0;
    HANDLE writer = nullptr;
    HANDLE reader = nullptr;
    std::thread release;
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (record.code == kEventWriteProgress && writerId == 0)
            writerId = GetCurrentThreadId();
        if (record.code != kEventQuestion || writerId == 0 || writer)
            return;
        writer = OpenThread(THREAD_SUSPEND_RESUME, FALSE, writerId);
        reader = OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId());
        if (!writer || !reader || SuspendThread(writer) == static_cast<DWORD>(-1))
            return;
        release = std::thread([&] {
            WaitForSingleObject(reader, 60000);
            ResumeThread(writer);
        });
    };
    const int result = RunJob(JobOption({c / L"src\\a.txt"}, c / L"dst"), handler);
    if (release.joinable())
        release.join();
    ASSERT_NE(nullptr, writer) << "the writer was not waiting for the decision";
    CloseHandle(writer);
    CloseHandle(reader);
    EXPECT_EQ(1, result);
    ExpectNoError(handler);
    std::string bytes;
    EXPECT_TRUE(TestFiles::ReadBytes(c / L"dst\\a.txt", bytes));
    EXPECT_EQ("new", bytes);
}

TEST(CopyAlgorithm, FolderOverFileAsksAtOnce) {
    TestFiles::TempDir c(L"folderfile");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\x\\inner.txt", 100));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\y.txt", 100));
    ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\x", "a file named like the folder"));
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionOverwrite, kAnswerSkip);
    EXPECT_EQ(1, RunJob(JobOption({c / L"src\\x", c / L"src\\y.txt"}, c / L"dst"), handler));
    std::vector<CoreEventRecord> questions = Questions(handler);
    ASSERT_EQ(1u, questions.size());
    EXPECT_EQ(kQuestionOverwrite, questions[0].questionKind);
    EXPECT_TRUE(EndsWith(questions[0].path, L"dst\\x"));
    std::string bytes;
    ASSERT_TRUE(TestFiles::ReadBytes(c / L"dst\\x", bytes));
    EXPECT_EQ("a file named like the folder", bytes);
    EXPECT_TRUE(TestFiles::Exists(c / L"dst\\y.txt"));
}

TEST(CopyAlgorithm, SharingViolationAsksRetryAndRetrySucceedsOnceReleased) {
    TestFiles::UnixTempDir z;
    ASSERT_TRUE(TestFiles::WritePattern(z / L"src\\held.bin", 3 * MiB, 4));
    HANDLE held = CreateFileW(z / L"src\\held.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    TestFiles::TempDir c(L"retry");
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionRetry, kAnswerRetry, 1);
    handler.onEvent = [&held](const CoreEventRecord& record) {
        if (record.code == kEventQuestion && held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);  // the other program lets go before the user retries
            held = INVALID_HANDLE_VALUE;
        }
    };
    EXPECT_EQ(1, RunJob(JobOption({z / L"src"}, c.Path()), handler));
    std::vector<CoreEventRecord> questions = Questions(handler);
    ASSERT_EQ(1u, questions.size());
    EXPECT_EQ(kQuestionRetry, questions[0].questionKind);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), questions[0].error);
    EXPECT_TRUE(SameFile(z / L"src\\held.bin", c / L"src\\held.bin"));
}

TEST(CopyAlgorithm, SkippedSourceLeavesNoDestinationFile) {
    TestFiles::UnixTempDir z;
    ASSERT_TRUE(TestFiles::WritePattern(z / L"src\\held.bin", 3 * MiB, 4));
    ASSERT_TRUE(TestFiles::WritePattern(z / L"src\\other.bin", 3 * MiB, 5));
    HANDLE held = CreateFileW(z / L"src\\held.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    TestFiles::TempDir c(L"skip");
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionRetry, kAnswerSkip);
    EXPECT_EQ(1, RunJob(JobOption({z / L"src"}, c.Path()), handler));
    CloseHandle(held);
    EXPECT_FALSE(TestFiles::Exists(c / L"src\\held.bin"));
    EXPECT_TRUE(SameFile(z / L"src\\other.bin", c / L"src\\other.bin"));
}

TEST(CopyAlgorithm, NotEnoughFreeSpaceFailsBeforeWritingWithMissingBytes) {
    const CString destination = SmallDiskFolder(L"space");
    if (destination.IsEmpty())
        GTEST_SKIP() << "no small disk mounted (needs root)";
    ASSERT_TRUE(CreateDirectoryW(destination, nullptr));
    TestFiles::TempDir c(L"space");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\big.bin", 16 * MiB));
    ULARGE_INTEGER available{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(destination, &available, nullptr, nullptr));

    CoreEventScriptHandler handler;
    EXPECT_EQ(0, RunJob(JobOption({c / L"src"}, destination), handler));
    const CoreEventRecord* error = FindRecord(handler.Records(), kEventError);
    ASSERT_NE(nullptr, error);
    EXPECT_EQ(kCopyNotFreeSpace, error->copyType);
    EXPECT_NEAR(static_cast<double>(16 * MiB - available.QuadPart), static_cast<double>(error->missing), 65536.0);
    EXPECT_TRUE(TestFiles::ListTree(destination).empty()) << "nothing was written";
    TestFiles::DeleteTree(destination);
}

// Pause from another thread while a large file is half written: both workers stop with
// one paused event; resumed, the job completes with one resumed event.
TEST(CopyAlgorithm, PauseAndResumeFromAnotherThread) {
    TestFiles::TempDir c(L"pause");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\big.bin", 40 * MiB, 7));
    TestFiles::UnixTempDir z;
    CopyOption option = JobOption({c / L"src"}, z.Path());
    option.bufferSize = 4 * MiB;
    option.readBlockSize = 1 * MiB;
    option.writeBlockSize = 1 * MiB;

    CoreEventScriptHandler handler;
    bool paused = false;
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (!paused && record.code == kEventWriteProgress && record.bytesWritten > 8 * MiB) {
            paused = true;
            std::thread([&handler] { EXPECT_TRUE(handler.Pause()); }).join();
        }
    };
    int progressWhilePaused = -1;
    std::thread controller([&] {
        ASSERT_TRUE(handler.WaitFor(kEventCopyPaused, 60000));
        const int before = handler.Count(kEventWriteProgress) + handler.Count(kEventReadProgress);
        Sleep(300);
        progressWhilePaused = handler.Count(kEventWriteProgress) + handler.Count(kEventReadProgress) - before;
        EXPECT_TRUE(handler.Resume());
    });
    CoreEvent events(&FastTicks);
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(1, algorithm.Run());
    controller.join();
    EXPECT_EQ(0, progressWhilePaused);
    EXPECT_EQ(1, handler.Count(kEventCopyPaused));
    EXPECT_EQ(1, handler.Count(kEventCopyResumed));
    EXPECT_TRUE(SameFile(c / L"src\\big.bin", z / L"src\\big.bin"));
}

// Cancel from another thread while a large file is half written: the partial file is
// removed, what was complete stays, the sources are untouched.
TEST(CopyAlgorithm, CancelRemovesThePartlyWrittenFileOnly) {
    TestFiles::TempDir c(L"cancel");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\a.bin", 1 * MiB, 1));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\big.bin", 40 * MiB, 2));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\z.bin", 1 * MiB, 3));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"reference.bin", 1 * MiB, 1));
    TestFiles::UnixTempDir z;
    CopyOption option = JobOption({c / L"src\\a.bin", c / L"src\\big.bin", c / L"src\\z.bin"}, z.Path(), 1);
    option.bufferSize = 4 * MiB;
    option.readBlockSize = 1 * MiB;
    option.writeBlockSize = 1 * MiB;

    CoreEventScriptHandler handler;
    bool cancelled = false;
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (!cancelled && record.code == kEventWriteProgress && EndsWith(record.writeDestinationPath, L"big.bin") &&
            record.bytesWritten > 8 * MiB) {
            cancelled = true;
            std::thread([&handler] { handler.Cancel(); }).join();
        }
    };
    CoreEvent events(&FastTicks);
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(0, algorithm.Run());
    ASSERT_TRUE(cancelled);
    EXPECT_NE(nullptr, FindRecord(handler.Records(), kEventError, kCopyCancelled));
    EXPECT_EQ(kHandlerCancelled, handler.GetState());
    EXPECT_TRUE(SameFile(c / L"reference.bin", z / L"a.bin"));
    EXPECT_FALSE(TestFiles::Exists(z / L"big.bin"));
    EXPECT_FALSE(TestFiles::Exists(z / L"z.bin"));
    // A move: only the completely copied source went.
    EXPECT_FALSE(TestFiles::Exists(c / L"src\\a.bin"));
    EXPECT_TRUE(TestFiles::Exists(c / L"src\\big.bin"));
    EXPECT_TRUE(TestFiles::Exists(c / L"src\\z.bin"));
}

// The destination fills up while a file is half written and the reader is still queueing
// it: skipping the file removes the partial copy, drops the rest of its blocks, and the
// job goes on with the next file.
TEST(CopyAlgorithm, DiskFullMidFileSkippedLeavesNoPartialFileAndJobGoesOn) {
    const CString destination = SmallDiskFolder(L"full");
    if (destination.IsEmpty())
        GTEST_SKIP() << "no small disk mounted (needs root)";
    ASSERT_TRUE(CreateDirectoryW(destination, nullptr));
    TestFiles::TempDir c(L"full");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\big.bin", 4 * MiB, 1));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\next.txt", 1000, 2));
    CopyOption option = JobOption({c / L"src\\big.bin", c / L"src\\next.txt"}, destination);
    option.readBlockSize = 128 * 1024;
    option.writeBlockSize = 128 * 1024;

    const CString filler = destination + L"\\filler";
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionRetry, kAnswerSkip);
    bool filled = false;
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (record.code == kEventReadProgress)
            Sleep(2);  // keep the reader inside the file while the writer fails
        if (filled || record.code != kEventWriteProgress || record.bytesWritten < 512 * 1024)
            return;
        filled = true;
        // Take every byte that is still free.
        HANDLE h = CreateFileW(filler, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        std::string chunk(64 * 1024, 'x');
        DWORD written = 0;
        while (WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) && written != 0) {
        }
        CloseHandle(h);
    };
    CoreEvent events(&FastTicks);
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(1, algorithm.Run());
    ASSERT_TRUE(filled);
    std::vector<CoreEventRecord> questions = Questions(handler);
    ASSERT_EQ(1u, questions.size());
    EXPECT_TRUE(questions[0].error == ERROR_DISK_FULL || questions[0].error == ERROR_HANDLE_DISK_FULL)
        << questions[0].error;
    EXPECT_FALSE(TestFiles::Exists(destination + L"\\big.bin"));
    EXPECT_TRUE(SameFile(c / L"src\\next.txt", destination + L"\\next.txt"));
    TestFiles::DeleteTree(destination);
}
