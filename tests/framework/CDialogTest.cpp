// Dialogs from the tests' own templates: modal loops, keyboard through the message
// pump, data exchange, templates from the resource module, a dialog on a UI thread.
#include <gtest/gtest.h>

#include <functional>

#include "WindowTestIds.h"
#include "WindowTestSupport.h"
#include "tests/support/Screenshot.h"
#include "framework/Afx.h"
#include "framework/CDataExchange.h"
#include "framework/CDialog.h"
#include "framework/CSyncObject.h"
#include "framework/CWinThread.h"
#include "framework/Controls.h"

namespace {

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(UINT id = IDD_TEST_DIALOG, CWnd* parent = nullptr) : CDialog(id, parent) {}

    CString m_text = L"初期値";
    int m_number = 42;
    int m_check = BST_CHECKED;
    CButton m_ownerDrawn;

    // Runs on tick number `ticks` of a 30 ms timer, or with waitVisible on the first
    // tick that finds the dialog shown (the loop shows it once idle, which under load can
    // take several ticks).
    std::function<void(CTestDialog&)> onTimer;
    int ticks = 1;
    bool waitVisible = false;
    int endInInit = 0;
    int initCalls = 0;
    bool boundAtInit = false;
    bool visibleInTimer = false;
    bool hiddenInEveryTick = true;
    int okCalls = 0;

protected:
    DECLARE_MESSAGE_MAP()

    void DoDataExchange(CDataExchange* dx) override {
        if (m_lpszTemplateName != MAKEINTRESOURCEW(IDD_TEST_DIALOG))
            return;
        DDX_Text(dx, IDC_TEST_EDIT, m_text);
        DDX_Text(dx, IDC_TEST_NUMBER, m_number);
        DDX_Check(dx, IDC_TEST_CHECK, m_check);
        DDX_Control(dx, IDC_TEST_OWNERDRAW, m_ownerDrawn);
    }
    BOOL OnInitDialog() override {
        ++initCalls;
        boundAtInit = FromHandlePermanent(m_hWnd) == this;
        CDialog::OnInitDialog();
        if (endInInit) {
            EndDialog(endInInit);
            return FALSE;
        }
        if (onTimer)
            SetTimer(1, 30);
        return TRUE;
    }
    void OnOK() override {
        ++okCalls;
        CDialog::OnOK();
    }
    afx_msg void OnTimer(UINT_PTR id) {
        if (IsWindowVisible())
            hiddenInEveryTick = false;
        if (--ticks > 0 && !(waitVisible && IsWindowVisible()))
            return;
        KillTimer(id);
        visibleInTimer = IsWindowVisible();
        onTimer(*this);
    }
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// A dialog that shows itself when the program says so, not when its loop goes idle.
class CHiddenDialog : public CTestDialog {
public:
    using CTestDialog::CTestDialog;
    INT_PTR DoModal() override { return DoModalWithFlags(0); }
};

// Counts WM_ENTERIDLE, which a modal loop sends its parent when idle.
class COwnerWnd : public CWnd {
public:
    int enterIdle = 0;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg LRESULT OnEnterIdle(WPARAM, LPARAM) {
        ++enterIdle;
        return 0;
    }
};

BEGIN_MESSAGE_MAP(COwnerWnd, CWnd)
    ON_MESSAGE(WM_ENTERIDLE, OnEnterIdle)
END_MESSAGE_MAP()

void PostKey(HWND target, UINT key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

TEST(DialogTest, ModalDialogEndedFromATimerReturnsTheCode) {
    CTestDialog dialog;
    dialog.waitVisible = true;
    dialog.ticks = 500;
    dialog.onTimer = [](CTestDialog& d) {
        SaveWindowScreenshot(d.m_hWnd, L"framework-test-dialog");
        d.EndDialog(42);
    };
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_TRUE(dialog.boundAtInit);
    EXPECT_TRUE(dialog.visibleInTimer);  // shown when the loop first went idle
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_ownerDrawn.m_hWnd, nullptr);
}

TEST(DialogTest, LoopWithoutShowOnIdleLeavesAHiddenDialogHidden) {
    COwnerWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100), nullptr, 0));
    CHiddenDialog hidden(IDD_TEST_HIDDEN, &owner);  // DS_NOIDLEMSG: no WM_ENTERIDLE either
    hidden.ticks = 5;
    hidden.onTimer = [](CTestDialog& d) { d.EndDialog(7); };
    EXPECT_EQ(hidden.DoModal(), 7);
    EXPECT_TRUE(hidden.hiddenInEveryTick);
    EXPECT_EQ(owner.enterIdle, 0);
    EXPECT_TRUE(owner.IsWindowEnabled());  // the owner is enabled again

    CTestDialog shown(IDD_TEST_HIDDEN, &owner);
    shown.waitVisible = true;
    shown.ticks = 500;
    shown.onTimer = [&owner](CTestDialog& d) {
        EXPECT_FALSE(owner.IsWindowEnabled());
        d.EndDialog(8);
    };
    EXPECT_EQ(shown.DoModal(), 8);
    EXPECT_TRUE(shown.visibleInTimer);
    owner.DestroyWindow();
}

TEST(DialogTest, IdleLoopTellsTheOwnerUnlessTheTemplateSaysNot) {
    COwnerWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100), nullptr, 0));
    CTestDialog dialog(IDD_TEST_DIALOG, &owner);
    dialog.waitVisible = true;  // shown in the same idle moment that tells the owner
    dialog.ticks = 500;
    dialog.onTimer = [](CTestDialog& d) { d.EndDialog(1); };
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_GT(owner.enterIdle, 0);
    owner.DestroyWindow();
}

TEST(DialogTest, EscapeAndEnterGoThroughThePumpToCancelAndOk) {
    CTestDialog escaped;
    escaped.onTimer = [](CTestDialog& d) { PostKey(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT), VK_ESCAPE); };
    EXPECT_EQ(escaped.DoModal(), IDCANCEL);

    CTestDialog entered;
    entered.onTimer = [](CTestDialog& d) {
        d.SetDlgItemText(IDC_TEST_EDIT, L"変更しました");
        PostKey(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT), VK_RETURN);
    };
    EXPECT_EQ(entered.DoModal(), IDOK);
    EXPECT_EQ(entered.okCalls, 1);
    EXPECT_EQ(entered.m_text, CString(L"変更しました"));
}

TEST(DialogTest, EndDialogDuringInitialisationSkipsTheLoop) {
    CTestDialog dialog;
    dialog.endInInit = 5;
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(DialogTest, DataExchangeRoundTrips) {
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    CString text;
    dialog.GetDlgItemText(IDC_TEST_EDIT, text);
    EXPECT_EQ(text, CString(L"初期値"));
    dialog.GetDlgItemText(IDC_TEST_NUMBER, text);
    EXPECT_EQ(text, CString(L"42"));
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_TEST_CHECK), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(dialog.m_ownerDrawn.m_hWnd, ::GetDlgItem(dialog.m_hWnd, IDC_TEST_OWNERDRAW));

    dialog.SetDlgItemText(IDC_TEST_EDIT, L"書き換え");
    dialog.SetDlgItemText(IDC_TEST_NUMBER, L" -17 ");
    dialog.CheckDlgButton(IDC_TEST_CHECK, BST_UNCHECKED);
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.m_text, CString(L"書き換え"));
    EXPECT_EQ(dialog.m_number, -17);
    EXPECT_EQ(dialog.m_check, BST_UNCHECKED);

    // Text that is no number fails the exchange and leaves the number as it was.
    dialog.SetDlgItemText(IDC_TEST_NUMBER, L"十二");
    EXPECT_FALSE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.m_number, -17);

    dialog.m_text = L"戻す";
    dialog.m_check = BST_CHECKED;
    EXPECT_TRUE(dialog.UpdateData(FALSE));
    dialog.GetDlgItemText(IDC_TEST_EDIT, text);
    EXPECT_EQ(text, CString(L"戻す"));
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_TEST_CHECK), static_cast<UINT>(BST_CHECKED));

    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_ownerDrawn.m_hWnd, nullptr);
}

TEST(DialogTest, TemplatesComeFromTheResourceModule) {
    CDialog missing(99999u);
    EXPECT_EQ(missing.DoModal(), -1);

    AfxSetResourceHandle(::GetModuleHandleW(L"kernel32.dll"));
    CTestDialog elsewhere;
    elsewhere.endInInit = 3;
    INT_PTR fromKernel = elsewhere.DoModal();
    AfxSetResourceHandle(nullptr);
    EXPECT_EQ(fromKernel, -1);
    EXPECT_EQ(elsewhere.initCalls, 0);

    CTestDialog here;
    here.endInInit = 3;
    EXPECT_EQ(here.DoModal(), 3);
}

namespace {

// A UI thread whose main window is a modeless dialog; cancelling it ends the thread.
class CTestDialogOnThread : public CTestDialog {
public:
    static inline CEvent* s_cancelled = nullptr;

protected:
    void OnCancel() override {
        s_cancelled->SetEvent();
        DestroyWindow();
    }
};

class CDialogThread : public CWinThread {
    DECLARE_DYNCREATE(CDialogThread)
public:
    BOOL InitInstance() override {
        if (!m_dialog.Create(IDD_TEST_DIALOG))
            return FALSE;
        m_pMainWnd = &m_dialog;
        PostKey(::GetDlgItem(m_dialog.m_hWnd, IDC_TEST_EDIT), VK_ESCAPE);
        return TRUE;
    }
    int ExitInstance() override { return 55; }

private:
    CTestDialogOnThread m_dialog;
};
IMPLEMENT_DYNCREATE(CDialogThread, CWinThread)

}  // namespace

TEST(DialogTest, UiThreadPumpsThroughTheDialogAndEndsWithItsMainWindow) {
    CEvent cancelled(FALSE, TRUE);
    CTestDialogOnThread::s_cancelled = &cancelled;
    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CDialogThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(thread->m_hThread, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeThread(thread->m_hThread, &code);
    EXPECT_EQ(code, 55u);
    EXPECT_EQ(::WaitForSingleObject(cancelled, 0), WAIT_OBJECT_0);
    EXPECT_EQ(thread->m_pMainWnd, nullptr);
    delete thread;
}
