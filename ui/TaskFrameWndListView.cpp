#include "ui/TaskFrameWndListView.h"

#include "engine/CopyOption.h"
#include "ui/FileCopyDlg.h"
#include "ui/TaskFrameFormView.h"
#include "ui/TaskFrameWnd.h"
#include "ui/TaskWindowMessages.h"

IMPLEMENT_DYNCREATE(CTaskFrameWndListView, CWndListView)

BEGIN_MESSAGE_MAP(CTaskFrameWndListView, CWndListView)
    ON_MESSAGE(TaskMessages::kGetOperationCount, OnGetOperationCount)
    ON_MESSAGE(TaskMessages::kGetVisibleCount, OnGetVisibleCount)
    ON_MESSAGE(TaskMessages::kPanelSizeChanged, OnPanelSizeChanged)
    ON_NOTIFY(TaskMessages::kNotifyPanelViewSwitched, 0, OnPanelViewSwitched)
    ON_NOTIFY_REFLECT_EX(TaskMessages::kNotifyOperationRemoved, OnOperationRemoved)
END_MESSAGE_MAP()

CTaskFrameWndListView::CTaskFrameWndListView() {
    // Room for a vertical scroll bar on either side keeps the panels where they are
    // when the list starts to scroll.
    m_marginLeft = ::GetSystemMetrics(SM_CXVSCROLL);
    m_marginRight = ::GetSystemMetrics(SM_CYVSCROLL);
    m_marginTop = 0;
    m_gap = 1;
}

void CTaskFrameWndListView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    SetScrollSizes(MM_TEXT, CSize(0, 0));
    ModifyStyle(WS_BORDER, 0);
    ModifyStyleEx(0, WS_EX_CONTROLPARENT);
}

std::vector<CTaskFrameWnd*> CTaskFrameWndListView::GetPanels() const {
    std::vector<CTaskFrameWnd*> panels;
    for (CWnd* child : m_children)
        panels.push_back(static_cast<CTaskFrameWnd*>(child));
    return panels;
}

CTaskFrameWndListView::ViewActionTypeData CTaskFrameWndListView::CountActions() const {
    ViewActionTypeData counts;
    for (CTaskFrameWnd* panel : GetPanels()) {
        CView* view = panel->GetActiveView();
        if (!view || !view->IsKindOf(RUNTIME_CLASS(CTaskFrameFormView)))
            continue;
        switch (static_cast<CTaskFrameFormView*>(view)->GetActionState()) {
        case kActionRunning:
            ++counts.running;
            break;
        case kActionPaused:
            ++counts.paused;
            break;
        case kActionInterrupted:
            ++counts.interrupted;
            break;
        default:
            break;
        }
    }
    return counts;
}

void CTaskFrameWndListView::SetViewMode(int mode) {
    m_viewMode = mode;
    for (CTaskFrameWnd* panel : GetPanels())
        panel->SendMessage(TaskMessages::kSetViewMode, static_cast<WPARAM>(mode));
}

void CTaskFrameWndListView::NotifyParent() {
    CWnd* parent = GetParent();
    if (parent && parent->SendMessage(m_notifyMessage, 0, reinterpret_cast<LPARAM>(this)) == 1)
        return;
    FitToContent();
}

void CTaskFrameWndListView::NotifyOperation(UINT code, HWND panel) {
    CWnd* parent = GetParent();
    if (!parent)
        return;
    NMOPERATION notification{{m_hWnd, 0, code}, panel};
    parent->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notification));
}

LRESULT CTaskFrameWndListView::OnGetOperationCount(WPARAM, LPARAM) { return GetCount(); }

LRESULT CTaskFrameWndListView::OnGetVisibleCount(WPARAM, LPARAM) { return GetVisibleCount(); }

LRESULT CTaskFrameWndListView::OnPanelSizeChanged(WPARAM wParam, LPARAM lParam) {
    auto* panel = reinterpret_cast<CWnd*>(lParam);
    if (wParam != 1 || !panel || CWnd::FromHandlePermanent(panel->m_hWnd) != panel ||
        !panel->IsKindOf(RUNTIME_CLASS(CTaskFrameWnd)))
        return 0;
    LayoutChildren();
    UpdateScrollSizes();
    NotifyParent();
    return 1;
}

void CTaskFrameWndListView::OnPanelViewSwitched(NMHDR*, LRESULT* result) {
    NotifyOperation(TaskMessages::kNotifyViewSwitched, nullptr);
    *result = 0;
}

BOOL CTaskFrameWndListView::OnOperationRemoved(NMHDR*, LRESULT*) {
    RedrawAfterSize();
    return FALSE;  // the task window refreshes its caption too
}

void CTaskFrameWndListView::RedrawAfterSize() {
    const UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME;
    for (CTaskFrameWnd* panel : GetPanels()) {
        if (CView* view = panel->GetActiveView())
            view->RedrawWindow(nullptr, nullptr, flags);
    }
    RedrawWindow(nullptr, nullptr, flags);
}

namespace {

CTaskFrameWndListView* AsOperationList(CWnd* list) {
    if (!list || !list->m_hWnd || !list->IsKindOf(RUNTIME_CLASS(CTaskFrameWndListView)))
        return nullptr;
    CWnd* parent = CWnd::FromHandlePermanent(::GetParent(list->m_hWnd));
    if (!parent || !parent->IsKindOf(RUNTIME_CLASS(CFileCopyDlg)))
        return nullptr;
    return static_cast<CTaskFrameWndListView*>(list);
}

// Gives panel its window in list and adds it; a panel that cannot be made has deleted
// itself (a job it was to start never started).
int PlacePanel(CTaskFrameWndListView* list, CTaskFrameWnd* panel) {
    panel->m_sizeMessage = TaskMessages::kPanelSizeChanged;
    panel->m_viewMode = list->GetViewMode();
    panel->m_taskWindow = static_cast<CFileCopyDlg*>(list->GetParent());
    panel->m_list = list;
    if (!panel->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 0, 0), list))
        return 0;
    list->AddChild(panel);
    list->NotifyParent();
    list->NotifyOperation(TaskMessages::kNotifyOperationAdded, panel->m_hWnd);
    return 1;
}

}  // namespace

int AddOperation(CWnd* listWnd, Swiftlet::ICreateCopyOption* job) {
    CTaskFrameWndListView* list = AsOperationList(listWnd);
    if (!list)
        return 0;
    auto* panel = static_cast<CTaskFrameWnd*>(RUNTIME_CLASS(CTaskFrameWnd)->CreateObject());
    if (!panel)
        return 0;
    if (!job || job->Create() != 1) {
        delete panel;
        return 0;
    }
    panel->m_core.option = job->option;
    return PlacePanel(list, panel);
}

int AddStartedOperation(CWnd* listWnd, CTaskFrameWnd* panel) {
    CTaskFrameWndListView* list = AsOperationList(listWnd);
    if (!list || !panel || !panel->GetDeferredHandler()) {
        delete panel;
        return 0;
    }
    return PlacePanel(list, panel);
}

void RemoveOperation(CWnd* listWnd, CWnd* panel) {
    auto* list = listWnd && listWnd->IsKindOf(RUNTIME_CLASS(CTaskFrameWndListView))
                     ? static_cast<CTaskFrameWndListView*>(listWnd)
                     : nullptr;
    if (!list || !panel || !list->RemoveChild(panel))
        return;
    list->NotifyParent();
    list->NotifyOperation(TaskMessages::kNotifyOperationRemoved, panel->m_hWnd);
}
