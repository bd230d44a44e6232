// Every text of the string table, as the program shows it: compared code unit by code
// unit, so an encoding slip in the resource script (code page, doubled quotes, a lost
// trailing space) shows up here.
#include <gtest/gtest.h>

#include "framework/CString.h"
#include "ui/resource.h"

namespace {

struct Entry {
    UINT id;
    const wchar_t* text;
};

const Entry kStrings[] = {
    {3001, L"%I64d（%s）"},
    {3002, L"%s中にエラーが発生しました。"},
    {3004, L"計算中..."},
    {3100, L"コピー"},
    {3101, L"移動"},
    {3102, L"ファイル"},
    {3103, L"フォルダー"},
    {3106, L"約"},
    {3107, L"続行(&C)"},
    {3108, L"はい(&Y)"},
    {3109, L"再試行(&R)"},
    {3111, L"<a>%s</a> から <a>%s</a> へ %I64d 個の項目を%sしています"},
    {3112, L"詳細情報"},
    {3113, L"詳細情報の非表示"},
    {3114, L"<a>%s</a> から <a>%s</a> に%sする準備をしています"},
    {3115, L"%I64d 個の項目（%s）の検出..."},
    {3120, L"%d%% 完了"},
    {3121, L"一時停止しています - %d%% 完了"},
    {3122, L"一時停止 - %d%% 完了"},
    {3130, L"%d件の実行中のアクション"},
    {3131, L"%d件の一時停止したアクション"},
    {3132, L"%d件の中断されたアクション"},
    {3150, L"進行中のすべての転送が取り消されます。"},
    {3151, L"すべての転送を取り消しますか？"},
    {3160, L"宛先にはすでに\"%s\"という名前のファイルが存在します"},
    {3161, L"宛先には同じ名前のファイルが%d個存在します"},
    {3162, L"宛先のフォルダーにあるファイルを置き換える(&R)"},
    {3163, L"宛先のフォルダーにある複数のファイルを置き換える(&R)"},
    {3164, L"このファイルをスキップする(&S)"},
    {3165, L"これらの複数のファイルをスキップする(&S)"},
    {3168, L"宛先のフォルダーに保存するファイルを選択する(&C)"},
    {3169, L"宛先のフォルダーに保存する複数のファイルを選択する(&C)"},
    {3170, L"ファイルの置換またはスキップ"},
    {3180, L"%I64d ファイルの競合"},
    {3181, L"<a>%s</a>のファイル(&F)"},
    {3182, L"<a>%s</a>に既に存在するファイル(&A)"},
    {3183, L"日付とサイズが同じ%dファイルをスキップする(&S)"},
    {3184, L"すべてのファイルの日付とサイズが同じです。"},
    {5000, L"作成日時： %s"},
    {5001, L"更新日時： %s"},
    {5002, L"サイズ： %s"},
    {5003, L"名前： %s"},
    {5004, L"場所： %s"},
    {5005, L"種類： %s"},
    {5006, L"容量： %s"},
    {5007, L"空き領域： %s"},
    {5008, L"速度： "},
    {5009, L"残り時間： "},
    {5010, L"残りの項目： "},
    {5020, L"この%sを暗号化なしで%sしますか？"},
    {5021, L"暗号化をサポートしていない宛先に、%sを%sします。"},
    {6000, L"%s中にエラーが発生しました。"},
    {6001, L"十分な領域がありません。これらのファイルをコピーするには、さらに%s必要です。"},
    {6002, L"受け側のフォルダーは、送り側フォルダーのサブフォルダーです。"},
    {6004, L"作業を取り消しました。"},
    {6005, L"指定された%s名と同じ名前の%sが既に存在します。別の名前を指定してください。"},
    {6006, L"%sを続行するには管理者のアクセス許可を提供する必要があります。"},
    {6007, L"ファイルを閉じてから再試行してください。"},
};

}  // namespace

TEST(StringTable, EveryTextLoadsExactly) {
    for (const Entry& e : kStrings) {
        CString s;
        ASSERT_TRUE(s.LoadString(e.id)) << e.id;
        EXPECT_STREQ(e.text, s.GetString()) << e.id;
        EXPECT_EQ(static_cast<int>(wcslen(e.text)), s.GetLength()) << e.id;
    }
}

TEST(StringTable, IdsOutsideTheTableLoadNothing) {
    for (UINT id : {3000u, 3003u, 3005u, 3104u, 3110u, 3166u, 6003u, 6008u}) {
        CString s(L"x");
        EXPECT_FALSE(s.LoadString(id)) << id;
        EXPECT_TRUE(s.IsEmpty()) << id;
    }
}

TEST(StringTable, NamedIdsMatchTheirTexts) {
    EXPECT_EQ(CString(L"コピー"), LoadResourceString(IDS_OPERATION_COPY));
    EXPECT_EQ(CString(L"移動"), LoadResourceString(IDS_OPERATION_MOVE));
    EXPECT_EQ(CString(L"速度： "), LoadResourceString(IDS_INFO_SPEED));
}

TEST(StringTable, PlaceholdersFillAsTheViewsUseThem) {
    CString s;
    s.Format(IDS_COPYING_ITEMS_FROM_TO, L"C:\\a", L"D:\\b", 12345678901LL, L"コピー");
    EXPECT_STREQ(L"<a>C:\\a</a> から <a>D:\\b</a> へ 12345678901 個の項目をコピーしています", s.GetString());
    s.Format(IDS_PAUSING_PERCENT_COMPLETE, 42);
    EXPECT_STREQ(L"一時停止しています - 42% 完了", s.GetString());
    s.Format(IDS_FILE_EXISTS_NAMED, L"a.txt");
    EXPECT_STREQ(L"宛先にはすでに\"a.txt\"という名前のファイルが存在します", s.GetString());
    s.Format(IDS_ITEMS_AND_SIZE, 3LL, L"4.76MB");
    EXPECT_STREQ(L"3（4.76MB）", s.GetString());
}
