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

// Two sources, walked in order: the one whose file fails first, then one with a file
// that already exists at the destination, which only the second process reaches. The
// first process runs until the user has pressed "続行".
class ElevatedCopy : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lock.Held());
        for (int i = 0; i < 4; ++i) {
            CString name;
            name.Format(L"a\\a%d.bin", i);
            ASSERT_TRUE(TestFiles::WritePattern(m_dir / name.GetString(), 64 * KiB, i + 1));
            name.Format(L"b\\b%d.bin", i);
            ASSERT_TRUE(TestFiles::WritePattern(m_dir / name.GetString(), 1024 * KiB, i + 11));
        }
        ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"a\\held.bin", 128 * KiB, 21));
        ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"b\\conflict.bin", 32 * KiB, 22));
        ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"dst\\b\\conflict.bin", 8 * KiB, 23));
    }

    // Starts the job and presses "続行"; the panel, or null (the test is then skipped
    // when the system gave no limited token).
    HWND ContinueElevated() {
        HANDLE held = CreateFileW(m_dir / L"a\\held.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, held);
        m_first = std::make_unique<LimitedSwiftlet>(Quote(m_dir / L"a") + L" " + Quote(m_dir / L"b") + L" " +
                                                    Quote(m_dir / L"dst"));
        if (!m_first->Started()) {
            CloseHandle(held);
            return nullptr;
        }
        // The file in use: retried by the user once it is a folder, which cannot be read
        // as a file (access denied).
        HWND panel = WaitForMainAction(m_first->Id(), IDS_BUTTON_RETRY);
        CloseHandle(held);
        EXPECT_NE(nullptr, panel);
        if (!panel) return nullptr;
        EXPECT_TRUE(DeleteFileW(m_dir / L"a\\held.bin"));
        EXPECT_TRUE(CreateDirectoryW(m_dir / L"a\\held.bin", nullptr));
        PostMessageW(ViewItem(panel, IDC_MAIN_ACTION), BM_CLICK, 0, 0);

        panel = WaitForMainAction(m_first->Id(), IDS_BUTTON_CONTINUE);
        EXPECT_NE(nullptr, panel);
        if (!panel) return nullptr;
        EXPECT_TRUE(SaveWindowScreenshot(FindTaskWindow(m_first->Id()), L"question-error-continue-elevated"));
        // What administrator rights would overcome is gone by the time the second process runs.
        EXPECT_TRUE(RemoveDirectoryW(m_dir / L"a\\held.bin"));
        EXPECT_TRUE(TestFiles::WritePattern(m_dir / L"a\\held.bin", 128 * KiB, 21));
        PostMessageW(ViewItem(panel, IDC_MAIN_ACTION), BM_CLICK, 0, 0);
        return panel;
    }

    // The Swiftlet.exe the first one started, once it runs.
    HANDLE WaitForSecond() {
        DWORD second = 0;
        EXPECT_TRUE(WaitFor([&] { return (second = ChildSwiftlet(m_first->Id())) != 0; }))
            << "the rest of the job runs in a Swiftlet.exe the first one started";
        return second ? OpenProcess(SYNCHRONIZE, FALSE, second) : nullptr;
    }

    // Every file that arrived is whole.
    void ExpectOnlyWholeFiles(const wchar_t* source) {
        const CString copy = CString(L"dst\\") + source;
        for (const CString& file : TestFiles::ListTree(m_dir / copy.GetString())) {
            if (file.Right(1) == L"\\") continue;
            EXPECT_TRUE(TestFiles::SameFile(m_dir / (CString(source) + L"\\" + file).GetString(),
                                            m_dir / (copy + L"\\" + file).GetString()))
                << file.GetString();
        }
    }

    PipeTest::FixedPipeLock m_lock{PipeTest::FixedPipeLock::kHandOver};
    TestFiles::TempDir m_dir{L"elevated"};
    std::unique_ptr<LimitedSwiftlet> m_first;
};

}  // namespace

TEST_F(ElevatedCopy, ContinueRunsTheRestInASecondSwiftletThatAsksThroughTheFirst) {
    const HWND panel = ContinueElevated();
    if (!panel && m_first && !m_first->Started()) GTEST_SKIP() << "no limited token to start the program with";
    ASSERT_NE(nullptr, panel);

    // Pause and resume in the first process's panel reach the second process, which says
    // so through the same panel.
    ASSERT_TRUE(PauseJob(panel));
    EXPECT_TRUE(SaveWindowScreenshot(FindTaskWindow(m_first->Id()), L"progress-elevated-process-paused"));
    SendMessageW(ViewItem(panel, IDC_PAUSE), BM_CLICK, 0, 0);

    // The second process meets the existing file; the first one's panel asks.
    HANDLE second = WaitForSecond();
    ASSERT_NE(nullptr, second);
    HWND question = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (question = ViewItem(panel, IDC_REPLACE_LINK)) != nullptr; }));
    EXPECT_TRUE(SaveWindowScreenshot(FindTaskWindow(m_first->Id()), L"question-asked-for-elevated-process"));
    PostMessageW(question, BM_CLICK, 0, 0);

    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 60000));
    CloseHandle(second);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_first->Handle(), 60000));
    CString difference;
    EXPECT_TRUE(TestFiles::SameTree(m_dir / L"a", m_dir / L"dst\\a", &difference)) << difference.GetString();
    EXPECT_TRUE(TestFiles::SameTree(m_dir / L"b", m_dir / L"dst\\b", &difference)) << difference.GetString();
}

TEST_F(ElevatedCopy, CancelInTheFirstPanelStopsTheSecondProcess) {
    const HWND panel = ContinueElevated();
    if (!panel && m_first && !m_first->Started()) GTEST_SKIP() << "no limited token to start the program with";
    ASSERT_NE(nullptr, panel);
    // Cancelled as soon as the second process exists: it stops before its first item.
    HANDLE second = WaitForSecond();
    ASSERT_NE(nullptr, second);
    SendMessageW(ViewItem(panel, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 60000));
    CloseHandle(second);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_first->Handle(), 60000));
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\b\\b0.bin"));
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\a\\held.bin"));
    ExpectOnlyWholeFiles(L"a");
    // Nothing of the second source was written; the file that was there stays as it was.
    EXPECT_EQ(std::vector<CString>{L"conflict.bin"}, TestFiles::ListTree(m_dir / L"dst\\b"));
    WIN32_FILE_ATTRIBUTE_DATA old{};
    ASSERT_TRUE(GetFileAttributesExW(m_dir / L"dst\\b\\conflict.bin", GetFileExInfoStandard, &old));
    EXPECT_EQ(8 * KiB, old.nFileSizeLow);
}
