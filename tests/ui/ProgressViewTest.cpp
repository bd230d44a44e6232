// The compact and the detailed progress view in the real program: Swiftlet.exe copies
// real files while the test reads its views, pauses, resumes and cancels through the
// views' buttons, switches the details on and off, and saves what the views look like.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <climits>
#include <memory>

#include "TaskWindowDriver.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/PrintCString.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "ui/resource.h"

using namespace TaskWindowDriver;
using PipeTest::ChildProcess;
using PipeTest::Quote;

namespace {

// Enough data that the copy runs for several seconds on a quiet machine.
constexpr int kFiles = 1200;
constexpr int kFileSize = 8192;

// The percentage a caption of string id shows; -1 when the caption is not of that form.
int CaptionPercent(const CString& caption, UINT id) {
    const CString format = ProgramString(id);
    const CString prefix = format.Left(format.Find(L'%'));
    const CString suffix = L"%" + format.Mid(format.Find(L"%%") + 2);
    if (caption.Find(prefix) != 0 || caption.GetLength() <= prefix.GetLength() + suffix.GetLength() ||
        caption.Right(suffix.GetLength()) != suffix)
        return -1;
    const CString number = caption.Mid(prefix.GetLength(), caption.GetLength() - prefix.GetLength() - suffix.GetLength());
    for (int i = 0; i < number.GetLength(); ++i)
        if (number[i] < L'0' || number[i] > L'9')
            return -1;
    return _wtoi(number);
}

// Bytes of every file under folder.
unsigned long long FolderBytes(const CString& folder) {
    unsigned long long total = 0;
    for (const CString& file : ListFiles(folder)) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(folder + L"\\" + file, GetFileExInfoStandard, &data))
            total += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return total;
}

std::string U8(const CString& text) { return NarrowString(text, CP_UTF8); }

bool IsDetailed(HWND panel) { return ViewItem(panel, IDC_GRAPH) != nullptr; }

class ProgressViews : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lock.Held()); }

    // Starts Swiftlet.exe on source and waits for its one panel.
    std::unique_ptr<ChildProcess> Start(const CString& source, const CString& destination, HWND& window,
                                        HWND& panel) {
        auto process =
            std::make_unique<ChildProcess>(L"Swiftlet.exe", Quote(source) + L" " + Quote(destination));
        window = panel = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (window = FindTaskWindow(process->Id())) != nullptr; }));
        EXPECT_TRUE(WaitFor([&] { return window && Panels(window).size() == 1; }));
        if (window && Panels(window).size() == 1)
            panel = Panels(window)[0];
        return process;
    }

    // Clicks the pause button of a running job: the view shows the pausing caption
    // until the engine confirms, then the paused one. Returns the paused percentage.
    int Pause(HWND panel) {
        // A click in the moment the job passes from finding its items to copying them
        // finds nothing to pause: the button is clicked again until the job pauses.
        bool asked = false;
        EXPECT_TRUE(WaitFor([&] {
            const HWND button = ViewItem(panel, IDC_PAUSE);
            if (!button || !IsWindowEnabled(button))
                return false;
            const CString before = WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION));
            SendMessageW(button, BM_CLICK, 0, 0);
            const CString after = WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION));
            asked = CaptionPercent(after, IDS_PAUSING_PERCENT_COMPLETE) >= 0 ||
                    CaptionPercent(after, IDS_PAUSED_PERCENT_COMPLETE) >= 0;
            // The click shows the pausing caption, or the paused one when the engine
            // has confirmed already; a lost click leaves the running caption.
            EXPECT_TRUE(asked || after == before || CaptionPercent(after, IDS_PERCENT_COMPLETE) >= 0) << U8(after);
            return asked;
        }));
        int percent = -1;
        EXPECT_TRUE(WaitFor([&] {
            percent = CaptionPercent(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)), IDS_PAUSED_PERCENT_COMPLETE);
            return percent >= 0;
        }));
        // Paused: the button offers resume and can be used again.
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(ViewItem(panel, IDC_PAUSE)) != FALSE; }, 10000));
        return percent;
    }

    void Resume(HWND panel) {
        ASSERT_TRUE(IsWindowEnabled(ViewItem(panel, IDC_PAUSE)));
        SendMessageW(ViewItem(panel, IDC_PAUSE), BM_CLICK, 0, 0);
    }

    void ToggleDetails(HWND window) { SendMessageW(GetDlgItem(window, IDC_DETAILS_TOGGLE), BM_CLICK, 0, 0); }

    PipeTest::FixedPipeLock m_lock{PipeTest::FixedPipeLock::kHandOver};
    TestFiles::TempDir m_dir{L"views"};
};

}  // namespace

TEST_F(ProgressViews, CopyShowsItsProgressPausesWithoutWritingResumesAndEnds) {
    const CString source = m_dir / L"元データ";
    const CString destination = m_dir / L"コピー先";
    ASSERT_TRUE(MakeFiles(source, kFiles, kFileSize));
    ASSERT_TRUE(TestFiles::MakeFolders(destination));
    HWND window = nullptr, panel = nullptr;
    auto swiftlet = Start(source, destination, window, panel);
    ASSERT_TRUE(panel);
    EXPECT_FALSE(IsDetailed(panel)) << "the compact view comes first";
    Pause(panel);

    // Paused at the start, resumed, and paused again with some of the job done.
    Resume(panel);
    int percent = -1;
    EXPECT_TRUE(WaitFor([&] {
        percent = CaptionPercent(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)), IDS_PERCENT_COMPLETE);
        return percent >= 10;
    })) << U8(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)));
    // One job: the task window's caption is the view's.
    EXPECT_TRUE(CaptionPercent(WindowText(window), IDS_PERCENT_COMPLETE) >= 0 ||
                CaptionPercent(WindowText(window), IDS_PAUSED_PERCENT_COMPLETE) >= 0)
        << U8(WindowText(window));
    const int paused = Pause(panel);
    EXPECT_GE(paused, percent);
    EXPECT_LT(paused, 100);
    EXPECT_EQ(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)), WindowText(window));

    // The from/to line names both folders as links, and the items: the files and their folder.
    const HWND fromTo = ViewItem(panel, IDC_FROM_TO);
    EXPECT_EQ(0, WindowText(fromTo).Find(L"<a>")) << U8(WindowText(fromTo));
    EXPECT_NE(-1, WindowText(fromTo).Find(L"</a> から <a>コピー先</a> へ 1201 個の項目を")) << U8(WindowText(fromTo));
    EXPECT_NE(-1, WindowText(fromTo).Find(ProgramString(IDS_OPERATION_COPY)));

    // Nothing is written while the job is paused.
    const unsigned long long before = FolderBytes(destination);
    Sleep(1000);
    EXPECT_EQ(before, FolderBytes(destination));
    EXPECT_GT(before, 0u);
    EXPECT_TRUE(SaveWindowScreenshot(window, L"swiftlet-compact-paused"));

    // The details: the graph, the file being copied, the time and the items left.
    ToggleDetails(window);
    ASSERT_TRUE(IsDetailed(panel));
    EXPECT_EQ(paused, CaptionPercent(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)), IDS_PAUSED_PERCENT_COMPLETE))
        << "the hidden view followed the job";
    CString name = WindowText(ViewItem(panel, IDC_NAME_LINE));
    const CString nameLabel = ProgramString(IDS_INFO_NAME).Left(ProgramString(IDS_INFO_NAME).Find(L'%'));
    EXPECT_EQ(0, name.Find(nameLabel + L"f")) << U8(name);
    EXPECT_EQ(name.Right(4), L".bin") << U8(name);
    EXPECT_EQ(-1, name.Find(L'\\')) << "the name alone";
    EXPECT_EQ(0, WindowText(ViewItem(panel, IDC_TIME_REMAINING)).Find(ProgramString(IDS_INFO_TIME_REMAINING)));
    EXPECT_EQ(0, WindowText(ViewItem(panel, IDC_ITEMS_REMAINING)).Find(ProgramString(IDS_INFO_ITEMS_REMAINING)));
    EXPECT_EQ(-1, WindowText(ViewItem(panel, IDC_ITEMS_REMAINING)).Find(ProgramString(IDS_CALCULATING)));
    EXPECT_TRUE(SaveWindowScreenshot(window, L"swiftlet-detailed-paused"));

    // Running again, in both views, up to the end.
    Resume(panel);
    EXPECT_TRUE(WaitFor([&] {
        return CaptionPercent(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)), IDS_PERCENT_COMPLETE) >= 0 ||
               !swiftlet->Running();
    }));
    if (swiftlet->Running())
        SaveWindowScreenshot(window, L"swiftlet-detailed-running");
    if (swiftlet->Running()) {
        ToggleDetails(window);
        if (swiftlet->Running()) {
            EXPECT_FALSE(IsDetailed(panel));
        }
        SaveWindowScreenshot(window, L"swiftlet-compact-running");
    }
    int last = paused;
    while (swiftlet->Running()) {
        const int now = CaptionPercent(WindowText(window), IDS_PERCENT_COMPLETE);
        if (now >= 0) {
            EXPECT_GE(now, last);
            last = now;
        }
        Sleep(5);
    }
    EXPECT_EQ(0, swiftlet->Wait(60000));
    EXPECT_EQ(static_cast<size_t>(kFiles), ListFiles(destination + L"\\元データ").size());
    EXPECT_TRUE(AllFilesComplete(source, destination + L"\\元データ"));
}

TEST_F(ProgressViews, CancelWhilePausedLeavesNoPartialFile) {
    // One file larger than an int counts: the pause comes while it is partly written.
    const CString source = m_dir / L"large.bin";
    const CString destination = m_dir / L"dst";
    ASSERT_TRUE(TestFiles::MakeFolders(destination));
    {
        HANDLE file = CreateFileW(source, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER size{};
        size.QuadPart = 3LL << 30;
        EXPECT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
    }
    HWND window = nullptr, panel = nullptr;
    auto swiftlet = Start(source, destination, window, panel);
    ASSERT_TRUE(panel);
    Pause(panel);
    Resume(panel);
    EXPECT_TRUE(WaitFor([&] {
        return CaptionPercent(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)), IDS_PERCENT_COMPLETE) > 0;
    }));
    const int paused = Pause(panel);
    EXPECT_GT(paused, 0);
    EXPECT_LT(paused, 100) << "paused in the middle of the file";
    EXPECT_TRUE(IsWindowEnabled(ViewItem(panel, IDCANCEL)));
    // The bar's range is the size scaled down to fit an int, its position as far along.
    const HWND bar = ViewItem(panel, IDC_PROGRESS_BAR);
    const LRESULT top = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
    EXPECT_GT(top, 1500000000);
    EXPECT_LE(top, INT_MAX);
    const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    EXPECT_NEAR(paused, static_cast<double>(position) * 100 / top, 1.0);
    ToggleDetails(window);
    ASSERT_TRUE(IsDetailed(panel));
    EXPECT_TRUE(SaveWindowScreenshot(window, L"swiftlet-detailed-large-file-paused"));

    SendMessageW(ViewItem(panel, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(0, swiftlet->Wait(60000));
    EXPECT_FALSE(TestFiles::Exists(destination + L"\\large.bin")) << "the partial copy was removed";
}
