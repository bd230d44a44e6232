// The texts the error views show, compared code unit by code unit.
#include <gtest/gtest.h>

#include <memory>

#include "control/ErrorText.h"
#include "engine/CopyException.h"

using namespace Swiftlet;

TEST(ErrorText, CopyConditionWithoutOwnTextNamesOperationAndType) {
    CopyException nothingFound(4);
    EXPECT_STREQ(L"コピー中にエラーが発生しました。(4)", GetErrorText(&nothingFound, 0).GetString());
    EXPECT_STREQ(L"移動中にエラーが発生しました。(4)", GetErrorText(&nothingFound, 1).GetString());
    CopyException waitFailed(1103);
    EXPECT_STREQ(L"コピー中にエラーが発生しました。(1103)", GetErrorText(&waitFailed, 0).GetString());
    // Only 1 means a move.
    EXPECT_STREQ(L"コピー中にエラーが発生しました。(4)", GetErrorText(&nothingFound, 2).GetString());
}

TEST(ErrorText, CopyConditionsWithTextsOfTheirOwn) {
    CopyExceptionNotFreeSpace space(5000000);
    EXPECT_STREQ(L"十分な領域がありません。これらのファイルをコピーするには、さらに4.76MB必要です。",
                 GetErrorText(&space, 0).GetString());
    CopyException cancelled(5);
    EXPECT_STREQ(L"作業を取り消しました。", GetErrorText(&cancelled, 1).GetString());
    CopyException inside(11);
    EXPECT_STREQ(L"受け側のフォルダーは、送り側フォルダーのサブフォルダーです。", GetErrorText(&inside, 0).GetString());
    // Shown by their own views, or not at all.
    for (int type : {6, 12, 13})
        EXPECT_TRUE(GetErrorText(std::make_unique<CopyException>(type).get(), 0).IsEmpty()) << type;
    // A free-space condition that lost its size still says what failed.
    CopyException sizeless(10);
    EXPECT_STREQ(L"コピー中にエラーが発生しました。(10)", GetErrorText(&sizeless, 0).GetString());
}

TEST(ErrorText, WindowsErrorsShowTheSystemMessage) {
    WindowsException denied(ERROR_ACCESS_DENIED);
    const CString text = GetErrorText(&denied, 0);
    EXPECT_EQ(GetSystemErrorMessage(ERROR_ACCESS_DENIED), text);
    ASSERT_FALSE(text.IsEmpty());
    EXPECT_NE(L'\n', text.GetAt(text.GetLength() - 1));
    WindowsFileException file(ERROR_SHARING_VIOLATION, L"D:\\f.txt");
    EXPECT_EQ(GetSystemErrorMessage(ERROR_SHARING_VIOLATION), GetErrorText(&file, 1));
    WindowsException unknown(0x2F00FF01);
    EXPECT_TRUE(GetErrorText(&unknown, 0).IsEmpty());
}

TEST(ErrorText, AnythingElseIsAGeneralFailureOfTheOperation) {
    Exception plain;
    EXPECT_STREQ(L"コピー中にエラーが発生しました。", GetErrorText(&plain, 0).GetString());
    EXPECT_STREQ(L"移動中にエラーが発生しました。", GetErrorText(nullptr, 1).GetString());
}
