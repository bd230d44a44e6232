// Choosing per file in the real Swiftlet.exe: the many-conflicts question opens the
// choose-files dialog, the test ticks rows with the keys a user presses (or the column
// boxes) and continues, and the files on disk are what was chosen, byte for byte.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TaskWindowDriver.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "ui/ChooseFilesListView.h"
#include "ui/resource.h"

using namespace TaskWindowDriver;
using PipeTest::ChildProcess;
using PipeTest::Quote;

namespace {

HWND FindDialogTitled(DWORD processId, const CString& title) {
    struct Search {
        DWORD processId;
        const CString& title;
        HWND found;
    } search{processId, title, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId && ::IsWindowVisible(window) && WindowText(window) == s->title) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ChooseFilesWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lock.Held()); }

    // tree\fN.txt ("new N") against dst\tree\fN.txt ("old N").
    void MakeConflicts(int count) {
        ASSERT_TRUE(TestFiles::MakeFolders(m_dir / L"dst\\tree"));
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(TestFiles::WriteBytes(Path(L"tree", i), "new " + std::to_string(i)));
            ASSERT_TRUE(TestFiles::WriteBytes(Path(L"dst\\tree", i), "old " + std::to_string(i)));
        }
    }

    CString Path(const wchar_t* folder, int i, const wchar_t* suffix = L"") const {
        CString name;
        name.Format(L"%s\\f%d%s.txt", folder, i, suffix);
        return m_dir / name.GetString();
    }

    std::string Contents(const CString& path) {
        std::string bytes;
        EXPECT_TRUE(TestFiles::ReadBytes(path, bytes)) << NarrowString(path, CP_UTF8);
        return bytes;
    }

    // Starts the copy, waits for the question and chooses per file; the dialog, or null.
    HWND OpenChooser(int count) {
        m_swiftlet = std::make_unique<ChildProcess>(L"Swiftlet.exe",
                                                    Quote(m_dir / L"tree") + L" " + Quote(m_dir / L"dst"));
        HWND panel = nullptr;
        EXPECT_TRUE(WaitFor([&] {
            HWND window = FindTaskWindow(m_swiftlet->Id());
            if (!window || Panels(window).size() != 1)
                return false;
            panel = Panels(window)[0];
            return ViewItem(panel, IDC_CHOOSE_LINK) != nullptr;
        }));
        if (!panel)
            return nullptr;
        HWND choose = ViewItem(panel, IDC_CHOOSE_LINK);
        EXPECT_TRUE(IsWindowEnabled(choose));
        PostMessageW(choose, BM_CLICK, 0, 0);
        CString title;
        title.Format(ProgramString(IDS_FILE_CONFLICTS), static_cast<long long>(count));
        HWND dialog = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (dialog = FindDialogTitled(m_swiftlet->Id(), title)) != nullptr; }));
        if (dialog) {
            EXPECT_TRUE(WaitFor([&] { return GetDlgItem(dialog, IDC_FILE_LIST) != nullptr; }));
        }
        return dialog;
    }

    // Presses a key on the list as the keyboard would deliver it.
    static void Key(HWND list, UINT key) {
        PostMessageW(list, WM_KEYDOWN, key, 1);
        PostMessageW(list, WM_KEYUP, key, 0xC0000001);
    }

    static int Check(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0)); }

    PipeTest::FixedPipeLock m_lock{PipeTest::FixedPipeLock::kHandOver};
    TestFiles::TempDir m_dir{L"chooser"};
    std::unique_ptr<ChildProcess> m_swiftlet;
};

}  // namespace

TEST_F(ChooseFilesWindow, EachFileGetsWhatWasTickedForIt) {
    MakeConflicts(3);
    HWND dialog = OpenChooser(3);
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    EXPECT_EQ(3, SendMessageW(list, CChooseFilesListView::kCount, 0, 0));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CONTINUE)));

    // The first key focuses the first row's new file (left: also when the list already
    // had the focus); space ticks it.
    Key(list, VK_LEFT);
    Key(list, VK_SPACE);
    // Second row: the existing file.
    Key(list, VK_DOWN);
    Key(list, VK_RIGHT);
    Key(list, VK_SPACE);
    // Third row: both.
    Key(list, VK_DOWN);
    Key(list, VK_SPACE);
    Key(list, VK_LEFT);
    Key(list, VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return Check(dialog, IDC_EXISTING_FILES_CHECK) == BST_INDETERMINATE &&
                                     Check(dialog, IDC_NEW_FILES_CHECK) == BST_INDETERMINATE; }));
    EXPECT_TRUE(SaveWindowScreenshot(dialog, L"choose-files-dialog"));

    PostMessageW(GetDlgItem(dialog, IDC_CONTINUE), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_EQ("new 0", Contents(Path(L"dst\\tree", 0))) << "the new file replaced the old one";
    EXPECT_EQ("old 1", Contents(Path(L"dst\\tree", 1))) << "the existing file stayed";
    EXPECT_FALSE(TestFiles::Exists(Path(L"dst\\tree", 1, L" (2)")));
    EXPECT_EQ("old 2", Contents(Path(L"dst\\tree", 2))) << "both: the existing file stays...";
    EXPECT_EQ("new 2", Contents(Path(L"dst\\tree", 2, L" (2)"))) << "...and the copy takes a numbered name";
    EXPECT_EQ(4u, ListFiles(m_dir / L"dst").size());
}

TEST_F(ChooseFilesWindow, BothColumnsTickedKeepBothVersionsOfEveryFile) {
    MakeConflicts(3);
    HWND dialog = OpenChooser(3);
    ASSERT_NE(nullptr, dialog);
    PostMessageW(GetDlgItem(dialog, IDC_NEW_FILES_CHECK), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(dialog, IDC_EXISTING_FILES_CHECK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Check(dialog, IDC_NEW_FILES_CHECK) == BST_CHECKED &&
                                     Check(dialog, IDC_EXISTING_FILES_CHECK) == BST_CHECKED; }));
    PostMessageW(GetDlgItem(dialog, IDC_CONTINUE), BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ("old " + std::to_string(i), Contents(Path(L"dst\\tree", i)));
        EXPECT_EQ("new " + std::to_string(i), Contents(Path(L"dst\\tree", i, L" (2)")));
    }
}

TEST_F(ChooseFilesWindow, CancellingTheDialogLeavesTheQuestionWaiting) {
    MakeConflicts(2);
    HWND dialog = OpenChooser(2);
    ASSERT_NE(nullptr, dialog);
    PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    HWND window = FindTaskWindow(m_swiftlet->Id());
    ASSERT_NE(nullptr, window);
    HWND skip = ViewItem(Panels(window)[0], IDC_SKIP_LINK);
    ASSERT_NE(nullptr, skip) << "the question is still asked";
    PostMessageW(skip, BM_CLICK, 0, 0);
    EXPECT_EQ(0, m_swiftlet->Wait(60000));
    EXPECT_EQ("old 0", Contents(Path(L"dst\\tree", 0)));
    EXPECT_EQ("old 1", Contents(Path(L"dst\\tree", 1)));
}
