// A job that needs administrator rights for one item goes on in a second Swiftlet.exe:
// the user presses "続行" in the job's error view of the real program, which runs with the
// limited rights an administrator has before elevating; the second process finishes the
// job and asks its questions in the first one's panel.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <memory>

#include "ControlTestSupport.h"
#include "TaskWindowDriver.h"
#include "tests/support/CopyJob.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "ui/resource.h"

using namespace TaskWindowDriver;
using PipeTest::Quote;

namespace {

constexpr unsigned long long KiB = 1024;

// Swiftlet.exe started with the limited half of this process's token, as Explorer starts
// programs for an administrator; null when the system has no such token to give.
class LimitedSwiftlet {
public:
    explicit LimitedSwiftlet(const CString& arguments) {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token)) return;
        TOKEN_LINKED_TOKEN linked{};
        DWORD size = 0;
        TOKEN_ELEVATION elevation{};
        const bool limited = GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size) &&
                             GetTokenInformation(linked.LinkedToken, TokenElevation, &elevation, sizeof elevation,
                                                 &size) &&
                             !elevation.TokenIsElevated;
        CloseHandle(token);
        HANDLE primary = nullptr;
        if (limited)
            DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                             &primary);
        if (linked.LinkedToken) CloseHandle(linked.LinkedToken);
        if (!primary) return;
        CString line = Quote(TestFiles::ExeFolder() + L"\\Swiftlet.exe") + L" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessAsUserW(primary, nullptr, line.GetBuffer(line.GetLength() + 1), nullptr, nullptr, FALSE, 0,
                                 nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            m_process = pi.hProcess;
        }
        line.ReleaseBuffer();
        CloseHandle(primary);
    }
    ~LimitedSwiftlet() {
        if (!m_process) return;
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) TerminateProcess(m_process, 1);
        CloseHandle(m_process);
    }
    LimitedSwiftlet(const LimitedSwiftlet&) = delete;
    LimitedSwiftlet& operator=(const LimitedSwiftlet&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return GetProcessId(m_process); }
    HANDLE Handle() const { return m_process; }

private:
    HANDLE m_process = nullptr;
};

// The Swiftlet.exe that a process started; 0 when there is none.
DWORD ChildSwiftlet(DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent && lstrcmpiW(entry.szExeFile, L"Swiftlet.exe") == 0)
            found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

// The panel's error view once its main button says text; null after the time-out.
HWND WaitForMainAction(DWORD process, UINT text) {
    HWND panel = nullptr;
    const bool shown = WaitFor([&] {
        const HWND window = FindTaskWindow(process);
        if (!window || Panels(window).size() != 1) return false;
        panel = Panels(window)[0];
        const HWND button = ViewItem(panel, IDC_MAIN_ACTION);
        return button && IsWindowVisible(button) && WindowText(button) == ProgramString(text);
    });
    return shown ? panel : nullptr;
}

}  // namespace

TEST(ElevatedCopy, ContinueRunsTheRestInASecondSwiftletThatAsksThroughTheFirst) {
    PipeTest::FixedPipeLock lock(PipeTest::FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    TestFiles::TempDir dir(L"elevated");
    // Two sources, walked in order: the one that fails first, then one with a file that
    // already exists at the destination, which only the second process reaches.
    for (int i = 0; i < 4; ++i) {
        CString name;
        name.Format(L"a\\a%d.bin", i);
        ASSERT_TRUE(TestFiles::WritePattern(dir / name.GetString(), 64 * KiB, i + 1));
        name.Format(L"b\\b%d.bin", i);
        ASSERT_TRUE(TestFiles::WritePattern(dir / name.GetString(), 1024 * KiB, i + 11));
    }
    ASSERT_TRUE(TestFiles::WritePattern(dir / L"a\\held.bin", 128 * KiB, 21));
    ASSERT_TRUE(TestFiles::WritePattern(dir / L"b\\conflict.bin", 32 * KiB, 22));
    ASSERT_TRUE(TestFiles::WritePattern(dir / L"dst\\b\\conflict.bin", 8 * KiB, 23));
    HANDLE held = CreateFileW(dir / L"a\\held.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    LimitedSwiftlet first(Quote(dir / L"a") + L" " + Quote(dir / L"b") + L" " + Quote(dir / L"dst"));
    if (!first.Started()) {
        CloseHandle(held);
        GTEST_SKIP() << "no limited token to start the program with";
    }
    // The file in use: retried by the user once it is a folder, which cannot be read
    // as a file (access denied).
    HWND panel = WaitForMainAction(first.Id(), IDS_BUTTON_RETRY);
    ASSERT_NE(nullptr, panel);
    CloseHandle(held);
    ASSERT_TRUE(DeleteFileW(dir / L"a\\held.bin"));
    ASSERT_TRUE(CreateDirectoryW(dir / L"a\\held.bin", nullptr));
    PostMessageW(ViewItem(panel, IDC_MAIN_ACTION), BM_CLICK, 0, 0);

    panel = WaitForMainAction(first.Id(), IDS_BUTTON_CONTINUE);
    ASSERT_NE(nullptr, panel);
    EXPECT_TRUE(SaveWindowScreenshot(FindTaskWindow(first.Id()), L"question-error-continue-elevated"));
    // What administrator rights would overcome is gone by the time the second process runs.
    ASSERT_TRUE(RemoveDirectoryW(dir / L"a\\held.bin"));
    ASSERT_TRUE(TestFiles::WritePattern(dir / L"a\\held.bin", 128 * KiB, 21));
    PostMessageW(ViewItem(panel, IDC_MAIN_ACTION), BM_CLICK, 0, 0);

    // Pause and resume in the first process's panel reach the second process, which says
    // so through the same panel.
    ASSERT_TRUE(PauseJob(panel));
    EXPECT_TRUE(SaveWindowScreenshot(FindTaskWindow(first.Id()), L"progress-elevated-process-paused"));
    SendMessageW(ViewItem(panel, IDC_PAUSE), BM_CLICK, 0, 0);

    // The second process meets the existing file; the first one's panel asks.
    DWORD second = 0;
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        if (!second) second = ChildSwiftlet(first.Id());
        const HWND window = FindTaskWindow(first.Id());
        if (!window || Panels(window).size() != 1) return false;
        question = ViewItem(Panels(window)[0], IDC_REPLACE_LINK);
        return question != nullptr;
    }));
    ASSERT_NE(0u, second) << "the rest of the job runs in a Swiftlet.exe the first one started";
    HANDLE secondProcess = OpenProcess(SYNCHRONIZE, FALSE, second);
    ASSERT_NE(nullptr, secondProcess);
    EXPECT_TRUE(SaveWindowScreenshot(FindTaskWindow(first.Id()), L"question-asked-for-elevated-process"));
    PostMessageW(question, BM_CLICK, 0, 0);

    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(secondProcess, 60000));
    CloseHandle(secondProcess);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.Handle(), 60000));
    CString difference;
    EXPECT_TRUE(TestFiles::SameTree(dir / L"a", dir / L"dst\\a", &difference)) << difference.GetString();
    EXPECT_TRUE(TestFiles::SameTree(dir / L"b", dir / L"dst\\b", &difference)) << difference.GetString();
}
