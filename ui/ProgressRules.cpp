#include "ui/ProgressRules.h"

#include <commctrl.h>

#include <climits>

#include "control/CoreEventHandler.h"
#include "ui/resource.h"

using namespace Swiftlet;

namespace ProgressRules {

namespace {

bool Pausing(int state) {
    return state == kHandlerPauseRequested || state == kHandlerPaused || state == kHandlerResumeRequested;
}

unsigned long long Left(unsigned long long total, unsigned long long done) { return total > done ? total - done : 0; }

}  // namespace

long long RangeDivisor(unsigned long long total) {
    // total / d <= INT_MAX holds exactly when total < (INT_MAX + 1) * d.
    const unsigned long long span = static_cast<unsigned long long>(INT_MAX) + 1;
    return static_cast<long long>(total / span + 1);
}

int ScaledPosition(unsigned long long value, long long divisor) {
    const unsigned long long scaled = value / static_cast<unsigned long long>(divisor < 1 ? 1 : divisor);
    return scaled > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(scaled);
}

int Percentage(unsigned long long written, unsigned long long total) {
    if (total == 0)
        return 0;
    // 128 bits: written * 100 must not wrap for the largest counts.
    const unsigned __int128 percent = static_cast<unsigned __int128>(written) * 100 / total;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

int GraphSpeed(unsigned long long bytesPerSecond) {
    return bytesPerSecond > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(bytesPerSecond);
}

int SpeedRangeTop(int speed, int top) {
    if (speed <= 0)
        return top;
    if (top <= 0)
        return speed >= 429496730 ? INT_MAX : 2 * speed;
    if (speed / static_cast<double>(top) * 100 < 80)
        return top;
    const long long raised = static_cast<long long>(speed) * 100 / 80;
    return raised > INT_MAX ? INT_MAX : static_cast<int>(raised);
}

int CaptionFontHeight(int clientHeight, int dialogFrame, int logPixelsY) {
    return -::MulDiv(clientHeight - 2 * dialogFrame, logPixelsY, 72);
}

int ActionState(int state) {
    return state == kHandlerPauseRequested || state == kHandlerPaused ? 2 : 1;
}

int GraphState(int state) {
    if (state == kHandlerRunning)
        return 1;
    return Pausing(state) ? 2 : 0;
}

int BarState(int state) {
    if (state == kHandlerRunning)
        return PBST_NORMAL;
    return Pausing(state) ? PBST_PAUSED : 0;
}

ButtonStates ButtonsFor(int state, bool hasCancelEvent, bool hasRunEvent) {
    switch (state) {
    case kHandlerRunning:
        return {hasCancelEvent ? 1 : 0, hasRunEvent ? 1 : 0, 0};
    case kHandlerCancelRequested:
    case kHandlerResumeRequested:
        return {0, 0, -1};
    case kHandlerPauseRequested:
        // Disabled until the engine confirms the pause.
        return {-1, 0, 1};
    case kHandlerPaused:
        return {-1, hasRunEvent ? 1 : -1, 1};
    default:
        return {-1, -1, -1};
    }
}

CString OperationWord(bool move) { return LoadResourceString(move ? IDS_OPERATION_MOVE : IDS_OPERATION_COPY); }

CString CopyCaption(int state, int percentage) {
    UINT id = IDS_PERCENT_COMPLETE;
    if (state == kHandlerPauseRequested)
        id = IDS_PAUSING_PERCENT_COMPLETE;
    else if (state == kHandlerPaused)
        id = IDS_PAUSED_PERCENT_COMPLETE;
    CString text;
    text.Format(id, percentage);
    return text;
}

CString FindCaption(int state, int percentage, const CoreEventFindStatus* find) {
    if (state == kHandlerPauseRequested || state == kHandlerPaused)
        return CopyCaption(state, percentage);
    CString text;
    if (find)
        text.Format(IDS_DISCOVERING_ITEMS, find->itemsFound.load(), FormatByteSize(find->bytesFound.load()).GetString());
    return text;
}

CString ItemsRemainingText(unsigned long long items, unsigned long long bytes) {
    CString count;
    count.Format(IDS_ITEMS_AND_SIZE, items, FormatByteSize(bytes).GetString());
    return LoadResourceString(IDS_INFO_ITEMS_REMAINING) + count;
}

CString ItemsRemainingText(const CoreDisplayStatus& status) {
    return ItemsRemainingText(Left(status.items.total, status.items.written),
                              Left(status.bytes.total, status.bytes.written));
}

CString TimeRemainingText(const CoreDisplayStatus& status) {
    unsigned long long seconds = 0;
    if (status.GetRemainingSeconds(&seconds) != 1)
        return CalculatingText(IDS_INFO_TIME_REMAINING);
    return LoadResourceString(IDS_INFO_TIME_REMAINING) + LoadResourceString(IDS_APPROXIMATELY) + FormatDuration(seconds);
}

CString CalculatingText(UINT labelId) { return LoadResourceString(labelId) + LoadResourceString(IDS_CALCULATING); }

CString SpeedLabel(unsigned long long bytesPerSecond) {
    return LoadResourceString(IDS_INFO_SPEED) + FormatByteSize(bytesPerSecond) + L"/s";
}

CString ShownName(const CString& sourcePath) {
    CString name = sourcePath.Mid(sourcePath.ReverseFind(L'\\') + 1);
    const int colon = name.Find(L':');
    return colon < 0 ? name : name.Left(colon);
}

CString NameLine(const CString& sourcePath) {
    CString text;
    text.Format(IDS_INFO_NAME, ShownName(sourcePath).GetString());
    return text;
}

}  // namespace ProgressRules
