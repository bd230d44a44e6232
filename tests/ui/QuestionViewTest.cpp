// The questions a job asks in its panel, answered in the real Swiftlet.exe with the
// clicks a user makes, and the one-file question in a window of the test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ControlTestSupport.h"
#include "TaskWindowDriver.h"
#include "control/CoreEvent.h"
#include "foundation/Exception.h"
#include "framework/CFrameWnd.h"
#include "engine/CopyException.h"
#include "ui/ErrorFormView2.h"
#include "ui/OverwriteFileView.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "ui/resource.h"

using namespace TaskWindowDriver;
using PipeTest::ChildProcess;
using PipeTest::Quote;

namespace {

class QuestionView : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lock.Held()); }

    // A source folder "tree" with count files and a destination that already holds a
    // copy of every file with other contents.
    void MakeConflicts(int count) {
        for (int i = 0; i < count; ++i) {
            CString name;
            name.Format(L"tree\\f%d.txt", i);
            ASSERT_TRUE(TestFiles::WriteBytes(m_dir / name.GetString(), "new " + std::to_string(i)));
            name.Format(L"dst\\tree\\f%d.txt", i);
            ASSERT_TRUE(TestFiles::MakeFolders(m_dir / L"dst\\tree"));
            ASSERT_TRUE(TestFiles::WriteBytes(m_dir / name.GetString(), "old"));
        }
    }

    // Starts the copy of tree into dst and waits for its panel to show the question whose
    // view holds the control `item`; the panel, or null.
    HWND StartCopyUntilAsked(int item) {
        m_swiftlet = std::make_unique<ChildProcess>(L"Swiftlet.exe",
                                                    Quote(m_dir / L"tree") + L" " + Quote(m_dir / L"dst"));
        HWND panel = nullptr;
        EXPECT_TRUE(WaitFor([&] {
            m_window = FindTaskWindow(m_swiftlet->Id());
            if (!m_window || !IsWindowVisible(m_window) || Panels(m_window).size() != 1)
                return false;
            panel = Panels(m_window)[0];
            return ViewItem(panel, item) != nullptr;
        }));
        return panel;
    }

    // ... asked about the existing files.
    HWND StartConflictingCopy() { return StartCopyUntilAsked(IDC_REPLACE_LINK); }

    std::string Contents(const wchar_t* relative) {
        std::string bytes;
        EXPECT_TRUE(TestFiles::ReadBytes(m_dir / relative, bytes));
        return bytes;
    }

    PipeTest::FixedPipeLock m_lock{PipeTest::FixedPipeLock::kHandOver};
    TestFiles::TempDir m_dir{L"question"};
    std::unique_ptr<ChildProcess> m_swiftlet;
    HWND m_window = nullptr;
};

}  // namespace

TEST_F(QuestionView, ManyExistingFilesAreReplacedTogether) {
    MakeConflicts(3);
    const HWND panel = StartConflictingCopy();
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(GetForegroundWindow(), m_window) << "the question comes to the front";
    CString heading;
    heading.Format(IDS_FILES_EXIST_COUNT, 3);
    EXPECT_EQ(heading, WindowText(ViewItem(panel, IDC_CONFLICT_HEADING)));
    EXPECT_EQ(ProgramString(IDS_REPLACE_FILES), WindowText(ViewItem(panel, IDC_REPLACE_LINK)));
    EXPECT_EQ(ProgramString(IDS_SKIP_FILES), WindowText(ViewItem(panel, IDC_SKIP_LINK)));
    EXPECT_EQ(ProgramString(IDS_CHOOSE_FILES), WindowText(ViewItem(panel, IDC_CHOOSE_LINK)));
    EXPECT_TRUE(IsWindowEnabled(ViewItem(panel, IDC_CHOOSE_LINK)));
    EXPECT_EQ(ProgramString(IDS_REPLACE_OR_SKIP), WindowText(m_window));
    const CString fromTo = WindowText(ViewItem(panel, IDC_CONFLICT_FROM_TO));
    EXPECT_NE(-1, fromTo.Find(L">dst</a>")) << NarrowString(fromTo, CP_UTF8);
    EXPECT_TRUE(SaveWindowScreenshot(m_window, L"question-overwrite-files"));

    PostMessageW(ViewItem(panel, IDC_REPLACE_LINK), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    for (int i = 0; i < 3; ++i) {
        CString name;
        name.Format(L"dst\\tree\\f%d.txt", i);
        EXPECT_EQ("new " + std::to_string(i), Contents(name)) << i;
    }
}

TEST_F(QuestionView, OneExistingFileIsNamedAndSkippingKeepsIt) {
    MakeConflicts(1);
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"tree\\other.txt", "other"));
    const HWND panel = StartConflictingCopy();
    ASSERT_NE(nullptr, panel);
    CString heading;
    heading.Format(IDS_FILE_EXISTS_NAMED, L"f0.txt");
    EXPECT_EQ(heading, WindowText(ViewItem(panel, IDC_CONFLICT_HEADING)));
    EXPECT_EQ(ProgramString(IDS_REPLACE_FILE), WindowText(ViewItem(panel, IDC_REPLACE_LINK)));
    EXPECT_EQ(ProgramString(IDS_SKIP_FILE), WindowText(ViewItem(panel, IDC_SKIP_LINK)));
    EXPECT_EQ(ProgramString(IDS_CHOOSE_FILE), WindowText(ViewItem(panel, IDC_CHOOSE_LINK)));
    EXPECT_TRUE(SaveWindowScreenshot(m_window, L"question-overwrite-one-file"));

    PostMessageW(ViewItem(panel, IDC_SKIP_LINK), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_EQ("old", Contents(L"dst\\tree\\f0.txt"));
    EXPECT_EQ("other", Contents(L"dst\\tree\\other.txt")) << "the rest of the job is copied";
}

TEST_F(QuestionView, ClosingThePanelOfAQuestionCancelsTheJob) {
    MakeConflicts(2);
    const HWND panel = StartConflictingCopy();
    ASSERT_NE(nullptr, panel);
    PostMessageW(m_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_EQ("old", Contents(L"dst\\tree\\f0.txt"));
    EXPECT_EQ("old", Contents(L"dst\\tree\\f1.txt"));
}

namespace {

// A file held open without any sharing, as a program that locks its document does.
class LockedFile {
public:
    explicit LockedFile(const CString& path)
        : m_handle(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~LockedFile() { Release(); }
    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release() {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

class ErrorQuestion : public QuestionView {
protected:
    // Copies tree into dst and waits for the panel to ask about an item that fails.
    HWND StartFailingCopy() {
        // A destination that is not there is a failure of the whole job, reported
        // rather than asked about.
        EXPECT_TRUE(TestFiles::MakeFolders(m_dir / L"dst"));
        return StartCopyUntilAsked(IDC_MAIN_ACTION);
    }
};

}  // namespace

TEST_F(ErrorQuestion, FileInUseIsCopiedWhenRetriedAfterItWasClosed) {
    ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"tree\\in-use.bin", 300000));
    LockedFile lock(m_dir / L"tree\\in-use.bin");
    ASSERT_TRUE(lock.Held());
    const HWND panel = StartFailingCopy();
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(GetSystemErrorMessage(ERROR_SHARING_VIOLATION), WindowText(ViewItem(panel, IDC_ERROR_TEXT)));
    EXPECT_EQ(ProgramString(IDS_ERROR_CLOSE_FILE), WindowText(ViewItem(panel, IDC_ERROR_NOTE)));
    EXPECT_EQ(ProgramString(IDS_BUTTON_RETRY), WindowText(ViewItem(panel, IDC_MAIN_ACTION)));
    EXPECT_NE(-1, WindowText(ViewItem(panel, IDC_INFO_LINE1)).Find(L"in-use"));
    EXPECT_TRUE(SaveWindowScreenshot(m_window, L"question-error-in-use"));

    lock.Release();
    PostMessageW(ViewItem(panel, IDC_MAIN_ACTION), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    std::string source, copy;
    ASSERT_TRUE(TestFiles::ReadBytes(m_dir / L"tree\\in-use.bin", source));
    ASSERT_TRUE(TestFiles::ReadBytes(m_dir / L"dst\\tree\\in-use.bin", copy));
    EXPECT_TRUE(source == copy);
}

TEST_F(ErrorQuestion, SkipForAllLeavesOutEveryFileInUseAndCancelLeavesNoPartialFile) {
    ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"tree\\a.bin", 1000));
    ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"tree\\b.bin", 1000));
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"tree\\c.txt", "free"));
    {
        LockedFile a(m_dir / L"tree\\a.bin"), b(m_dir / L"tree\\b.bin");
        const HWND panel = StartFailingCopy();
        ASSERT_NE(nullptr, panel);
        SendMessageW(ViewItem(panel, IDC_APPLY_TO_ALL), BM_CLICK, 0, 0);
        PostMessageW(ViewItem(panel, IDC_SKIP), BM_CLICK, 0, 0);
        EXPECT_EQ(0, m_swiftlet->Wait(60000)) << "the second file is skipped without asking";
    }
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\tree\\a.bin"));
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\tree\\b.bin"));
    EXPECT_EQ("free", Contents(L"dst\\tree\\c.txt"));

    LockedFile a(m_dir / L"tree\\a.bin");
    ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"tree\\big.bin", 3000000));
    const HWND panel = StartFailingCopy();
    ASSERT_NE(nullptr, panel);
    PostMessageW(ViewItem(panel, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\tree\\a.bin"));
    EXPECT_TRUE(AllFilesComplete(m_dir / L"tree", m_dir / L"dst\\tree")) << "no half-written file";
}

TEST_F(ErrorQuestion, FileMeetingAFolderOfItsNameIsAskedAboutAndTheFolderStays) {
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"tree\\report", "file"));
    ASSERT_TRUE(TestFiles::MakeFolders(m_dir / L"dst\\tree\\report"));
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"dst\\tree\\report\\inside.txt", "kept"));
    const HWND panel = StartFailingCopy();
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(GetSystemErrorMessage(ERROR_ALREADY_EXISTS), WindowText(ViewItem(panel, IDC_ERROR_TEXT)));
    EXPECT_TRUE(SaveWindowScreenshot(m_window, L"question-error-name-taken"));
    PostMessageW(ViewItem(panel, IDC_SKIP), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_EQ("kept", Contents(L"dst\\tree\\report\\inside.txt"));
}

TEST_F(ErrorQuestion, FolderMeetingAFileOfItsNameIsAskedAboutAndTheFileStays) {
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"tree\\report\\inside.txt", "new"));
    ASSERT_TRUE(TestFiles::MakeFolders(m_dir / L"dst\\tree"));
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"dst\\tree\\report", "kept"));
    const HWND panel = StartFailingCopy();
    ASSERT_NE(nullptr, panel);
    CString text;
    text.Format(IDS_ERROR_NAME_TAKEN, ProgramString(IDS_ITEM_FOLDER).GetString(),
                ProgramString(IDS_ITEM_FILE).GetString());
    EXPECT_EQ(text, WindowText(ViewItem(panel, IDC_ERROR_TEXT)));
    EXPECT_EQ(ProgramString(IDS_BUTTON_RETRY), WindowText(ViewItem(panel, IDC_MAIN_ACTION)));
    EXPECT_FALSE(IsWindowVisible(ViewItem(panel, IDC_ERROR_NOTE)));
    EXPECT_TRUE(SaveWindowScreenshot(m_window, L"question-error-folder-meets-file"));
    PostMessageW(ViewItem(panel, IDC_SKIP), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_EQ("kept", Contents(L"dst\\tree\\report"));
}

TEST_F(ErrorQuestion, ClosingThePanelOfAnErrorQuestionCancelsTheJob) {
    ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"tree\\a.bin", 1000));
    ASSERT_TRUE(TestFiles::WritePattern(m_dir / L"tree\\b.bin", 3000000));
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"tree\\c.txt", "free"));
    LockedFile a(m_dir / L"tree\\a.bin");
    const HWND panel = StartFailingCopy();
    ASSERT_NE(nullptr, panel);
    PostMessageW(panel, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    // Cancelled, not skipped: nothing after the file in question was copied either.
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\tree\\a.bin"));
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst\\tree\\c.txt"));
    EXPECT_TRUE(AllFilesComplete(m_dir / L"tree", m_dir / L"dst\\tree")) << "no half-written file";
}

TEST_F(QuestionView, ClosingThePanelOfAnErrorReportOnlyLetsTheJobEnd) {
    // No destination folder: the job fails as a whole and reports it.
    ASSERT_TRUE(TestFiles::WriteBytes(m_dir / L"tree\\a.txt", "a"));
    const HWND panel = StartCopyUntilAsked(IDC_MESSAGE_TEXT);
    ASSERT_NE(nullptr, panel);
    EXPECT_NE(-1, WindowText(ViewItem(panel, IDC_MESSAGE_TEXT)).Find(GetSystemErrorMessage(ERROR_FILE_NOT_FOUND)));
    EXPECT_TRUE(m_swiftlet->Running()) << "the report waits to be read";
    EXPECT_TRUE(SaveWindowScreenshot(m_window, L"question-error-report"));
    PostMessageW(panel, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_FALSE(TestFiles::Exists(m_dir / L"dst"));
}

// The one-file question, which a job asks when it decides on each existing file as it
// meets it: shown in a window of this process, over two real files.
TEST(OverwriteFileView, ShowsBothFilesAndYesWithTheCheckBoxOverwritesFromNowOn) {
    PrepareWindowTest();
    TestFiles::TempDir dir(L"overwrite-one");
    const CString existing = dir / L"dst\\報告書.txt";
    const CString incoming = dir / L"src\\報告書.txt";
    ASSERT_TRUE(TestFiles::MakeFolders(dir / L"dst") && TestFiles::MakeFolders(dir / L"src"));
    ASSERT_TRUE(TestFiles::WriteBytes(existing, std::string(1000, 'o')));
    ASSERT_TRUE(TestFiles::WriteBytes(incoming, std::string(3000, 'n')));
    WIN32_FILE_ATTRIBUTE_DATA existingData{}, incomingData{};
    ASSERT_TRUE(GetFileAttributesExW(existing, GetFileExInfoStandard, &existingData));
    ASSERT_TRUE(GetFileAttributesExW(incoming, GetFileExInfoStandard, &incomingData));
    const Swiftlet::CopyExceptionOverwrite question(incoming, incomingData, existing, existingData);

    CWhiteHost host;
    ASSERT_TRUE(host.Open(L"overwrite", 480, 400));
    auto* view = new COverwriteFileView;  // a view deletes itself with its window
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), &host, AFX_IDW_PANE_FIRST, nullptr));
    view->SetQuestion(question);
    view->ShowWindow(SW_SHOW);
    const HWND v = view->m_hWnd;

    auto line = [](UINT id, const CString& value) {
        CString text;
        text.Format(id, value.GetString());
        return text;
    };
    EXPECT_EQ(line(IDS_INFO_NAME, L"報告書.txt"), WindowText(GetDlgItem(v, IDC_EXISTING_NAME)));
    EXPECT_EQ(line(IDS_INFO_LOCATION, dir / L"dst"), WindowText(GetDlgItem(v, IDC_EXISTING_FOLDER)));
    EXPECT_EQ(line(IDS_INFO_LOCATION, dir / L"src"), WindowText(GetDlgItem(v, IDC_NEW_FOLDER)));
    EXPECT_EQ(line(IDS_INFO_SIZE, Swiftlet::FormatByteSize(1000)), WindowText(GetDlgItem(v, IDC_EXISTING_SIZE)));
    EXPECT_EQ(line(IDS_INFO_SIZE, Swiftlet::FormatByteSize(3000)), WindowText(GetDlgItem(v, IDC_NEW_SIZE)));
    const CString time = COverwriteFileView::TimeText(incomingData.ftLastWriteTime);
    EXPECT_FALSE(time.IsEmpty());
    EXPECT_EQ(line(IDS_INFO_MODIFIED, time), WindowText(GetDlgItem(v, IDC_NEW_MODIFIED)));
    EXPECT_NE(0, SendDlgItemMessageW(v, IDC_QUESTION_ICON, STM_GETICON, 0, 0)) << "the warning icon";
    EXPECT_EQ(0, view->GetActionState() == kActionInterrupted ? 0 : 1);
    EXPECT_TRUE(SaveWindowScreenshot(host.m_hWnd, L"question-overwrite-file"));

    SendDlgItemMessageW(v, IDC_APPLY_TO_ALL, BM_CLICK, 0, 0);
    SendDlgItemMessageW(v, IDC_YES, BM_CLICK, 0, 0);
    Swiftlet::CoreEvent event;
    view->WriteAnswer(event);
    EXPECT_EQ(Swiftlet::kAnswerOverwrite, event.answer);
    EXPECT_EQ(1, event.applyToAll);

    SendDlgItemMessageW(v, IDC_APPLY_TO_ALL, BM_CLICK, 0, 0);
    SendMessageW(v, WM_CLOSE, 0, 0);  // closing the view is cancelling the job
    view->WriteAnswer(event);
    EXPECT_EQ(Swiftlet::kAnswerCancel, event.answer);
    EXPECT_EQ(0, event.applyToAll);
    SendDlgItemMessageW(v, IDC_SKIP, BM_CLICK, 0, 0);
    view->WriteAnswer(event);
    EXPECT_EQ(Swiftlet::kAnswerSkip, event.answer);
    view->DestroyWindow();
}

namespace {

// The error view in a window of this process, for questions a job under Wine cannot be
// made to ask (a file the user may not read, an encrypted file, a drive).
class ErrorViewHost : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareWindowTest();
        ASSERT_TRUE(m_host.Open(L"error", 480, 300));
    }

    HWND Show(const Exception& question, int move = 0) {
        m_view = new CErrorFormView2;  // a view deletes itself with its window
        EXPECT_TRUE(
            m_view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), &m_host, AFX_IDW_PANE_FIRST, nullptr));
        m_view->SetQuestion(&question, &move);
        m_view->ShowWindow(SW_SHOW);
        return m_view->m_hWnd;
    }

    // Clicks button with the check box set or cleared; the answer the view writes.
    struct Answer {
        int answer;
        int applyToAll;
    };
    Answer Click(int button, bool checked) {
        CheckDlgButton(m_view->m_hWnd, IDC_APPLY_TO_ALL, checked ? BST_CHECKED : BST_UNCHECKED);
        SendDlgItemMessageW(m_view->m_hWnd, button, BM_CLICK, 0, 0);
        Swiftlet::CoreEvent event;
        m_view->WriteAnswer(event);
        return {event.answer, event.applyToAll};
    }

    void Close() {
        if (m_view)
            m_view->DestroyWindow();
        m_view = nullptr;
    }
    void TearDown() override { Close(); }

    CWhiteHost m_host;
    CErrorFormView2* m_view = nullptr;
};

}  // namespace

TEST_F(ErrorViewHost, AccessDeniedOffersAdministratorRightsUnlessAlreadyElevated) {
    TestFiles::TempDir dir(L"denied");
    const CString path = dir / L"秘密.txt";
    ASSERT_TRUE(TestFiles::WriteBytes(path, std::string(2048, 's')));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &data));
    const Swiftlet::CopyExceptionRetryFile notElevated(new WindowsFileException(ERROR_ACCESS_DENIED, path), path,
                                                       data, 1, 0);
    HWND v = Show(notElevated, 1);
    CString text;
    text.Format(IDS_ERROR_NEEDS_ADMIN, ProgramString(IDS_OPERATION_MOVE).GetString());
    EXPECT_EQ(text, WindowText(GetDlgItem(v, IDC_ERROR_TEXT)));
    EXPECT_EQ(ProgramString(IDS_BUTTON_CONTINUE), WindowText(GetDlgItem(v, IDC_MAIN_ACTION)));
    EXPECT_EQ(GetSystemErrorMessage(ERROR_ACCESS_DENIED), m_view->GetCaptionText());
    EXPECT_NE(-1, WindowText(GetDlgItem(v, IDC_INFO_LINE1)).Find(L"秘密"));
    EXPECT_NE(-1, WindowText(GetDlgItem(v, IDC_INFO_LINE2)).Find(L"："));
    EXPECT_TRUE(SaveWindowScreenshot(m_host.m_hWnd, L"question-error-access-denied"));
    Answer event = Click(IDC_MAIN_ACTION, true);
    EXPECT_EQ(Swiftlet::kAnswerElevate, event.answer);
    EXPECT_EQ(0, event.applyToAll) << "continuing elevated is for this item alone";
    event = Click(IDC_SKIP, true);
    EXPECT_EQ(Swiftlet::kAnswerSkip, event.answer);
    EXPECT_EQ(1, event.applyToAll);
    Close();

    const Swiftlet::CopyExceptionRetryFile elevated(new WindowsFileException(ERROR_ACCESS_DENIED, path), path, data,
                                                    1, 1);
    v = Show(elevated);
    EXPECT_EQ(ProgramString(IDS_BUTTON_RETRY), WindowText(GetDlgItem(v, IDC_MAIN_ACTION)));
    EXPECT_EQ(Swiftlet::kAnswerRetry, Click(IDC_MAIN_ACTION, true).answer);
    EXPECT_EQ(Swiftlet::kAnswerCancel, Click(IDCANCEL, false).answer);
}

TEST_F(ErrorViewHost, EncryptedFileAndOtherErrorsAndADrive) {
    TestFiles::TempDir dir(L"encrypted");
    const CString path = dir / L"locked.doc";
    ASSERT_TRUE(TestFiles::WriteBytes(path, "x"));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &data));
    data.dwFileAttributes |= FILE_ATTRIBUTE_ENCRYPTED;
    const Swiftlet::CopyExceptionEncrypted encrypted(path, data);
    HWND v = Show(encrypted);
    CString text;
    text.Format(IDS_ENCRYPTION_QUESTION, ProgramString(IDS_ITEM_FILE).GetString(),
                ProgramString(IDS_OPERATION_COPY).GetString());
    EXPECT_EQ(text, WindowText(GetDlgItem(v, IDC_ERROR_TEXT)));
    text.Format(IDS_ENCRYPTION_NOTE, ProgramString(IDS_ITEM_FILE).GetString(),
                ProgramString(IDS_OPERATION_COPY).GetString());
    EXPECT_EQ(text, WindowText(GetDlgItem(v, IDC_ERROR_NOTE)));
    EXPECT_EQ(ProgramString(IDS_BUTTON_YES), WindowText(GetDlgItem(v, IDC_MAIN_ACTION)));
    EXPECT_TRUE(SaveWindowScreenshot(m_host.m_hWnd, L"question-error-encrypted"));
    const Answer event = Click(IDC_MAIN_ACTION, true);
    EXPECT_EQ(Swiftlet::kAnswerWithoutEncryption, event.answer);
    EXPECT_EQ(1, event.applyToAll) << "the choice holds for every encrypted file";
    Close();

    // Any other Windows error: the system's own text, no note, retry.
    const Swiftlet::CopyExceptionRetryFile crc(new WindowsFileException(ERROR_CRC, path), path, data, 1, 0);
    v = Show(crc);
    EXPECT_EQ(GetSystemErrorMessage(ERROR_CRC), WindowText(GetDlgItem(v, IDC_ERROR_TEXT)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(v, IDC_ERROR_NOTE)));
    EXPECT_EQ(ProgramString(IDS_BUTTON_RETRY), WindowText(GetDlgItem(v, IDC_MAIN_ACTION)));
    Close();

    // A drive: its free space and capacity instead of a size and a date.
    const CString root = L"C:\\";
    const Swiftlet::CopyExceptionRetryFile drive(new WindowsFileException(ERROR_NOT_READY, root), root,
                                                 WIN32_FILE_ATTRIBUTE_DATA{}, 0, 0);
    v = Show(drive);
    ULARGE_INTEGER available{}, total{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(root, &available, &total, nullptr));
    text.Format(IDS_INFO_CAPACITY, Swiftlet::FormatByteSize(total.QuadPart).GetString());
    EXPECT_EQ(text, WindowText(GetDlgItem(v, IDC_INFO_LINE3)));
    EXPECT_NE(-1, WindowText(GetDlgItem(v, IDC_INFO_LINE2)).Find(ProgramString(IDS_INFO_FREE_SPACE).Left(4)));
    EXPECT_TRUE(SaveWindowScreenshot(m_host.m_hWnd, L"question-error-drive"));
}
