// The rules the progress views share: ranges of totals above 2 GiB, the percentage, the
// speed range that keeps the latest speed below 80 % of the graph, the states of the
// buttons, bar and graph, and the texts with the program's Japanese strings.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>

#include "control/CoreEventHandler.h"
#include "tests/support/PrintCString.h"
#include "ui/ProgressRules.h"
#include "ui/resource.h"

using namespace ProgressRules;
using namespace Swiftlet;

TEST(ProgressRules, DivisorIsTheSmallestThatFitsTheTotalInAnInt) {
    EXPECT_EQ(1, RangeDivisor(0));
    EXPECT_EQ(1, RangeDivisor(INT_MAX));
    EXPECT_EQ(2, RangeDivisor(1ull << 31));
    EXPECT_EQ(2, RangeDivisor(3ull << 30));  // 3 GiB
    EXPECT_EQ(3, RangeDivisor(1ull << 32));
    EXPECT_EQ(1ll << 33, RangeDivisor(~0ull));
    const unsigned long long totals[] = {1, INT_MAX, 1ull << 31, (1ull << 31) + 1, (1ull << 32) - 1,
                                         (1ull << 40) + 7, 1ull << 62, ~0ull};
    for (unsigned long long total : totals) {
        const long long d = RangeDivisor(total);
        ASSERT_GE(d, 1) << total;
        EXPECT_LE(total / static_cast<unsigned long long>(d), static_cast<unsigned long long>(INT_MAX)) << total;
        if (d > 1) {
            EXPECT_GT(total / static_cast<unsigned long long>(d - 1), static_cast<unsigned long long>(INT_MAX)) << total;
        }
        // The bar reaches the end of its range when everything is written.
        EXPECT_EQ(static_cast<long long>(total / static_cast<unsigned long long>(d)), ScaledPosition(total, d));
        EXPECT_LE(ScaledPosition(total / 2, d), ScaledPosition(total, d));
    }
    EXPECT_EQ(INT_MAX, ScaledPosition(~0ull, 1));  // never wraps into negative positions
    EXPECT_EQ(7, ScaledPosition(7, 0));
}

TEST(ProgressRules, PercentageIsWholeAndBounded) {
    EXPECT_EQ(0, Percentage(0, 0));  // a copy of 0 bytes
    EXPECT_EQ(0, Percentage(5, 0));
    EXPECT_EQ(0, Percentage(0, 1000));
    EXPECT_EQ(42, Percentage(429, 1000));
    EXPECT_EQ(99, Percentage(999, 1000));
    EXPECT_EQ(100, Percentage(1000, 1000));
    EXPECT_EQ(100, Percentage(1001, 1000));
    // written * 100 does not fit 64 bits here.
    EXPECT_EQ(74, Percentage(~0ull / 4 * 3, ~0ull));
    EXPECT_EQ(66, Percentage(2ull << 60, 3ull << 60));
}

TEST(ProgressRules, SpeedRangeKeepsTheLatestSpeedAtMostAtEightyPercent) {
    EXPECT_EQ(500, SpeedRangeTop(0, 500));  // no speed yet: as it is
    EXPECT_EQ(0, SpeedRangeTop(0, 0));
    EXPECT_EQ(200, SpeedRangeTop(100, 0));  // first speed: half the height
    EXPECT_EQ(858993458, SpeedRangeTop(429496729, 0));
    EXPECT_EQ(INT_MAX, SpeedRangeTop(429496730, 0));
    EXPECT_EQ(1000, SpeedRangeTop(799, 1000));
    EXPECT_EQ(1000, SpeedRangeTop(800, 1000));  // already at 80 %: 800 / 0.8 is the top itself
    EXPECT_EQ(1125, SpeedRangeTop(900, 1000));
    EXPECT_EQ(2500, SpeedRangeTop(2000, 1000));
    EXPECT_EQ(INT_MAX, SpeedRangeTop(INT_MAX, 1000));
    EXPECT_EQ(INT_MAX, SpeedRangeTop(1800000000, 1000));
    EXPECT_EQ(1000, SpeedRangeTop(300, 1000));  // a slower speed leaves the range alone

    // A copy whose speed climbs from 1 KB/s to 2 GB/s: after each step the speed sits no
    // higher than 80 % (and the top never comes down).
    int top = 0;
    for (double s = 1000; s < INT_MAX * 0.8; s *= 1.37) {
        const int speed = GraphSpeed(static_cast<unsigned long long>(s));
        const int next = SpeedRangeTop(speed, top);
        EXPECT_GE(next, top);
        top = next;
        EXPECT_LE(speed / static_cast<double>(top), 0.801) << speed;
    }
    // Beyond that the range stops at its largest.
    EXPECT_EQ(INT_MAX, SpeedRangeTop(1946014577, top));
    EXPECT_EQ(INT_MAX, GraphSpeed(1ull << 40));
    EXPECT_EQ(12345, GraphSpeed(12345));
}

TEST(ProgressRules, CaptionFontIsTheControlLessTwoFramesInPoints) {
    EXPECT_EQ(-19, CaptionFontHeight(20, 3, 96));
    EXPECT_EQ(-14, CaptionFontHeight(20, 3, 72));
    EXPECT_EQ(-28, CaptionFontHeight(20, 3, 144));
}

TEST(ProgressRules, StatesOfTheButtonsBarAndGraph) {
    struct Row {
        int state;
        int action, graph, bar;
        ButtonStates withHandles, withoutHandles;
    };
    const Row rows[] = {
        {kHandlerInitial, 1, 0, 0, {-1, -1, -1}, {-1, -1, -1}},
        {kHandlerRunning, 1, 1, PBST_NORMAL, {1, 1, 0}, {0, 0, 0}},
        {kHandlerCancelRequested, 1, 0, 0, {0, 0, -1}, {0, 0, -1}},
        {kHandlerCancelled, 1, 0, 0, {-1, -1, -1}, {-1, -1, -1}},
        {kHandlerPauseRequested, 2, 2, PBST_PAUSED, {-1, 0, 1}, {-1, 0, 1}},
        {kHandlerPaused, 2, 2, PBST_PAUSED, {-1, 1, 1}, {-1, -1, 1}},
        {kHandlerResumeRequested, 1, 2, PBST_PAUSED, {0, 0, -1}, {0, 0, -1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        EXPECT_EQ(row.action, ActionState(row.state));
        EXPECT_EQ(row.graph, GraphState(row.state));
        EXPECT_EQ(row.bar, BarState(row.state));
        const ButtonStates with = ButtonsFor(row.state, true, true);
        EXPECT_EQ(row.withHandles.cancelEnabled, with.cancelEnabled);
        EXPECT_EQ(row.withHandles.pauseEnabled, with.pauseEnabled);
        EXPECT_EQ(row.withHandles.pauseImage, with.pauseImage);
        const ButtonStates without = ButtonsFor(row.state, false, false);
        EXPECT_EQ(row.withoutHandles.cancelEnabled, without.cancelEnabled);
        EXPECT_EQ(row.withoutHandles.pauseEnabled, without.pauseEnabled);
        EXPECT_EQ(row.withoutHandles.pauseImage, without.pauseImage);
    }
}

TEST(ProgressRules, CaptionsFollowTheStateAndThePhase) {
    EXPECT_EQ(CString(L"42% 完了"), CopyCaption(kHandlerRunning, 42));
    EXPECT_EQ(CString(L"100% 完了"), CopyCaption(kHandlerResumeRequested, 100));
    EXPECT_EQ(CString(L"一時停止しています - 42% 完了"), CopyCaption(kHandlerPauseRequested, 42));
    EXPECT_EQ(CString(L"一時停止 - 7% 完了"), CopyCaption(kHandlerPaused, 7));

    CoreEventFindStatus find;
    find.itemsFound = 1234;
    find.bytesFound = 5ull << 20;
    EXPECT_EQ(CString(L"1234 個の項目（") + FormatByteSize(5ull << 20) + L"）の検出...",
              FindCaption(kHandlerRunning, 0, &find));
    EXPECT_EQ(CString(L"1234 個の項目（5.00MB）の検出..."), FindCaption(kHandlerRunning, 0, &find));
    EXPECT_EQ(CString(L"一時停止 - 0% 完了"), FindCaption(kHandlerPaused, 0, &find));
    EXPECT_EQ(CString(L"一時停止しています - 0% 完了"), FindCaption(kHandlerPauseRequested, 0, nullptr));
    EXPECT_EQ(CString(), FindCaption(kHandlerRunning, 0, nullptr));
}

TEST(ProgressRules, DetailLines) {
    CoreDisplayStatus status;
    status.items.total = 10;
    status.items.written = 4;
    status.bytes.total = 3ull << 20;
    status.bytes.written = 1ull << 20;
    EXPECT_EQ(CString(L"残りの項目： 6（2.00MB）"), ItemsRemainingText(status));
    status.items.written = 11;  // never below nothing
    status.bytes.written = 4ull << 20;
    EXPECT_EQ(CString(L"残りの項目： 0（0バイト）"), ItemsRemainingText(status));
    EXPECT_EQ(CString(L"残りの項目： 812（1.50GB）"), ItemsRemainingText(812, 3ull << 29));
    EXPECT_EQ(CString(L"残り時間： 計算中..."), CalculatingText(IDS_INFO_TIME_REMAINING));

    CoreDisplayStatus copying;
    copying.items.total = 10;
    copying.items.written = 4;
    copying.weightedBytes.total = 126ull << 20;
    copying.weightedBytes.written = 1ull << 20;
    EXPECT_EQ(CString(L"残り時間： 計算中..."), TimeRemainingText(copying));  // no speed measured yet
    copying.writeTotals.emplace_back(1000, 1ull << 20);
    EXPECT_EQ(CString(L"残り時間： 約2分6秒"), TimeRemainingText(copying));
    EXPECT_EQ(CString(L"残りの項目： 計算中..."), CalculatingText(IDS_INFO_ITEMS_REMAINING));
    EXPECT_EQ(CString(L"速度： 1.50KB/s"), SpeedLabel(1536));
    EXPECT_EQ(CString(L"速度： 0バイト/s"), SpeedLabel(0));
    EXPECT_EQ(CString(L"コピー"), OperationWord(false));
    EXPECT_EQ(CString(L"移動"), OperationWord(true));

    EXPECT_EQ(CString(L"報告書.xlsx"), ShownName(L"C:\\経理部\\報告書.xlsx"));
    EXPECT_EQ(CString(L"報告書.xlsx"), ShownName(L"C:\\経理部\\報告書.xlsx:Zone.Identifier:$DATA"));
    EXPECT_EQ(CString(L"b.c"), ShownName(L"\\\\?\\C:\\a\\b.c"));
    EXPECT_EQ(CString(L"x"), ShownName(L"\\\\server\\share\\x"));
    EXPECT_EQ(CString(L"名前： 報告書.xlsx"), NameLine(L"D:\\報告書.xlsx:stream"));
    EXPECT_EQ(CString(L"名前： "), NameLine(L""));
}
