#pragma once
// The rules of the progress views that need no window: how 64-bit counts become the
// int ranges of the bar and the graph, the percentage, how the graph's speed range
// follows the speed, which state the buttons, the bar and the graph take in each state
// of the operation, and the texts the views show. The compact and the detailed view
// both call these, so both show the same thing.
#include <windows.h>

#include "control/CoreDisplayStatus.h"
#include "control/CoreEvent.h"
#include "framework/CString.h"

namespace ProgressRules {

// --- numbers -----------------------------------------------------------------------

// The divisor of the bar's and the graph's range: the smallest d >= 1 with
// total / d <= INT_MAX, so that byte counts above 2 GiB still fit a signed 32-bit range.
long long RangeDivisor(unsigned long long total);
// value / divisor as a range position (INT_MAX at most; a divisor below 1 counts as 1).
int ScaledPosition(unsigned long long value, long long divisor);
// Whole percent of written in total: 0 for an empty total, 100 at most.
int Percentage(unsigned long long written, unsigned long long total);
// Bytes per second as the graph takes them: clamped to INT_MAX.
int GraphSpeed(unsigned long long bytesPerSecond);
// The graph's speed range top for the current speed: twice the speed when the range is
// still empty; speed / 0.8 once the speed reaches 80 % of the top, so that the latest
// speed never sits higher than 80 % of the height; otherwise top as it is.
int SpeedRangeTop(int speed, int top);
// The font height of the large caption: the control's height less two dialog frames,
// taken as points at the screen's resolution.
int CaptionFontHeight(int clientHeight, int dialogFrame, int logPixelsY);

// --- states ------------------------------------------------------------------------
// `state` is the operation's state (Swiftlet::CoreHandlerState).

// What the task window counts: 2 (paused) while a pause is asked or in force, else 1.
int ActionState(int state);
// The graph's state: 1 running; 2 while a pause is asked, in force or being resumed;
// 0 in other states (the graph keeps its state).
int GraphState(int state);
// The bar's state: PBST_NORMAL running; PBST_PAUSED while a pause is asked, in force
// or being resumed; 0 in other states (the bar keeps its state).
int BarState(int state);

// What the cancel and pause buttons become: 1 enabled, 0 disabled, -1 unchanged; the
// pause button's image 0 (pause) or 1 (resume), -1 unchanged. A button whose engine
// handle is missing is never enabled.
struct ButtonStates {
    int cancelEnabled;
    int pauseEnabled;
    int pauseImage;
};
ButtonStates ButtonsFor(int state, bool hasCancelEvent, bool hasRunEvent);

// --- texts -------------------------------------------------------------------------

// "コピー" or "移動".
CString OperationWord(bool move);
// The caption while copying: "%d%% 完了", or the pausing and paused forms.
CString CopyCaption(int state, int percentage);
// The caption while the sources are counted: the pausing and paused forms, else the
// items and bytes found so far; empty without a find record.
CString FindCaption(int state, int percentage, const Swiftlet::CoreEventFindStatus* find);
// "残りの項目： " with the items and the size given.
CString ItemsRemainingText(unsigned long long items, unsigned long long bytes);
// What is left of a copy: totals less what has been written (never below 0).
CString ItemsRemainingText(const Swiftlet::CoreDisplayStatus& status);
// "残り時間： 約" with the time left, or "残り時間： 計算中..." while it is not known.
CString TimeRemainingText(const Swiftlet::CoreDisplayStatus& status);
// A label (5009, 5010...) followed by "計算中...".
CString CalculatingText(UINT labelId);
// "速度： " with the speed in bytes per second and "/s".
CString SpeedLabel(unsigned long long bytesPerSecond);
// The name shown for the item being copied: the last part of its path; of a stream
// (file:stream) only the file's name.
CString ShownName(const CString& sourcePath);
// "名前： " with the shown name.
CString NameLine(const CString& sourcePath);

}  // namespace ProgressRules
