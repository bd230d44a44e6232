// The task window: start, size, layout and painting.
#include "ui/FileCopyDlg.h"

#include <algorithm>

#include "engine/CopyOption.h"
#include "framework/Afx.h"
#include "framework/CDC.h"
#include "ipc/MultiUIServerThread.h"
#include "ui/ChildWindowRegion.h"
#include "ui/DialogBitmap.h"
#include "ui/TaskFrameFormView.h"
#include "ui/TaskFrameWnd.h"
#include "ui/TaskFrameWndListView.h"
#include "ui/TaskWindowMessages.h"
#include "ui/resource.h"

IMPLEMENT_DYNAMIC(CFileCopyDlg, CHideDialog)

BEGIN_MESSAGE_MAP(CFileCopyDlg, CHideDialog)
    ON_MESSAGE(TaskMessages::kListChanged, OnListChanged)
    ON_MESSAGE(TaskMessages::kJobArrived, OnJobArrived)
    ON_WM_TIMER()
    ON_WM_GETMINMAXINFO()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_CLOSE()
    ON_NOTIFY(TaskMessages::kNotifyOperationAdded, 0, OnOperationAdded)
    ON_NOTIFY(TaskMessages::kNotifyOperationRemoved, 0, OnOperationRemovedOrSwitched)
    ON_NOTIFY(TaskMessages::kNotifyViewSwitched, 0, OnOperationRemovedOrSwitched)
    ON_NOTIFY(MSBN_STATUSCHANGED, IDC_DETAILS_TOGGLE, OnDetailsToggled)
END_MESSAGE_MAP()

namespace {

CRect ChildRect(const CWnd* parent, int id) {
    CRect rect;
    ::GetWindowRect(::GetDlgItem(parent->m_hWnd, id), &rect);
    ::MapWindowPoints(nullptr, parent->m_hWnd, reinterpret_cast<LPPOINT>(&rect), 2);
    return rect;
}

}  // namespace

CFileCopyDlg::CFileCopyDlg() : CHideDialog(IDD_TASK_WINDOW) {}

CFileCopyDlg::~CFileCopyDlg() {
    StopServerThread();
    delete m_initialJob;
    delete m_startedPanel;
    if (m_bigIcon)
        ::DestroyIcon(m_bigIcon);
    if (m_smallIcon)
        ::DestroyIcon(m_smallIcon);
}

void CFileCopyDlg::SetInitialJob(Swiftlet::ICreateCopyOption* job) {
    delete m_initialJob;
    m_initialJob = job;
}

void CFileCopyDlg::SetStartedJob(CTaskFrameWnd* panel, Swiftlet::MultiUICommand::ServerThread* server,
                                 DWORD ranMs) {
    m_showDelayMs = ranMs < kShowDelayMs ? kShowDelayMs - ranMs : 0;
    delete m_startedPanel;
    m_startedPanel = panel;
    StopServerThread();
    m_serverThread = server;
}

void CFileCopyDlg::LoadIcons() {
    HINSTANCE module = AfxGetResourceHandle();
    m_bigIcon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_SWIFTLET), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    m_smallIcon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_SWIFTLET), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), 0));
    SetIcon(m_bigIcon, TRUE);
    SetIcon(m_smallIcon, FALSE);
}

bool CFileCopyDlg::CreateList() {
    const CRect place = ChildRect(this, IDC_LIST_PLACEHOLDER);
    CObject* object = RUNTIME_CLASS(CTaskFrameWndListView)->CreateObject();
    auto* list = static_cast<CTaskFrameWndListView*>(object);
    // A list that cannot be made has deleted itself.
    if (!list || !list->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, place, this, 0))
        return false;
    m_list = list;
    m_list->OnInitialUpdate();
    m_list->m_notifyMessage = TaskMessages::kListChanged;
    return true;
}

BOOL CFileCopyDlg::OnInitDialog() {
    CHideDialog::OnInitDialog();
    LoadIcons();
    LoadScaledDialogBitmap(m_hWnd, IDC_BANNER, IDB_BANNER, m_banner);
    m_detailsToggle.SubclassDlgItem(IDC_DETAILS_TOGGLE, this);
    m_detailsToggle.LoadBitmaps(IDB_CHEVRON_NORMAL_COLLAPSED, IDB_CHEVRON_NORMAL_EXPANDED,
                                IDB_CHEVRON_PRESSED_COLLAPSED, IDB_CHEVRON_PRESSED_EXPANDED, IDB_CHEVRON_HOT_COLLAPSED,
                                IDB_CHEVRON_HOT_EXPANDED, IDB_CHEVRON_DISABLED_COLLAPSED,
                                IDB_CHEVRON_DISABLED_EXPANDED, RGB(255, 255, 255));
    m_detailsToggle.Invalidate();
    m_detailsLabel.SubclassDlgItem(IDC_DETAILS_LABEL, this);
    CString label;
    label.LoadString(IDS_MORE_DETAILS);
    m_detailsLabel.SetWindowText(label);
    if (!CreateList()) {
        EndDialog(-1);
        return FALSE;
    }

    CRect window;
    GetWindowRect(&window);
    m_minWidth = window.Width();
    m_fixedHeight = window.Height() - ChildRect(this, IDC_LIST_PLACEHOLDER).Height();
    m_resize.Init(&m_hWnd);
    m_resize.Add({::GetDlgItem(m_hWnd, IDC_BANNER), ResizeItem::noRedraw});
    m_resize.Add({m_detailsToggle.m_hWnd, ResizeItem::noRedraw | ResizeItem::moveX | ResizeItem::moveY});
    m_resize.Add({m_detailsLabel.m_hWnd, ResizeItem::noRedraw | ResizeItem::moveX | ResizeItem::moveY});
    m_resize.Add({m_list->m_hWnd, ResizeItem::noRedraw | ResizeItem::stretchX | ResizeItem::stretchY});
    CenterOnWorkArea();

    if (m_startedPanel) {
        AddStartedOperation(m_list, m_startedPanel);
        m_startedPanel = nullptr;
    }
    // A server started before the window hands its jobs to it from now on, the one it
    // holds first.
    if (m_serverThread)
        m_serverThread->SetTarget(m_hWnd);
    else
        m_serverThread = Swiftlet::MultiUICommand::ServerThread::Start(m_hWnd, TaskMessages::kJobArrived);
    if (m_initialJob) {
        AddOperation(m_list, m_initialJob);
        delete m_initialJob;
        m_initialJob = nullptr;
    }
    if (m_list->SendMessage(TaskMessages::kGetOperationCount) != 0) {
        m_showTimer = SetTimer(kShowTimerId, m_showDelayMs);
        m_started = 1;
        return TRUE;
    }
    StopServerThread();
    EndDialog(-1);
    return FALSE;
}

void CFileCopyDlg::CenterOnWorkArea() {
    // The template places the window nowhere in particular: it opens in the middle of
    // the screen the user works on.
    MONITORINFO monitor{sizeof(monitor)};
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    CRect window;
    GetWindowRect(&window);
    const CRect work(monitor.rcWork);
    const int x = work.left + (work.Width() - window.Width()) / 2;
    const int y = work.top + (work.Height() - window.Height()) / 3;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFileCopyDlg::ShowHidden() {
    if (m_list) {
        for (CTaskFrameWnd* panel : m_list->GetPanels())
            panel->PrepareToShow();
    }
    ShowWindow(SW_SHOW);
}

void CFileCopyDlg::ShowNow() {
    if (!IsWindowVisible())
        ShowHidden();
    if (m_showTimer) {
        KillTimer(m_showTimer);
        m_showTimer = 0;
    }
}

void CFileCopyDlg::OnTimer(UINT_PTR id) {
    if (id != kShowTimerId || id != m_showTimer) {
        CHideDialog::OnTimer(id);
        return;
    }
    ShowHidden();
    KillTimer(m_showTimer);
    m_showTimer = 0;
}

LRESULT CFileCopyDlg::OnListChanged(WPARAM wParam, LPARAM) {
    if (wParam != 0 || !m_list)
        return 0;
    CRect window;
    GetWindowRect(&window);
    const int desired = m_list->GetTotalSize().cy + m_fixedHeight;
    const int current = window.Height();
    UINT flags = 0;
    if (current > desired)
        flags = SWP_NOMOVE;
    else if (current < desired && m_lastHeight != 0 && current < m_lastHeight)
        flags = SWP_NOSIZE;  // the user made the window smaller: it stays so
    const int limit = ::GetSystemMetrics(SM_CYFULLSCREEN) - 10;
    const int height = std::min(desired, limit);
    int y = window.top;
    if (limit < y + height)
        y = (limit - height) / 2 + 10;
    m_lastWidth = m_minWidth;
    m_lastHeight = height;
    // The list changing is no reason to raise or activate the window.
    SetWindowPos(nullptr, window.left, y, m_minWidth, height,
                 flags | SWP_NOOWNERZORDER | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawAll();
    if (m_started == 1 && m_list->GetCount() == 0) {
        m_ending = true;
        StopServerThread();
        EndDialog(1);
    }
    return 1;
}

void CFileCopyDlg::RedrawAll() {
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    for (int id : {IDC_BANNER, IDC_DETAILS_TOGGLE, IDC_DETAILS_LABEL}) {
        if (HWND child = ::GetDlgItem(m_hWnd, id))
            ::RedrawWindow(child, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
    }
}

void CFileCopyDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    if ((m_minWidth != 0 || m_fixedHeight != 0) && m_lastWidth != 0 && m_list) {
        int firstPanel = 0;
        const std::vector<CTaskFrameWnd*> panels = m_list->GetPanels();
        if (!panels.empty()) {
            CRect client;
            panels.front()->GetClientRect(&client);
            firstPanel = client.Height();
        }
        info->ptMinTrackSize = {m_minWidth, m_fixedHeight + firstPanel};
        info->ptMaxTrackSize = {m_lastWidth, m_lastHeight};
    }
    Default();
}

void CFileCopyDlg::OnSize(UINT type, int cx, int cy) {
    CHideDialog::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED) {
        m_resize.OnSize();
        if (m_lastSizeType == SIZE_MINIMIZED)
            RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        else
            RedrawAll();
    }
    m_lastSizeType = static_cast<int>(type);
}

BOOL CFileCopyDlg::OnEraseBkgnd(CDC* dc) {
    CRgn outside;
    if (CCreateRgnRemoveChildWindowRect().Create(m_hWnd, outside))
        dc->FillRgn(outside, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (m_list && m_list->m_hWnd) {
        CRect client;
        GetClientRect(&client);
        CRect list;
        m_list->GetWindowRect(&list);
        ScreenToClient(&list);
        dc->FillRect(CRect(0, list.bottom, client.right, list.bottom + 1), ::GetSysColorBrush(COLOR_3DLIGHT));
    }
    return TRUE;
}

HBRUSH CFileCopyDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    const HWND hwnd = wnd ? wnd->m_hWnd : nullptr;
    if (hwnd == m_hWnd || hwnd == m_detailsToggle.m_hWnd || hwnd == m_detailsLabel.m_hWnd) {
        dc->SetBkColor(RGB(255, 255, 255));
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    return CHideDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CFileCopyDlg::OnPaint() {
    if (!IsIconic()) {
        CHideDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect client;
    GetClientRect(&client);
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_bigIcon);
}

HCURSOR CFileCopyDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_bigIcon); }

void CFileCopyDlg::OnOperationAdded(NMHDR*, LRESULT* result) {
    RefreshToggle();
    *result = 0;
}

void CFileCopyDlg::OnOperationRemovedOrSwitched(NMHDR*, LRESULT* result) {
    RefreshCaption();
    *result = 0;
}

void CFileCopyDlg::RefreshCaption() {
    if (!m_list)
        return;
    const std::vector<CTaskFrameWnd*> panels = m_list->GetPanels();
    if (panels.size() < 2) {
        for (CTaskFrameWnd* panel : panels) {
            CView* view = panel->GetActiveView();
            if (view && view->IsKindOf(RUNTIME_CLASS(CTaskFrameFormView)))
                view->SendMessage(TaskMessages::kRefreshCaption);
        }
    } else {
        UpdateCaption(this, CString());
    }
    RefreshToggle();
}

void CFileCopyDlg::RefreshToggle() {
    if (!m_list)
        return;
    const CTaskFrameWndListView::ViewActionTypeData counts = m_list->CountActions();
    const BOOL enable = counts.running + counts.paused > 0;
    m_detailsToggle.EnableWindow(enable);
    m_detailsLabel.EnableWindow(enable);
}

void CFileCopyDlg::OnDetailsToggled(NMHDR*, LRESULT* result) {
    const bool shown = m_detailsToggle.GetStatus() == 1;
    if (m_list)
        m_list->SetViewMode(shown ? TaskMessages::kViewDetailed : TaskMessages::kViewCompact);
    CString label;
    label.LoadString(shown ? IDS_FEWER_DETAILS : IDS_MORE_DETAILS);
    m_detailsLabel.SetWindowText(label);
    *result = 0;
}
