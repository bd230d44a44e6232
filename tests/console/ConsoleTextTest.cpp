// The console's own texts: command line, terminal widths, the status line and the
// summary with its exit status.
#include <gtest/gtest.h>

#include "tests/support/PrintCString.h"

#include "console/ConsoleCommandLine.h"
#include "console/ConsoleReport.h"
#include "console/ConsoleText.h"

using namespace Swiftlet;

namespace {

ConsoleCommandLine Parse(std::vector<CString> args, int expected = 1) {
    ConsoleCommandLine command;
    EXPECT_EQ(expected, command.Parse(args));
    return command;
}

}  // namespace

TEST(ConsoleCommandLine, OptionsStandAnywhereAndTheLastPathIsTheDestination) {
    ConsoleCommandLine c = Parse({L"a", L"--verify", L"b", L"/M", L"--if-exists=KEEP-BOTH", L"d"});
    EXPECT_EQ((std::vector<CString>{L"a", L"b"}), c.sources);
    EXPECT_EQ(CString(L"d"), c.destination);
    EXPECT_EQ(1, c.move);
    EXPECT_EQ(1, c.verify);
    EXPECT_EQ(kIfExistsKeepBoth, c.ifExists);

    ConsoleCommandLine plain = Parse({L"--console", L"a", L"d"});
    EXPECT_EQ(0, plain.move);
    EXPECT_EQ(kIfExistsAsk, plain.ifExists);

    // After "--" everything is a path, however it looks.
    ConsoleCommandLine ended = Parse({L"-m", L"--", L"-x", L"--verify"});
    EXPECT_EQ((std::vector<CString>{L"-x"}), ended.sources);
    EXPECT_EQ(CString(L"--verify"), ended.destination);
    EXPECT_EQ(0, ended.verify);
}

TEST(ConsoleCommandLine, MistakesAreNamedAndHelpNeedsNoPaths) {
    EXPECT_EQ(CString(L"不明なオプションです： --quiet"), Parse({L"--quiet", L"a", L"b"}, 0).error);
    EXPECT_EQ(CString(L"--if-exists には skip、overwrite、keep-both のいずれかを指定してください： newer"),
              Parse({L"--if-exists=newer", L"a", L"b"}, 0).error);
    EXPECT_EQ(CString(L"送り側と受け側を指定してください。"), Parse({L"-m", L"a"}, 0).error);
    EXPECT_FALSE(Parse({L"a", L"", L"b"}, 0).error.IsEmpty());
    EXPECT_EQ(1, Parse({L"/?"}).help);
    EXPECT_EQ(1, Parse({L"--help", L"--quiet"}, 0).help);  // an unknown option still fails
}

TEST(ConsoleText, WideCharactersTakeTwoColumnsAndCutsKeepWholeCharacters) {
    EXPECT_EQ(4, ConsoleText::DisplayWidth(L"ab\r\n" L"\x00E9\x00E9"));
    EXPECT_EQ(11, ConsoleText::DisplayWidth(L"コピー 完了"));
    EXPECT_EQ(CString(L"コピ"), ConsoleText::KeepStart(L"コピー", 5));
    EXPECT_EQ(CString(L"...ル.txt"), ConsoleText::KeepEnd(L"長いファイル.txt", 10));
    EXPECT_EQ(CString(L"a.txt"), ConsoleText::KeepEnd(L"a.txt", 5));
    // A character beyond the basic plane is kept or cut whole.
    const CString emoji = L"x\xD83D\xDE00y";
    EXPECT_EQ(4, ConsoleText::DisplayWidth(emoji));
    EXPECT_EQ(CString(L"x"), ConsoleText::KeepStart(emoji, 2));
    EXPECT_EQ(CString(L"x\xD83D\xDE00"), ConsoleText::KeepStart(emoji, 3));
    EXPECT_EQ(CString(L"...\xD83D\xDE00y"), ConsoleText::KeepEnd(L"abcdef\xD83D\xDE00y", 6));
    EXPECT_EQ(CString(L"b.txt"), ConsoleText::ShownName(L"Z:\\a\\b.txt:s:$DATA"));
    EXPECT_EQ(CString(L"Z:\\a から Z:\\b"), ConsoleText::WithoutLinks(L"<a>Z:\\a</a> から <a>Z:\\b</a>"));
}

TEST(ConsoleStatusLine, FindCountsThenCopyShowsPercentSizesSpeedTimeAndName) {
    ConsoleProgress find;
    find.phase = kProgressFinding;
    find.itemsFound = 1200;
    find.bytesFound = 5000000;
    EXPECT_EQ(CString(L"1200 個の項目（4.76MB）の検出..."), FormatStatusLine(find, 79));

    ConsoleProgress copy;
    copy.phase = kProgressCopying;
    copy.weightedTotal = 1000;
    copy.weightedDone = 455;
    copy.bytesTotal = 4 << 20;
    copy.bytesDone = 2 << 20;
    copy.name = L"data.bin";
    EXPECT_EQ(CString(L"45% 完了  2.00MB / 4.00MB  残り時間： 計算中...  data.bin"), FormatStatusLine(copy, 79));
    copy.speed = 1258291;  // 1228.8 KB: cut, not rounded
    copy.remainingKnown = 1;
    copy.remaining = 125;
    const CString full = L"45% 完了  2.00MB / 4.00MB  1.19MB/s  残り時間： 約2分5秒  data.bin";
    EXPECT_EQ(full, FormatStatusLine(copy, 79));
    // The name gives way first, from its start; then the line is cut.
    copy.name = L"a-very-long-name-of-a-file.bin";
    const CString narrow = FormatStatusLine(copy, 70);
    EXPECT_EQ(70, ConsoleText::DisplayWidth(narrow));
    EXPECT_EQ(CString(L"秒  ...-file.bin"), narrow.Right(15));
    EXPECT_EQ(20, ConsoleText::DisplayWidth(FormatStatusLine(copy, 20)));

    ConsoleProgress empty;
    empty.phase = kProgressCopying;
    EXPECT_EQ(0, FormatStatusLine(empty, 79).Find(L"0% 完了  0バイト / 0バイト"));
}

TEST(ConsoleSummary, SaysWhatWasDoneAndListsEveryProblemWithItsReason) {
    ConsoleSummary s;
    s.items = 12;
    s.bytes = 5000000;
    s.totalMs = 3400;
    s.copyMs = 2000;
    EXPECT_EQ(std::vector<CString>{L"12 個の項目（4.76MB）をコピーしました。時間： 3秒、平均速度： 2.38MB/s"},
              FormatSummary(s));
    EXPECT_EQ(kExitDone, GetExitCode(s));

    s.move = 1;
    s.renamed = 2;
    s.problems.push_back({L"Z:\\d\\a.txt", L"宛先にはすでに\"a.txt\"という名前のファイルが存在します"});
    s.errors.push_back(L"十分な領域がありません。");
    const std::vector<CString> lines = FormatSummary(s);
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(0, lines[0].Find(L"12 個の項目（4.76MB）を移動しました。"));
    EXPECT_EQ(CString(L"2 個の項目を名前の変更で移動しました。"), lines[1]);
    EXPECT_EQ(CString(L"エラー： 十分な領域がありません。"), lines[2]);
    EXPECT_EQ(CString(L"スキップまたは失敗した項目（1 個）："), lines[3]);
    EXPECT_EQ(CString(L"  Z:\\d\\a.txt: 宛先にはすでに\"a.txt\"という名前のファイルが存在します"), lines[4]);
    EXPECT_EQ(kExitProblems, GetExitCode(s));

    s.cancelled = 1;
    EXPECT_EQ(CString(L"作業を取り消しました。"), FormatSummary(s)[0]);
    EXPECT_EQ(kExitCancelled, GetExitCode(s));
}

TEST(ConsoleSummary, VerificationResultAndAMismatchAloneFailTheRun) {
    ConsoleSummary s;
    s.verified = 1;
    s.verifiedFiles = 3;
    s.verifiedBytes = 2048;
    EXPECT_EQ(CString(L"3 個のファイル（2.00KB）を検証しました。すべて送り側と一致しています。"), FormatSummary(s)[1]);
    EXPECT_EQ(kExitDone, GetExitCode(s));
    s.mismatches = 1;
    EXPECT_EQ(CString(L"3 個のファイルのうち 1 個が送り側と一致しませんでした。"), FormatSummary(s)[1]);
    EXPECT_EQ(kExitProblems, GetExitCode(s));
}
