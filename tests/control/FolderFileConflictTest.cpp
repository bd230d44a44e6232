// A folder that meets a file of the same name at the destination, and a file that meets
// a folder: every answer settles the conflict, at the latest after one more question.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "control/CoreEvent.h"
#include "tests/support/CoreEventScript.h"
#include "engine/CopyException.h"
#include "tests/support/CopyJob.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using TestFiles::ErrorType;
using TestFiles::JobOption;
using TestFiles::Questions;
using TestFiles::RunJob;

namespace {

const int kEveryAnswer[] = {kAnswerRetry, kAnswerSkip, kAnswerCancel, kAnswerOverwrite};

// The first question gets answer; any further one is skipped.
CoreEventScriptHandler& Script(CoreEventScriptHandler& handler, int answer) {
    return handler.Answer(kQuestionAny, answer, 1);
}

}  // namespace

TEST(FolderFileConflict, FolderMeetingAFileIsReplacedOnOverwriteAndSettledByEveryAnswer) {
    for (int answer : kEveryAnswer) {
        TestFiles::TempDir c(L"conflict");
        ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\x\\a.txt", 2000, 1));
        ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\x\\sub\\b.txt", 3000, 2));
        ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\x", "old file"));
        ASSERT_TRUE(SetFileAttributesW(c / L"dst\\x", FILE_ATTRIBUTE_READONLY));
        CoreEventScriptHandler handler(kAnswerSkip);
        RunJob(JobOption({c / L"src\\x"}, c / L"dst"), Script(handler, answer));

        const std::vector<CoreEventRecord> questions = Questions(handler);
        ASSERT_FALSE(questions.empty()) << answer;
        EXPECT_EQ(kQuestionOverwrite, questions[0].questionKind) << answer;
        EXPECT_LE(questions.size(), 2u) << answer;
        EXPECT_EQ(1, handler.Count(kEventCoreEnd)) << answer;
        std::string bytes;
        if (answer == kAnswerOverwrite) {
            // The user agreed to overwrite the file: the folder took its place.
            EXPECT_EQ(1u, questions.size());
            EXPECT_EQ(0, ErrorType(handler));
            CString difference;
            EXPECT_TRUE(TestFiles::SameTree(c / L"src\\x", c / L"dst\\x", &difference)) << difference.GetString();
        } else {
            EXPECT_TRUE(TestFiles::ReadBytes(c / L"dst\\x", bytes)) << answer;
            EXPECT_EQ("old file", bytes) << answer;
        }
        if (answer == kAnswerCancel) {
            EXPECT_EQ(kCopyCancelled, ErrorType(handler));
        }
        if (answer == kAnswerRetry) {
            EXPECT_EQ(2u, questions.size()) << "asked again, then skipped";
        }
        SetFileAttributesW(c / L"dst\\x", FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(FolderFileConflict, FileMeetingAFolderNeverDeletesTheFolder) {
    for (int answer : kEveryAnswer) {
        TestFiles::TempDir c(L"conflict");
        ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\x", 2000, 1));
        ASSERT_TRUE(TestFiles::WriteBytes(c / L"dst\\x\\keep.txt", "keep"));
        CoreEventScriptHandler handler(kAnswerSkip);
        RunJob(JobOption({c / L"src\\x"}, c / L"dst"), Script(handler, answer));

        const std::vector<CoreEventRecord> questions = Questions(handler);
        ASSERT_FALSE(questions.empty()) << answer;
        // Not offered as an overwrite: a file cannot take a folder's place without
        // deleting everything in it.
        EXPECT_EQ(kQuestionRetry, questions[0].questionKind) << answer;
        EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), questions[0].error) << answer;
        EXPECT_LE(questions.size(), 2u) << answer;
        EXPECT_EQ(1, handler.Count(kEventCoreEnd)) << answer;
        std::string bytes;
        EXPECT_TRUE(TestFiles::ReadBytes(c / L"dst\\x\\keep.txt", bytes)) << answer;
        EXPECT_EQ("keep", bytes) << answer;
        if (answer == kAnswerCancel) {
            EXPECT_EQ(kCopyCancelled, ErrorType(handler));
        }
    }
}

TEST(FolderFileConflict, FileMeetingAFolderCopiesOnceTheFolderIsGone) {
    // Retry does what it says: the user moved the folder away meanwhile.
    TestFiles::TempDir c(L"conflict");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\x", 2000, 1));
    ASSERT_TRUE(TestFiles::MakeFolders(c / L"dst\\x"));
    CoreEventScriptHandler handler(kAnswerSkip);
    handler.Answer(kQuestionRetry, kAnswerRetry, 1);
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (record.code == kEventQuestion) RemoveDirectoryW(c / L"dst\\x");
    };
    EXPECT_EQ(1, RunJob(JobOption({c / L"src\\x"}, c / L"dst"), handler));
    EXPECT_EQ(1u, Questions(handler).size());
    EXPECT_TRUE(TestFiles::SameFile(c / L"src\\x", c / L"dst\\x"));
}
