#include "ui/TaskFrameWnd.h"

#include "control/CopyAlgorithmMultiThreadElevate.h"
#include "control/CoreEventHandler.h"
#include "control/CoreEventHandlerDeferred.h"
#include "control/ErrorText.h"
#include "engine/CopyException.h"
#include "ui/FileCopyDlg.h"
#include "ui/FileCopyFormViewBase.h"
#include "ui/FileCopyFormSimpleView.h"
#include "ui/FileCopyFormView.h"
#include "ui/ErrorFormView2.h"
#include "ui/MessageFormView.h"
#include "ui/OverwriteFileView.h"
#include "ui/OverwriteFilesView.h"
#include "ui/TaskFrameWndListView.h"
#include "ui/TaskWindowMessages.h"

using namespace Swiftlet;

IMPLEMENT_DYNCREATE(CTaskFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CTaskFrameWnd, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_MESSAGE(TaskMessages::kCoreEvent, OnCoreEvent)
    ON_MESSAGE(TaskMessages::kOperationEnded, OnOperationEnded)
    ON_MESSAGE(TaskMessages::kCoreStateChanged, OnCoreStateChanged)
    ON_MESSAGE(TaskMessages::kSetViewMode, OnSetViewMode)
END_MESSAGE_MAP()

namespace {

// Where a job goes on when the user chooses administrator rights: Swiftlet.exe itself,
// started elevated, reporting back to the job's panel.
CopyElevateHandOver& ElevateHandOver() {
    static CopyElevateHandOver handOver;
    return handOver;
}

// How many of the two items of a clash are folders.
int FolderCount(const CopyExceptionOverwrite& question) {
    return ((question.sourceData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0) +
           ((question.destinationData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0);
}

}  // namespace

CTaskFrameWnd::~CTaskFrameWnd() {
    if (!m_handler)
        return;
    // A job started for a window that never came is not kept waiting for it.
    if (m_deferred)
        m_deferred->Abandon();
    // The window is gone, so the engine is never blocked by it again: every question
    // goes unanswered, which cancels too.
    while (m_core.thread.load()) {
        m_handler->Cancel();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_core.handler = nullptr;
    delete m_handler;
}

CFileCopyFormViewBase* CTaskFrameWnd::CreateProgressView(CRuntimeClass* viewClass) {
    CCreateContext context;
    context.m_pNewViewClass = viewClass;
    CWnd* view = CreateView(&context, AFX_IDW_PANE_FIRST);
    if (view && !view->IsKindOf(RUNTIME_CLASS(CFileCopyFormViewBase))) {
        view->DestroyWindow();
        return nullptr;
    }
    return static_cast<CFileCopyFormViewBase*>(view);
}

int CTaskFrameWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    m_detailedView = CreateProgressView(RUNTIME_CLASS(CFileCopyFormView));
    m_compactView = CreateProgressView(RUNTIME_CLASS(CFileCopyFormSimpleView));
    if (!m_detailedView || !m_compactView)
        return -1;
    m_detailedView->OnInitialUpdate();
    m_compactView->OnInitialUpdate();
    ActivateView(this, m_compactView);
    ActivateView(this, GetProgressView());
    ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    if (m_deferred) {
        // The job runs already: from now on its events come here.
        m_deferred->Attach(m_hWnd);
        m_deferred = nullptr;
        CatchUp();
        return 0;
    }
    try {
        m_handler = new CoreEventHandlerPost(m_hWnd, TaskMessages::kCoreEvent, TaskMessages::kCoreStateChanged);
    } catch (...) {
        return -1;
    }
    m_core.handler = m_handler;
    m_core.elevateHandOver = &ElevateHandOver();
    // A job whose thread cannot start would never end, and neither would its panel.
    return m_core.Start() == 1 ? 0 : -1;
}

bool CTaskFrameWnd::StartWithoutWindow() {
    if (m_handler)
        return false;
    try {
        m_deferred = new CoreEventHandlerDeferred(TaskMessages::kCoreEvent, TaskMessages::kCoreStateChanged);
    } catch (...) {
        return false;
    }
    m_handler = m_deferred;
    m_core.handler = m_handler;
    m_core.elevateHandOver = &ElevateHandOver();
    return m_core.Start() == 1;
}

CoreEventHandlerDeferred* CTaskFrameWnd::GetDeferredHandler() const { return m_deferred; }

void CTaskFrameWnd::CatchUp() {
    // Read after Attach: a phase change that comes later is an event delivered here.
    const int phase = m_handler->GetPhase();
    if (phase == kPhaseEnumerating) {
        m_detailedView->HandleCoreEvent(kEventFindBegin);
        m_compactView->HandleCoreEvent(kEventFindBegin);
    }
    m_copyCatchUp = phase == kPhaseCopying;
    m_detailedView->HandleStateChanged();
    m_compactView->HandleStateChanged();
}

void CTaskFrameWnd::CatchUpWithCopy(const CoreEvent& event) {
    switch (event.eventCode) {
    case kEventCopyBegin:
        m_copyCatchUp = false;  // the views begin with the event itself
        break;
    case kEventProgress:
    case kEventReadProgress:
    case kEventWriteProgress:
        m_copyCatchUp = false;
        m_detailedView->HandleCoreEvent(kEventCopyBegin);
        m_compactView->HandleCoreEvent(kEventCopyBegin);
        break;
    default:
        break;
    }
}

CFileCopyFormViewBase* CTaskFrameWnd::GetProgressView() const {
    return m_viewMode == TaskMessages::kViewDetailed ? m_detailedView : m_compactView;
}

bool CTaskFrameWnd::IsProgressView(const CWnd* view) const {
    return view && (view == m_detailedView || view == m_compactView);
}

void CTaskFrameWnd::RecalcLayout(BOOL notify) {
    if (GetActiveView())
        CFrameWnd::RecalcLayout(notify);
}

int CTaskFrameWnd::FitToContent() {
    CView* view = GetActiveView();
    if (!view)
        return 0;
    CRect rect;
    view->GetWindowRect(&rect);
    CRect frame(0, 0, rect.Width(), rect.Height());
    CalcWindowRect(&frame);
    SetWindowPos(nullptr, 0, 0, frame.Width(), frame.Height(), SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
    return 1;
}

void CTaskFrameWnd::PropagateSize() {
    if (!m_list || !m_list->m_hWnd)
        return;
    if (m_list->SendMessage(m_sizeMessage, 0, reinterpret_cast<LPARAM>(this)) == 1)
        return;
    if (FitToContent() == 1)
        m_list->SendMessage(m_sizeMessage, 1, reinterpret_cast<LPARAM>(this));
}

void CTaskFrameWnd::PrepareToShow() {
    for (CFileCopyFormViewBase* view : {m_detailedView, m_compactView}) {
        if (view)
            view->ShowPendingFromTo();
    }
}

void CTaskFrameWnd::OnClose() {
    // Closing a panel is cancelling its operation through its view; the panel itself
    // goes when the operation has ended.
    m_closeRequested = true;
    if (CView* view = GetActiveView())
        view->PostMessage(WM_CLOSE);
}

LRESULT CTaskFrameWnd::OnCoreEvent(WPARAM wParam, LPARAM) {
    auto* handler = reinterpret_cast<CoreEventHandlerPost*>(wParam);
    if (!handler || handler != m_handler)
        return 0;
    bool waiting = false;
    try {
        if (handler->event && m_copyCatchUp)
            CatchUpWithCopy(*handler->event);
        if (handler->event)
            waiting = DispatchCoreEvent(*handler->event);
    } catch (...) {
        waiting = false;  // the engine goes on with whatever the event holds
    }
    if (!waiting)
        handler->Answer();
    return 0;
}

bool CTaskFrameWnd::DispatchCoreEvent(CoreEvent& event) {
    switch (event.eventCode) {
    case kEventCoreEnd:
        PostMessage(TaskMessages::kOperationEnded, 1);
        return false;
    case kEventError:
        // The user has closed the job: what it reports on its way out keeps no one.
        return m_closeRequested ? false : ShowError(event.status.exception);
    case kEventQuestion:
        if (m_closeRequested) {
            event.answer = kAnswerCancel;
            return false;
        }
        return AskQuestion(event);
    case kEventFindBegin:
    case kEventCopyBegin:
        if (m_closeRequested)
            m_handler->Cancel();
        [[fallthrough]];
    case kEventFindEnd:
    case kEventProgress:
    case kEventReadProgress:
    case kEventWriteProgress:
        m_detailedView->HandleCoreEvent(event.eventCode);
        m_compactView->HandleCoreEvent(event.eventCode);
        return false;
    default:
        return false;
    }
}

bool CTaskFrameWnd::ShowError(const Exception* e) {
    const CopyException* copy = AsCopyException(e);
    if (copy && (copy->type == kCopyCancelled || copy->type == kCopyStopForElevation))
        return false;
    CString text = GetExceptionPath(e);
    if (!text.IsEmpty())
        text += L"\n\n";
    text += GetErrorText(e, static_cast<int>(m_core.option.move));
    auto* message = static_cast<CMessageFormView*>(CreateQuestionView(RUNTIME_CLASS(CMessageFormView)));
    if (!message)
        return false;
    message->SetQuestion(text);
    ShowUserView(message);
    return true;
}

CWnd* CTaskFrameWnd::CreateQuestionView(CRuntimeClass* viewClass) {
    CCreateContext context;
    context.m_pNewViewClass = viewClass;
    return CreateView(&context, AFX_IDW_PANE_FIRST);
}

bool CTaskFrameWnd::AskQuestion(CoreEvent& event) {
    const CopyException* copy = AsCopyException(event.status.exception);
    const int type = copy ? copy->type : 0;
    const int folders = type == kCopyOverwrite ? FolderCount(*static_cast<const CopyExceptionOverwrite*>(copy)) : 0;
    CTaskFrameFormView* view = nullptr;
    if (type == kCopyOverwriteFiles) {
        auto* files = static_cast<COverwriteFilesView*>(CreateQuestionView(RUNTIME_CLASS(COverwriteFilesView)));
        if (files)
            files->SetQuestion(*static_cast<const CopyExceptionOverwriteFiles*>(copy), event.status.items.total,
                               m_core.option.move != 0);
        view = files;
    } else if (type == kCopyOverwrite && folders == 0) {
        auto* file = static_cast<COverwriteFileView*>(CreateQuestionView(RUNTIME_CLASS(COverwriteFileView)));
        if (file)
            file->SetQuestion(*static_cast<const CopyExceptionOverwrite*>(copy));
        view = file;
    } else if (type == kCopyRetryFile || type == kCopyEncrypted || (type == kCopyOverwrite && folders == 1)) {
        auto* error = static_cast<CErrorFormView2*>(CreateQuestionView(RUNTIME_CLASS(CErrorFormView2)));
        if (error) {
            m_move = static_cast<int>(m_core.option.move);
            error->SetQuestion(event.status.exception, &m_move);
        }
        view = error;
    }
    if (!view) {
        // Two folders of one name are merged without asking: a clash of two folders that
        // comes here anyway, a question of no known kind, or a view that could not be
        // made ends the job rather than guessing.
        event.answer = kAnswerCancel;
        return false;
    }
    ShowUserView(view);
    return true;
}

void CTaskFrameWnd::ShowUserView(CTaskFrameFormView* view) {
    ActivateView(this, view);
    if (m_taskWindow) {
        m_taskWindow->ShowNow();
        // The user is asked: the window comes up from the task bar and to the front.
        if (m_taskWindow->IsIconic())
            m_taskWindow->ShowWindow(SW_RESTORE);
        ::SetForegroundWindow(m_taskWindow->m_hWnd);
    }
}

LRESULT CTaskFrameWnd::OnOperationEnded(WPARAM wParam, LPARAM) {
    if (wParam != 1)
        return 0;
    RemoveOperation(m_list, this);
    DestroyWindow();  // the panel is deleted with its window
    return 0;
}

LRESULT CTaskFrameWnd::OnCoreStateChanged(WPARAM wParam, LPARAM) {
    if (!m_handler || reinterpret_cast<CoreEventHandlerPost*>(wParam) != m_handler)
        return 0;
    m_detailedView->HandleStateChanged();
    m_compactView->HandleStateChanged();
    return 0;
}

LRESULT CTaskFrameWnd::OnSetViewMode(WPARAM wParam, LPARAM) {
    m_viewMode = static_cast<int>(wParam);
    // A question stays; the new mode shows when the panel returns to its progress.
    if (IsProgressView(GetActiveView()))
        ActivateView(this, GetProgressView());
    return 0;
}

void ActivateView(CTaskFrameWnd* panel, CView* view) {
    if (!panel)
        return;
    if (CView* active = panel->GetActiveView()) {
        active->ShowWindow(SW_HIDE);
        active->SetDlgCtrlID(AFX_IDW_PANE_FIRST + 1);
    }
    panel->SetActiveView(view, TRUE);
    if (view) {
        view->SetDlgCtrlID(AFX_IDW_PANE_FIRST);
        view->ShowWindow(SW_SHOW);
    }
    panel->PropagateSize();
    if (CWnd* list = panel->GetList()) {
        NMHDR header{panel->m_hWnd, 0, TaskMessages::kNotifyPanelViewSwitched};
        list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }
}

void AnswerQuestion(CTaskFrameWnd* panel, CTaskFrameFormView* view) {
    if (!panel || !view)
        return;
    CoreEventHandlerPost* handler = panel->GetHandler();
    if (handler) {
        if (handler->event)
            view->WriteAnswer(*handler->event);
        handler->Answer();
    }
    ActivateView(panel, panel->GetProgressView());
    view->DestroyWindow();
}
