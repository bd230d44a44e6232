// The task window of the real program: Swiftlet.exe started as a user starts it, its
// window found and driven from this process with Win32 calls.
#include <gtest/gtest.h>

#include <memory>

#include "TaskWindowDriver.h"
#include "control/SwiftletCore.h"
#include "ipc/PipeNames.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "ui/resource.h"

using namespace TaskWindowDriver;
using PipeTest::ChildProcess;
using PipeTest::Quote;

namespace {

// Enough small files that copying them takes several seconds on a quiet machine: the
// jobs below are paused long before they could end.
constexpr int kLongJobFiles = 2000;
// Jobs handed over by a later start run for a while before the test can pause them (the
// later process starts, connects and hands over): they need more files, or a fast copy is
// done before the pause button is pressed.
constexpr int kHandedOverJobFiles = 8000;
constexpr int kFileSize = 2048;

class TaskWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lock.Held()); }

    // Starts a Swiftlet.exe copying source into destination.
    std::unique_ptr<ChildProcess> Start(const CString& source, const CString& destination,
                                        const CString& folder = CString()) {
        return std::make_unique<ChildProcess>(L"Swiftlet.exe", Quote(source) + L" " + Quote(destination), folder);
    }

    // A long job in a window that serves later starts; the job is paused.
    HWND StartLongJob(ChildProcess& process) {
        HWND window = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (window = FindTaskWindow(process.Id())) != nullptr; }));
        EXPECT_TRUE(PipeTest::WaitForPipe(Swiftlet::PipeNames::JobHandOverPipeName()));
        EXPECT_TRUE(WaitFor([&] { return Panels(window).size() == 1; }));
        if (Panels(window).size() == 1) {
            EXPECT_TRUE(PauseJob(Panels(window)[0]));
        }
        return window;
    }

    // A later start hands over a long job; it runs in window as a new panel, paused.
    void AddLongJob(HWND window, const CString& source, const CString& destination) {
        const size_t before = Panels(window).size();
        // The panel is watched for while the later start still ends: a process takes its
        // time to end, and the job would be done by then.
        ChildProcess later(L"Swiftlet.exe", Quote(source) + L" " + Quote(destination));
        EXPECT_TRUE(WaitFor([&] { return Panels(window).size() == before + 1; }));
        // The others are paused: the caption counts the one job that runs.
        CString running;
        running.Format(IDS_RUNNING_ACTIONS, 1);
        EXPECT_TRUE(WaitFor([&] { return WindowText(window) == running; }))
            << NarrowString(WindowText(window), CP_UTF8);
        if (Panels(window).size() == before + 1) {
            EXPECT_TRUE(PauseJob(Panels(window).back()));
        }
        EXPECT_EQ(0, later.Wait(60000)) << "the job was handed over and the process ended";
    }

    // Hands over a job from this process whose source does not exist: its panel shows
    // the error report and stays until the report is read, and nothing is copied.
    void AddFailingJob(HWND window) {
        const size_t before = Panels(window).size();
        Swiftlet::SwiftletCore sender(Swiftlet::PipeNames::JobHandOverPipeName(), nullptr);
        EXPECT_EQ(1, sender.HandOver({m_dir / L"missing"}, Folder(L"dst-missing"), 0));
        EXPECT_TRUE(WaitFor([&] {
            return Panels(window).size() == before + 1 &&
                   !WindowText(ViewItem(Panels(window).back(), IDC_MESSAGE_TEXT)).IsEmpty();
        }));
    }

    CString LongSource(const wchar_t* name, int files = kLongJobFiles) {
        const CString source = m_dir / name;
        EXPECT_TRUE(MakeFiles(source, files, kFileSize));
        return source;
    }

    CString Folder(const wchar_t* name) {
        const CString folder = m_dir / name;
        EXPECT_TRUE(TestFiles::MakeFolders(folder));
        return folder;
    }

    // Answers the question of the process's message box with button (IDYES, IDNO) and
    // gives its text and caption.
    bool Answer(DWORD processId, int button, CString* text = nullptr, CString* caption = nullptr) {
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindMessageBox(processId)) != nullptr; }))
            return false;
        if (caption)
            *caption = WindowText(box);
        if (text) {
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t name[32] = {};
                GetClassNameW(child, name, 32);
                if (CString(name).CompareNoCase(L"Static") == 0 && !WindowText(child).IsEmpty())
                    *text = WindowText(child);
            }
        }
        // Posted, as a user's click arrives: a message box that ends inside a message
        // sent from another thread drops the next message it takes from the queue, and
        // that may be a job's event.
        PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
        return WaitFor([&] { return !IsWindow(box); });
    }

    PipeTest::FixedPipeLock m_lock{PipeTest::FixedPipeLock::kHandOver};
    TestFiles::TempDir m_dir{L"task"};
};

}  // namespace

TEST_F(TaskWindow, ShortJobEndsWithoutShowingItsWindow) {
    const CString source = m_dir / L"短い.txt";
    const CString destination = Folder(L"dst");
    ASSERT_TRUE(TestFiles::WriteBytes(source, "one small file"));
    auto swiftlet = Start(source, destination);
    ASSERT_TRUE(swiftlet->Started());
    DWORD shown = 0;
    const DWORD start = GetTickCount();
    while (swiftlet->Running() && GetTickCount() - start < 60000) {
        if (HWND window = FindTaskWindow(swiftlet->Id())) {
            if (!shown && IsWindowVisible(window))
                shown = GetTickCount();
        }
        Sleep(5);
    }
    EXPECT_EQ(0, swiftlet->Wait(1000));
    std::string copied;
    EXPECT_TRUE(TestFiles::ReadBytes(destination + L"\\短い.txt", copied) && copied == "one small file");
    // A machine under load may take longer than a second for the job; then the window
    // may show, but never before the job's first second is over.
    if (shown) {
        EXPECT_GE(shown - start, 900u);
    }
}

TEST_F(TaskWindow, LongJobShowsTheWindowAfterASecondAndClosingItCancelsTheJob) {
    const CString source = LongSource(L"src");
    const CString destination = Folder(L"dst");
    const DWORD started = GetTickCount();
    auto swiftlet = Start(source, destination);
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (window = FindTaskWindow(swiftlet->Id())) != nullptr; }));
    EXPECT_FALSE(IsWindowVisible(window));
    // Paused at once, the job is still there when the window shows.
    ASSERT_TRUE(WaitFor([&] { return Panels(window).size() == 1; }));
    const HWND panel = Panels(window)[0];
    ASSERT_TRUE(PauseJob(panel));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }));
    // Shown a second after the job started (the window itself is made a moment later).
    EXPECT_GE(GetTickCount() - started, 1000u);
    // One job: the caption is the job's own progress text.
    EXPECT_EQ(WindowText(ViewItem(panel, IDC_PROGRESS_CAPTION)), WindowText(window));
    EXPECT_EQ(ProgramString(IDS_MORE_DETAILS), WindowText(GetDlgItem(window, IDC_DETAILS_LABEL)));
    EXPECT_TRUE(SaveWindowScreenshot(window, L"task-window-one-job"));

    // One job: closing asks nothing and cancels it.
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, swiftlet->Wait(60000));
    EXPECT_TRUE(AllFilesComplete(source, destination + L"\\src"));
    EXPECT_LT(ListFiles(destination).size(), static_cast<size_t>(kLongJobFiles));
}

TEST_F(TaskWindow, LaterStartAddsAPanelAndItsRelativePathsAreItsOwn) {
    auto first = Start(LongSource(L"src"), Folder(L"dst"));
    const HWND window = StartLongJob(*first);
    ASSERT_TRUE(window);

    // The later start names its job relative to its own current folder, which the
    // running instance has never seen.
    const CString later = Folder(L"later");
    ASSERT_TRUE(MakeFiles(later + L"\\files", 300, kFileSize));
    ASSERT_TRUE(TestFiles::MakeFolders(later + L"\\out"));
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }, 10000));
    ChildProcess second(L"Swiftlet.exe", L"files out", later);
    EXPECT_TRUE(WaitFor([&] { return Panels(window).size() == 2; }));
    EXPECT_EQ(0, second.Wait(60000)) << "the job was handed over and the process ended";
    EXPECT_FALSE(IsIconic(window)) << "a new job brings the window back";
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_TRUE(WaitFor([&] { return Panels(window).size() == 1; }));
    EXPECT_EQ(300u, ListFiles(later + L"\\out").size());
    EXPECT_TRUE(AllFilesComplete(later + L"\\files", later + L"\\out\\files"));
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\files")) << "nothing was taken from the first process's folder";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, first->Wait(60000));
}

TEST_F(TaskWindow, ClosingTwoJobsAsksOnceNoKeepsBothAndYesCancelsBoth) {
    const CString source1 = LongSource(L"src", kHandedOverJobFiles), source2 = source1;
    const CString destination1 = Folder(L"dst1"), destination2 = Folder(L"dst2");
    auto swiftlet = Start(source1, destination1);
    const HWND window = StartLongJob(*swiftlet);
    ASSERT_TRUE(window);
    AddLongJob(window, source2, destination2);
    ASSERT_EQ(2u, Panels(window).size());
    CString paused;
    paused.Format(IDS_PAUSED_ACTIONS, 2);
    EXPECT_TRUE(WaitFor([&] { return WindowText(window) == paused; }, 10000)) << NarrowString(WindowText(window), CP_UTF8);

    PostMessageW(window, WM_CLOSE, 0, 0);
    CString text, caption;
    ASSERT_TRUE(Answer(swiftlet->Id(), IDNO, &text, &caption));
    EXPECT_EQ(ProgramString(IDS_CANCEL_ALL_QUESTION), text);
    EXPECT_EQ(ProgramString(IDS_CANCEL_ALL_CAPTION), caption);
    // No: both jobs go on.
    EXPECT_TRUE(swiftlet->Running());
    EXPECT_EQ(2u, Panels(window).size());

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Answer(swiftlet->Id(), IDYES));
    EXPECT_EQ(0, swiftlet->Wait(60000));
    for (const auto& [source, destination] : {std::pair{source1, destination1}, std::pair{source2, destination2}}) {
        EXPECT_TRUE(AllFilesComplete(source, destination + L"\\" + source.Mid(source.ReverseFind(L'\\') + 1)));
        EXPECT_LT(ListFiles(destination).size(), static_cast<size_t>(kHandedOverJobFiles));
    }
}

TEST_F(TaskWindow, PanelsStackInAWindowOfFixedWidthThatTheUserCanShrinkAndThatStaysOnTheScreen) {
    const CString source = LongSource(L"src", kHandedOverJobFiles);
    auto swiftlet = Start(source, Folder(L"dst1"));
    const HWND window = StartLongJob(*swiftlet);
    ASSERT_TRUE(window);
    RECT one;
    GetWindowRect(window, &one);
    AddLongJob(window, source, Folder(L"dst2"));
    AddLongJob(window, source, Folder(L"dst3"));
    std::vector<HWND> panels = Panels(window);
    ASSERT_EQ(3u, panels.size());
    EXPECT_TRUE(SaveWindowScreenshot(window, L"task-window-three-jobs"));

    // Stacked one below the other, the window grown by two panels and as wide as before.
    RECT three, first, second, list;
    GetWindowRect(window, &three);
    GetWindowRect(panels[0], &first);
    GetWindowRect(panels[1], &second);
    GetWindowRect(OperationList(window), &list);
    EXPECT_EQ(one.right - one.left, three.right - three.left);
    EXPECT_EQ(first.left, second.left);
    EXPECT_EQ(first.bottom + 1, second.top);
    EXPECT_EQ((one.bottom - one.top) + 2 * (second.bottom - second.top + 1), three.bottom - three.top);

    // The user can make it no narrower or wider, no taller, and no shorter than one panel.
    const auto limits = [&] {
        MINMAXINFO info{};
        info.ptMaxTrackSize = {10000, 10000};
        SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    };
    const int fixed = (three.bottom - three.top) - (list.bottom - list.top);
    EXPECT_EQ(three.right - three.left, limits().ptMinTrackSize.x);
    EXPECT_EQ(three.right - three.left, limits().ptMaxTrackSize.x);
    EXPECT_EQ(fixed + (first.bottom - first.top), limits().ptMinTrackSize.y);
    EXPECT_EQ(three.bottom - three.top, limits().ptMaxTrackSize.y);

    // The details toggle switches every panel's view, and a job that comes later shows
    // the same view.
    std::vector<HWND> compactViews;
    for (HWND panel : panels)
        compactViews.push_back(ActiveView(panel));
    SendMessageW(GetDlgItem(window, IDC_DETAILS_TOGGLE), BM_CLICK, 0, 0);
    EXPECT_EQ(ProgramString(IDS_FEWER_DETAILS), WindowText(GetDlgItem(window, IDC_DETAILS_LABEL)));
    for (size_t i = 0; i < panels.size(); ++i) {
        EXPECT_NE(nullptr, ActiveView(panels[i]));
        EXPECT_NE(compactViews[i], ActiveView(panels[i]));
    }
    const int detailedPlace = ActiveViewPlace(panels[0]);
    AddLongJob(window, source, Folder(L"dst4"));
    panels = Panels(window);
    ASSERT_EQ(4u, panels.size());
    EXPECT_EQ(detailedPlace, ActiveViewPlace(panels[3]));

    // Made as small as it goes, the list scrolls; a job that comes now does not make the
    // window larger again, but the user may.
    SetWindowPos(window, nullptr, 0, 0, limits().ptMinTrackSize.x, limits().ptMinTrackSize.y,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongW(OperationList(window), GWL_STYLE) & WS_VSCROLL) != 0; }, 10000));
    RECT shrunk, now;
    GetWindowRect(window, &shrunk);
    AddFailingJob(window);
    GetWindowRect(window, &now);
    EXPECT_EQ(shrunk.bottom - shrunk.top, now.bottom - now.top);
    EXPECT_GT(limits().ptMaxTrackSize.y, now.bottom - now.top);
    SetWindowPos(window, nullptr, 0, 0, limits().ptMaxTrackSize.x, limits().ptMaxTrackSize.y,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Grown with every job up to the height of the screen, and moved up to stay on it.
    const int screen = GetSystemMetrics(SM_CYFULLSCREEN) - 10;
    for (int jobs = 0; jobs < 12; ++jobs) {
        GetWindowRect(window, &now);
        if (now.bottom - now.top >= screen)
            break;
        AddFailingJob(window);
    }
    GetWindowRect(window, &now);
    EXPECT_EQ(screen, now.bottom - now.top);
    EXPECT_EQ(10, now.top);

    // Enter and Escape do nothing: the window is still there to ask about closing.
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageW(window, WM_KEYDOWN, key, 1);
        PostMessageW(window, WM_KEYUP, key, 0xC0000001);
    }
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Answer(swiftlet->Id(), IDYES));
    EXPECT_EQ(0, swiftlet->Wait(60000));
}

TEST_F(TaskWindow, ErrorIsShownInItsPanelUntilTheUserHasReadIt) {
    // Nothing to copy: the job ends with an error report, which waits for OK.
    auto swiftlet = Start(m_dir / L"missing", Folder(L"dst"));
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (window = FindTaskWindow(swiftlet->Id())) && IsWindowVisible(window); }));
    ASSERT_EQ(1u, Panels(window).size());
    const HWND panel = Panels(window)[0];
    CString text;
    text.Format(IDS_ERROR_DURING_OPERATION_TYPE, ProgramString(IDS_OPERATION_COPY).GetString());
    EXPECT_EQ(text + L"(4)", WindowText(ViewItem(panel, IDC_MESSAGE_TEXT)));
    CString caption;
    caption.Format(IDS_INTERRUPTED_ACTIONS, 1);
    EXPECT_EQ(caption, WindowText(window));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_DETAILS_TOGGLE))) << "no job runs to show details of";
    EXPECT_TRUE(swiftlet->Running());
    EXPECT_TRUE(SaveWindowScreenshot(window, L"task-window-error-report"));

    SendMessageW(ViewItem(panel, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(0, swiftlet->Wait(60000));
}
