// Questions as the console asks them: the choices of the window's views, the letters
// that answer them, and what is decided when nobody can be asked.
#include <gtest/gtest.h>

#include "tests/support/PrintCString.h"

#include "console/ConsoleCommandLine.h"
#include "console/ConsoleQuestion.h"
#include "engine/CopyException.h"

using namespace Swiftlet;

namespace {

WIN32_FILE_ATTRIBUTE_DATA FileData(unsigned size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    data.nFileSizeLow = size;
    return data;
}

WIN32_FILE_ATTRIBUTE_DATA FolderData() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    return data;
}

int Answer(const ConsoleQuestion& q, const wchar_t* typed, int* forAll) { return q.AnswerFor(typed, forAll); }

}  // namespace

TEST(ConsoleQuestion, ExistingFilesTogetherOfferOverwriteSkipKeepBothAndCancel) {
    CopyExceptionOverwriteFiles e;
    for (int i = 0; i < 12; ++i) {
        CString name;
        name.Format(L"f%02d.txt", i);
        e.files.push_back({L"Z:\\s\\" + name, L"Z:\\d\\" + name});
    }
    const ConsoleQuestion q(&e, 0);
    EXPECT_EQ(kAskOverwriteFiles, q.kind);
    ASSERT_EQ(12u, q.text.size());  // heading, ten files, the rest counted
    EXPECT_EQ(CString(L"宛先には同じ名前のファイルが12個存在します"), q.text[0]);
    EXPECT_EQ(CString(L"  Z:\\d\\f00.txt"), q.text[1]);
    EXPECT_EQ(CString(L"  ほか 2 個のファイル"), q.text[11]);
    EXPECT_EQ(CString(L"[o] 上書き  [s] スキップ  [k] 両方残す  [c] キャンセル > "), q.ChoicesLine());
    ASSERT_EQ(12u, q.skipped.size());
    EXPECT_EQ(CString(L"Z:\\d\\f11.txt"), q.skipped[11].path);
    EXPECT_EQ(CString(L"宛先にはすでに\"f11.txt\"という名前のファイルが存在します"), q.skipped[11].reason);

    int forAll = -1;
    EXPECT_EQ(kAnswerOverwrite, Answer(q, L" o ", &forAll));
    EXPECT_EQ(kAnswerKeepBoth, Answer(q, L"K", &forAll));
    EXPECT_EQ(0, forAll);  // the batch is all files already
    EXPECT_EQ(kAnswerSkip, Answer(q, L"ｓ", &forAll));  // typed with a Japanese input method
    EXPECT_EQ(0, Answer(q, L"r", &forAll));
    EXPECT_EQ(0, Answer(q, L"ok", &forAll));
    EXPECT_EQ(0, Answer(q, L"", &forAll));

    EXPECT_EQ(kAnswerSkip, q.Decide(kIfExistsSkip));
    EXPECT_EQ(kAnswerOverwrite, q.Decide(kIfExistsOverwrite));
    EXPECT_EQ(kAnswerKeepBoth, q.Decide(kIfExistsKeepBoth));
}

TEST(ConsoleQuestion, OneExistingFileShowsBothFilesAndCapitalsApplyToAll) {
    CopyExceptionOverwrite e(L"Z:\\s\\a.txt", FileData(2048), L"Z:\\d\\a.txt", FileData(999));
    const ConsoleQuestion q(&e, 0);
    EXPECT_EQ(kAskOverwriteFile, q.kind);
    ASSERT_EQ(11u, q.text.size());
    EXPECT_EQ(CString(L"この場所には同じ名前のファイルが既にあります。"), q.text[0]);
    EXPECT_EQ(CString(L"  名前： a.txt"), q.text[2]);
    EXPECT_EQ(CString(L"  場所： Z:\\d"), q.text[3]);
    EXPECT_EQ(CString(L"  サイズ： 999バイト"), q.text[4]);
    EXPECT_EQ(CString(L"を次のファイルで上書きしますか？"), q.text[6]);
    EXPECT_EQ(CString(L"  サイズ： 2.00KB"), q.text[9]);
    EXPECT_NE(-1, q.ChoicesLine().Find(L"（大文字： すべての項目にこれを実行する）"));

    int forAll = 0;
    EXPECT_EQ(kAnswerOverwrite, Answer(q, L"O", &forAll));
    EXPECT_EQ(1, forAll);
    EXPECT_EQ(kAnswerSkip, Answer(q, L"s", &forAll));
    EXPECT_EQ(0, forAll);
    EXPECT_EQ(kAnswerCancel, Answer(q, L"C", &forAll));
    EXPECT_EQ(0, forAll);
    EXPECT_EQ(0, Answer(q, L"k", &forAll));  // one file has no "keep both"
    // Kept, never replaced, when "keep both" cannot be done.
    EXPECT_EQ(kAnswerSkip, q.Decide(kIfExistsKeepBoth));
    EXPECT_EQ(kAnswerOverwrite, q.Decide(kIfExistsOverwrite));
}

TEST(ConsoleQuestion, FileAgainstFolderIsANameClashAndFoldersAreNeverMergedByFlag) {
    CopyExceptionOverwrite clash(L"Z:\\s\\x", FolderData(), L"Z:\\d\\x", FileData(1));
    const ConsoleQuestion q(&clash, 0);
    EXPECT_EQ(kAskNameClash, q.kind);
    EXPECT_EQ(CString(L"指定されたフォルダー名と同じ名前のファイルが既に存在します。別の名前を指定してください。"), q.text[0]);
    EXPECT_FALSE(q.IsFileConflict());
    EXPECT_EQ(kAnswerSkip, q.Decide(kIfExistsOverwrite));
    int forAll = 0;
    EXPECT_EQ(kAnswerRetry, Answer(q, L"R", &forAll));
    EXPECT_EQ(0, forAll);  // a retry is never remembered

    CopyExceptionOverwrite folders(L"Z:\\s\\x", FolderData(), L"Z:\\d\\x", FolderData());
    EXPECT_EQ(kAskFolders, ConsoleQuestion(&folders, 0).kind);
    EXPECT_EQ(kAnswerSkip, ConsoleQuestion(&folders, 0).Decide(kIfExistsOverwrite));
}

TEST(ConsoleQuestion, WindowsErrorsOfferRetryAndAreSkippedWithTheSystemsWords) {
    WindowsFileException inUse(ERROR_SHARING_VIOLATION, L"Z:\\no-such-folder\\f.txt");
    CopyExceptionRetryFile retry(inUse);
    const ConsoleQuestion q(&retry, 1);
    EXPECT_EQ(kAskRetry, q.kind);
    EXPECT_EQ(GetSystemErrorMessage(ERROR_SHARING_VIOLATION), q.text[0]);
    EXPECT_EQ(CString(L"ファイルを閉じてから再試行してください。"), q.text[1]);
    EXPECT_EQ(CString(L"  Z:\\no-such-folder\\f.txt"), q.text[2]);
    ASSERT_EQ(1u, q.skipped.size());
    EXPECT_EQ(GetSystemErrorMessage(ERROR_SHARING_VIOLATION), q.skipped[0].reason);
    EXPECT_EQ(kAnswerSkip, q.Decide(kIfExistsAsk));
    int forAll = 0;
    EXPECT_EQ(kAnswerSkip, Answer(q, L"S", &forAll));
    EXPECT_EQ(1, forAll);

    CopyExceptionEncrypted encrypted(L"Z:\\s\\secret", FolderData());
    const ConsoleQuestion e(&encrypted, 1);
    EXPECT_EQ(CString(L"このフォルダーを暗号化なしで移動しますか？"), e.text[0]);
    EXPECT_EQ(kAnswerWithoutEncryption, Answer(e, L"Y", &forAll));
    EXPECT_EQ(1, forAll);
    EXPECT_EQ(kAnswerSkip, e.Decide(kIfExistsOverwrite));
}

TEST(ConsoleQuestion, AQuestionWithoutAViewCancelsAsTheWindowDoes) {
    CopyException odd(kCopyNothingFound);
    const ConsoleQuestion q(&odd, 0);
    EXPECT_EQ(kAskUnknown, q.kind);
    EXPECT_EQ(kAnswerCancel, q.Decide(kIfExistsSkip));
    EXPECT_EQ(kAnswerCancel, ConsoleQuestion(nullptr, 0).Decide(kIfExistsSkip));
}
