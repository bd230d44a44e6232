// The questions a job asks in its panel, answered in the real Swiftlet.exe with the
// clicks a user makes: files that already exist at the destination, and error reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TaskWindowDriver.h"
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

    // Starts the copy of tree into dst and waits for its panel to ask about the
    // existing files; the panel, or null.
    HWND StartConflictingCopy() {
        m_swiftlet = std::make_unique<ChildProcess>(L"Swiftlet.exe",
                                                    Quote(m_dir / L"tree") + L" " + Quote(m_dir / L"dst"));
        HWND panel = nullptr;
        EXPECT_TRUE(WaitFor([&] {
            m_window = FindTaskWindow(m_swiftlet->Id());
            if (!m_window || !IsWindowVisible(m_window) || Panels(m_window).size() != 1)
                return false;
            panel = Panels(m_window)[0];
            return ViewItem(panel, IDC_REPLACE_LINK) != nullptr;
        }));
        return panel;
    }

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
    EXPECT_FALSE(IsWindowEnabled(ViewItem(panel, IDC_CHOOSE_LINK))) << "choosing per file is not offered yet";
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
