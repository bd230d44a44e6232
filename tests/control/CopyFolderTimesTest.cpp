// What a job gives the folders it creates besides their names: the source folder's
// marks and, once the folder's content is in, its last-write time. Real jobs on real
// folders, on one volume and across volumes, folders first or in walk order.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "control/CoreEvent.h"
#include "engine/CopyException.h"
#include "foundation/Paths.h"
#include "tests/support/CopyJob.h"
#include "tests/support/CoreEventScript.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using TestFiles::JobOption;
using TestFiles::Questions;
using TestFiles::RunJob;

namespace {

// Folders of the test tree below src, each with its own time; files are written first,
// since each entry made in a folder changes its time.
//   a\b\deep.txt, a\top.txt     content at two levels
//   c\only\inner.txt            a folder holding only a folder
//   empty                       nothing at all
//   d\e.txt, d\f.txt            two files in one folder
const wchar_t* const kFolders[] = {L"a", L"a\\b", L"c", L"c\\only", L"empty", L"d"};
const wchar_t* const kFiles[] = {L"a\\b\\deep.txt", L"a\\top.txt", L"c\\only\\inner.txt", L"d\\e.txt", L"d\\f.txt"};

FILETIME TimeOf(int index) {
    // Whole seconds, some years back: nothing a fresh folder would show by chance.
    ULARGE_INTEGER value;
    value.QuadPart = 130000000000000000ull + static_cast<unsigned long long>(index + 1) * 86400ull * 10000000ull;
    FILETIME time;
    time.dwLowDateTime = value.LowPart;
    time.dwHighDateTime = value.HighPart;
    return time;
}

bool SetFolderTime(const CString& folder, const FILETIME& time) {
    HANDLE h = CreateFileW(ToLongPath(folder), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool set = SetFileTime(h, nullptr, nullptr, &time) != FALSE;
    CloseHandle(h);
    return set;
}

bool LastWriteOf(const CString& path, FILETIME* time) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ToLongPath(path), GetFileExInfoStandard, &data))
        return false;
    *time = data.ftLastWriteTime;
    return true;
}

void MakeTree(const CString& src) {
    unsigned seed = 1;
    for (const wchar_t* file : kFiles)
        ASSERT_TRUE(TestFiles::WritePattern(src + L"\\" + file, 1000 + 700 * seed, seed)) << file;
    ASSERT_TRUE(TestFiles::MakeFolders(src + L"\\empty"));
    ASSERT_TRUE(SetFileAttributesW(ToLongPath(src + L"\\d"), FILE_ATTRIBUTE_HIDDEN));
    // Deepest first, each time after everything below is in place.
    for (int i = static_cast<int>(std::size(kFolders)) - 1; i >= 0; --i)
        ASSERT_TRUE(SetFolderTime(src + L"\\" + kFolders[i], TimeOf(i))) << kFolders[i];
    ASSERT_TRUE(SetFolderTime(src, TimeOf(10)));
}

void ExpectFolderTimes(const CString& copy) {
    FILETIME time{};
    ASSERT_TRUE(LastWriteOf(copy, &time));
    const FILETIME top = TimeOf(10);
    EXPECT_EQ(0, CompareFileTime(&top, &time)) << "the copied folder itself";
    for (int i = 0; i < static_cast<int>(std::size(kFolders)); ++i) {
        ASSERT_TRUE(LastWriteOf(copy + L"\\" + kFolders[i], &time)) << kFolders[i];
        const FILETIME expected = TimeOf(i);
        EXPECT_EQ(0, CompareFileTime(&expected, &time)) << NarrowString(CString(kFolders[i]), CP_UTF8);
    }
    EXPECT_TRUE(GetFileAttributesW(ToLongPath(copy + L"\\d")) & FILE_ATTRIBUTE_HIDDEN);
    for (const wchar_t* file : kFiles)
        EXPECT_TRUE(TestFiles::Exists(copy + L"\\" + file)) << file;
}

}  // namespace

TEST(CopyFolderTimes, CopiedFoldersKeepTheirSourcesTimesOnceTheirContentIsIn) {
    for (int foldersFirst : {1, 0}) {
        SCOPED_TRACE(foldersFirst ? "folders first" : "walk order");
        TestFiles::TempDir c(L"ftime");
        MakeTree(c / L"src");
        ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst"));
        TestFiles::UnixTempDir z;
        for (const CString& destination : {c / L"dst", z.Path()}) {
            CopyOption option = JobOption({c / L"src"}, destination);
            option.foldersFirst = static_cast<uint32_t>(foldersFirst);
            CoreEventScriptHandler handler;
            EXPECT_EQ(1, RunJob(option, handler));
            EXPECT_EQ(0, handler.Count(kEventError));
            ExpectFolderTimes(destination + L"\\src");
        }
    }
}

TEST(CopyFolderTimes, MovedFoldersKeepTheirSourcesTimes) {
    TestFiles::TempDir c(L"fmove");
    MakeTree(c / L"src");
    TestFiles::UnixTempDir z;
    CoreEventScriptHandler handler;
    EXPECT_EQ(1, RunJob(JobOption({c / L"src"}, z.Path(), 1), handler));
    EXPECT_EQ(0, handler.Count(kEventError));
    ExpectFolderTimes(z / L"src");
    EXPECT_FALSE(TestFiles::Exists(c / L"src"));
}

// A folder that is gone by the time the reader reaches it: the question names the source
// folder, and skipping it copies the rest.
TEST(CopyFolderTimes, FolderGoneAfterTheFindStepIsAskedAboutAndCanBeSkipped) {
    TestFiles::TempDir c(L"fgone");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\keep\\k.txt", 3000, 1));
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\gone\\g.txt", 3000, 2));
    TestFiles::UnixTempDir z;
    CoreEventScriptHandler handler;
    handler.Answer(kQuestionRetry, kAnswerSkip);
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (record.code == kEventCopyBegin)
            TestFiles::DeleteTree(c / L"src\\gone");
    };
    RunJob(JobOption({c / L"src"}, z.Path()), handler);
    const std::vector<CoreEventRecord> questions = Questions(handler);
    ASSERT_EQ(1u, questions.size());
    EXPECT_EQ(kQuestionRetry, questions[0].questionKind);
    // The folder itself, or on a destination that takes encrypted folders (where the
    // folder is not looked at before it is created) the file that was in it.
    const CString gone = c / L"src\\gone";
    EXPECT_EQ(0, questions[0].path.Left(gone.GetLength()).CompareNoCase(gone)) << questions[0].path.GetString();
    EXPECT_TRUE(questions[0].error == ERROR_FILE_NOT_FOUND || questions[0].error == ERROR_PATH_NOT_FOUND)
        << questions[0].error;
    EXPECT_TRUE(TestFiles::SameFile(c / L"src\\keep\\k.txt", z / L"src\\keep\\k.txt"));
    EXPECT_FALSE(TestFiles::Exists(z / L"src\\gone\\g.txt"));
}
