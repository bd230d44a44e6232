// The task window: jobs arriving from later processes, closing, the caption, and the
// runner that makes a process the UI instance.
#include "engine/CreateCopyOptionCmdLine.h"
#include "framework/CWinApp.h"
#include "ipc/MultiUIServerThread.h"
#include "ui/FileCopyDlg.h"
#include "ui/TaskFrameWnd.h"
#include "ui/TaskFrameWndListView.h"
#include "ui/resource.h"

using Swiftlet::CreateCopyOptionCmdLine;
using Swiftlet::MultiUICommand::ServerCopyFileCommandParam;

void CFileCopyDlg::StopServerThread() {
    Swiftlet::MultiUICommand::ServerThread::StopAndDelete(m_serverThread);
}

LRESULT CFileCopyDlg::OnJobArrived(WPARAM wParam, LPARAM) {
    auto* job = reinterpret_cast<ServerCopyFileCommandParam*>(wParam);
    // A window whose last operation has ended takes nothing: the sender runs the job
    // itself instead of handing it to a window that is closing.
    if (!job || m_ending || !m_list)
        return 0;
    int flags = job->flags;
    CreateCopyOptionCmdLine option(&job->sources, &job->destination, &flags);
    WINDOWPLACEMENT placement{sizeof(placement)};
    if (GetWindowPlacement(&placement) && placement.showCmd == SW_SHOWMINIMIZED)
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    if (AddOperation(m_list, &option) == 1) {
        job->result = 1;
        BringToForeground();
    }
    return 0;
}

void CFileCopyDlg::BringToForeground() {
    // The system lets only the foreground thread hand the foreground on: the window's
    // thread joins that thread's input for the moment it takes it.
    const HWND foreground = ::GetForegroundWindow();
    const DWORD own = ::GetWindowThreadProcessId(m_hWnd, nullptr);
    const DWORD other = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = other != 0 && other != own && ::AttachThreadInput(own, other, TRUE);
    DWORD timeout = 0;
    ::SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow();
    ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(static_cast<UINT_PTR>(timeout)),
                            0);
    if (attached)
        ::AttachThreadInput(own, other, FALSE);
}

void CFileCopyDlg::OnClose() {
    if (!m_list)
        return;
    if (m_list->GetCount() >= 2) {
        CString text;
        CString caption;
        text.LoadString(IDS_CANCEL_ALL_QUESTION);
        caption.LoadString(IDS_CANCEL_ALL_CAPTION);
        if (MessageBox(text, caption, MB_YESNO) != IDYES)
            return;
    }
    // Each panel cancels its operation; the window closes when the last one has ended.
    for (CTaskFrameWnd* panel : m_list->GetPanels())
        panel->PostMessage(WM_CLOSE);
    Default();
}

void UpdateCaption(CFileCopyDlg* taskWindow, const CString& text) {
    if (!taskWindow || !taskWindow->m_hWnd || !taskWindow->GetList())
        return;
    const CTaskFrameWndListView* list = taskWindow->GetList();
    CString caption = text;
    if (list->GetCount() > 1 || text.IsEmpty()) {
        const CTaskFrameWndListView::ViewActionTypeData counts = list->CountActions();
        if (counts.interrupted > 0)
            caption.Format(IDS_INTERRUPTED_ACTIONS, counts.interrupted);
        else if (counts.running > 0)
            caption.Format(IDS_RUNNING_ACTIONS, counts.running);
        else if (counts.paused > 0)
            caption.Format(IDS_PAUSED_ACTIONS, counts.paused);
        else
            caption.Format(IDS_RUNNING_ACTIONS, 0);
    }
    if (taskWindow->GetWindowText() != caption)
        taskWindow->SetWindowText(caption);
}

int RunTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag) {
    int move = flag ? *flag : 0;
    auto* job = new (std::nothrow) CreateCopyOptionCmdLine(&sources, &destination, &move);
    if (!job)
        return 0;
    CFileCopyDlg dialog;
    dialog.SetInitialJob(job);
    RunAsMainWindow(dialog);
    return 1;
}

void RunAsMainWindow(CFileCopyDlg& dialog) {
    CWinThread* thread = AfxGetThread();
    CWnd* previousMain = thread ? thread->m_pMainWnd : nullptr;
    if (thread)
        thread->m_pMainWnd = &dialog;
    dialog.DoModal();
    if (thread)
        thread->m_pMainWnd = previousMain;
    dialog.StopServerThread();
}
