// The captions of a copy from its start to its end: the task window runs in this process
// on real files, and a hook on this thread records every text the compact view's caption
// and the task window are given, the last ones included, which the window shows only for
// the moment before the finished job's panel goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "TaskWindowDriver.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/PrintCString.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/ControlTestSupport.h"
#include "ui/FileCopyDlg.h"
#include "ui/resource.h"

namespace {

// Every text set on the compact view's caption and on the task window, in order.
struct CaptionLog {
    std::vector<CString> compact;
    std::vector<CString> taskWindow;
};
CaptionLog* g_log = nullptr;

bool IsCompactViewCaption(HWND window) {
    if (::GetDlgCtrlID(window) != IDC_PROGRESS_CAPTION)
        return false;
    const HWND view = ::GetParent(window);
    return view && ::GetDlgItem(view, IDC_PROGRESS_BAR) && !::GetDlgItem(view, IDC_GRAPH);
}

bool IsTaskWindow(HWND window) {
    return (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0 && ::GetDlgItem(window, IDC_DETAILS_TOGGLE) &&
           ::GetDlgItem(window, IDC_BANNER);
}

LRESULT CALLBACK RecordSetText(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_log && message->message == WM_SETTEXT && message->lParam) {
        const CString text(reinterpret_cast<const wchar_t*>(message->lParam));
        if (IsCompactViewCaption(message->hwnd))
            g_log->compact.push_back(text);
        else if (IsTaskWindow(message->hwnd))
            g_log->taskWindow.push_back(text);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The percentage of a running copy's caption; -1 for any other text.
int RunningPercent(const CString& caption) {
    for (int percent = 0; percent <= 100; ++percent) {
        CString expected;
        expected.Format(IDS_PERCENT_COMPLETE, percent);
        if (caption == expected)
            return percent;
    }
    return -1;
}

// The percentages of the running captions among texts, in order; a text set again
// unchanged counts once (the view sets its caption on every refresh).
std::vector<int> Percentages(const std::vector<CString>& texts) {
    std::vector<int> percentages;
    for (const CString& text : texts) {
        const int percent = RunningPercent(text);
        if (percent >= 0 && (percentages.empty() || percentages.back() != percent))
            percentages.push_back(percent);
    }
    return percentages;
}

void ExpectRisingTo100(const std::vector<int>& percentages, const char* what) {
    ASSERT_FALSE(percentages.empty()) << what;
    for (size_t i = 1; i < percentages.size(); ++i)
        EXPECT_GE(percentages[i], percentages[i - 1]) << what << " at " << i;
    EXPECT_EQ(100, percentages.back()) << what;
    EXPECT_GE(percentages.size(), 3u) << what << ": several steps on the way";
}

}  // namespace

TEST(ProgressViewCaptions, CompactViewAndTaskWindowRiseTo100PercentAndEndThere) {
    PipeTest::FixedPipeLock handOver{PipeTest::FixedPipeLock::kHandOver};
    ASSERT_TRUE(handOver.Held());
    PrepareWindowTest();
    TestFiles::TempDir dir{L"captions"};
    const CString source = dir / L"元データ";
    const CString destination = dir / L"コピー先";
    ASSERT_TRUE(TaskWindowDriver::MakeFiles(source, 400, 64 * 1024));
    ASSERT_TRUE(TestFiles::MakeFolders(destination));

    CaptionLog log;
    g_log = &log;
    const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, RecordSetText, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(hook);
    int move = 0;
    const int ran = RunTaskWindow({source}, destination, &move);
    ::UnhookWindowsHookEx(hook);
    g_log = nullptr;
    ASSERT_EQ(1, ran);

    ExpectRisingTo100(Percentages(log.compact), "the compact view's caption");
    ExpectRisingTo100(Percentages(log.taskWindow), "the task window's caption");
    // One job: the task window showed each of the view's percentages, in the same order.
    EXPECT_EQ(Percentages(log.compact), Percentages(log.taskWindow));
    EXPECT_EQ(400u, TaskWindowDriver::ListFiles(destination + L"\\元データ").size());
    EXPECT_TRUE(TaskWindowDriver::AllFilesComplete(source, destination + L"\\元データ"));
}
