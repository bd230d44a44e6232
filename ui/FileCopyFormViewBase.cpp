#include "ui/FileCopyFormViewBase.h"

#include "control/CoreEventHandler.h"
#include "framework/CDataExchange.h"
#include "ui/FileCopyDlg.h"
#include "ui/LinkLine.h"
#include "ui/ProgressRules.h"
#include "ui/TaskFrameWnd.h"
#include "ui/resource.h"

using Swiftlet::CoreEventHandlerPost;

namespace {

const UINT_PTR kFindTimer = 1000;
const UINT kFindTimerPeriod = 500;

// The height of a line of text in font, leading included, as control shows it.
int CellHeight(CWnd& control, HFONT font) {
    TEXTMETRICW metrics{};
    HDC dc = ::GetDC(control.m_hWnd);
    if (!dc)
        return 0;
    HGDIOBJ old = ::SelectObject(dc, font);
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(control.m_hWnd, dc);
    return metrics.tmHeight;
}

}  // namespace

IMPLEMENT_DYNAMIC(CFileCopyFormViewBase, CTaskFrameFormView)

BEGIN_MESSAGE_MAP(CFileCopyFormViewBase, CTaskFrameFormView)
    ON_COMMAND(IDCANCEL, OnCancelOperation)
    ON_BN_CLICKED(IDC_PAUSE, OnPauseOrResume)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CFileCopyFormViewBase::DoDataExchange(CDataExchange* dx) {
    CTaskFrameFormView::DoDataExchange(dx);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_PAUSE, m_pause);
    DDX_Control(dx, IDC_FROM_TO, m_fromTo);
    DDX_Text(dx, IDC_PROGRESS_CAPTION, m_caption);
}

void CFileCopyFormViewBase::OnInitialUpdate() {
    CTaskFrameFormView::OnInitialUpdate();
    const COLORREF transparent = RGB(255, 255, 255);
    m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_DISABLED, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER, transparent);
    m_cancel.EnableWindow(FALSE);
    m_pause.LoadBitmaps(IDB_PAUSE_NORMAL, IDB_PAUSE_DISABLED, IDB_PAUSE_PRESSED, IDB_PAUSE_HOVER, IDB_RESUME_NORMAL,
                        IDB_RESUME_DISABLED, IDB_RESUME_PRESSED, IDB_RESUME_HOVER, transparent);
    if (m_pause.GetStatus() != 0)
        m_pause.SetStatus(0);
    m_pause.EnableWindow(FALSE);

    // The caption's font at the height its control leaves inside two dialog frames.
    if (CWnd* caption = GetDlgItem(IDC_PROGRESS_CAPTION)) {
        LOGFONTW font{};
        HFONT current = reinterpret_cast<HFONT>(caption->SendMessage(WM_GETFONT));
        if (current && ::GetObjectW(current, sizeof(font), &font)) {
            CRect client;
            caption->GetClientRect(&client);
            HDC screen = ::GetDC(nullptr);
            font.lfHeight = ProgressRules::CaptionFontHeight(client.Height(), ::GetSystemMetrics(SM_CYDLGFRAME),
                                                             ::GetDeviceCaps(screen, LOGPIXELSY));
            ::ReleaseDC(nullptr, screen);
            m_captionFont.DeleteObject();
            if (m_captionFont.CreateFontIndirect(&font) && CellHeight(*caption, m_captionFont) > client.Height()) {
                // A font whose lines are taller than its size (leading, tall glyphs) would
                // be cut off at the bottom: it gets the control's height as its cell height.
                font.lfHeight = client.Height();
                m_captionFont.DeleteObject();
                m_captionFont.CreateFontIndirect(&font);
            }
            if (m_captionFont.m_hObject)
                caption->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_captionFont)), TRUE);
        }
    }
    m_fromTo.SetWindowText(L"");
}

// --- reading the operation ----------------------------------------------------------

CoreEventHandlerPost* CFileCopyFormViewBase::GetHandler() const {
    CTaskFrameWnd* frame = GetTaskFrame();
    return frame ? frame->GetHandler() : nullptr;
}

const Swiftlet::CoreDisplayStatus* CFileCopyFormViewBase::GetStatus() const {
    const CoreEventHandlerPost* handler = GetHandler();
    return handler && handler->event ? &handler->event->status : nullptr;
}

int CFileCopyFormViewBase::GetState() const {
    const CoreEventHandlerPost* handler = GetHandler();
    return handler ? handler->GetState() : Swiftlet::kHandlerInitial;
}

int CFileCopyFormViewBase::GetActionState() { return ProgressRules::ActionState(GetState()); }

int CFileCopyFormViewBase::ComputePercentage() const {
    const Swiftlet::CoreDisplayStatus* status = GetStatus();
    return status ? ProgressRules::Percentage(status->weightedBytes.written, status->weightedBytes.total) : 0;
}

// --- dispatch -------------------------------------------------------------------------

void CFileCopyFormViewBase::HandleCoreEvent(int eventCode) {
    if (GetState() != Swiftlet::kHandlerRunning)
        return;
    switch (eventCode) {
    case Swiftlet::kEventFindBegin:
        OnFindBegin();
        break;
    case Swiftlet::kEventFindEnd:
        OnFindEnd();
        break;
    case Swiftlet::kEventCopyBegin:
        OnCopyBegin();
        break;
    case Swiftlet::kEventProgress:
    case Swiftlet::kEventReadProgress:
    case Swiftlet::kEventWriteProgress:
        OnProgress();
        break;
    default:
        break;
    }
}

void CFileCopyFormViewBase::HandleStateChanged() {
    if (!GetHandler())
        return;
    switch (GetState()) {
    case Swiftlet::kHandlerRunning:
        OnRunning();
        break;
    case Swiftlet::kHandlerCancelRequested:
        StopFindTimer();
        OnCancelRequested();
        break;
    case Swiftlet::kHandlerCancelled:
        OnCancelled();
        break;
    case Swiftlet::kHandlerPauseRequested:
        OnPauseRequested();
        break;
    case Swiftlet::kHandlerPaused:
        OnPaused();
        break;
    case Swiftlet::kHandlerResumeRequested:
        OnResumeRequested();
        break;
    default:
        break;
    }
    RefreshCaption();
    UpdateData(FALSE);
}

// --- captions and the from/to line ---------------------------------------------------

void CFileCopyFormViewBase::SetCaption(const CString& caption) {
    m_caption = caption;
    SetDlgItemText(IDC_PROGRESS_CAPTION, m_caption);
    if (CFileCopyDlg* taskWindow = GetTaskWindow())
        UpdateCaption(taskWindow, m_caption);
}

void CFileCopyFormViewBase::RefreshCopyCaption() { SetCaption(ProgressRules::CopyCaption(GetState(), m_percentage)); }

void CFileCopyFormViewBase::RefreshFindCaption() {
    const CoreEventHandlerPost* handler = GetHandler();
    SetCaption(ProgressRules::FindCaption(GetState(), m_percentage, handler ? handler->value : nullptr));
}

void CFileCopyFormViewBase::RefreshCaption() {
    const CoreEventHandlerPost* handler = GetHandler();
    if (handler && handler->GetPhase() == Swiftlet::kPhaseEnumerating)
        RefreshFindCaption();
    else
        RefreshCopyCaption();
}

void CFileCopyFormViewBase::SetFromTo(const CString& line, const CString& from, const CString& to) {
    m_lastFrom = from;
    m_lastTo = to;
    m_pendingLine.Empty();
    if (from.IsEmpty() || to.IsEmpty()) {
        m_fromTo.SetWindowText(L"");
        return;
    }
    const CFileCopyDlg* taskWindow = GetTaskWindow();
    if (taskWindow && taskWindow->m_hWnd && !taskWindow->IsWindowVisible()) {
        m_pendingLine = line;
        m_pendingFrom = from;
        m_pendingTo = to;
        return;
    }
    LinkLine::Fit(m_fromTo.m_hWnd, line, {from, to}, true);
}

void CFileCopyFormViewBase::ShowPendingFromTo() {
    if (m_pendingLine.IsEmpty())
        return;
    const CString line = m_pendingLine;
    m_pendingLine.Empty();
    LinkLine::Fit(m_fromTo.m_hWnd, line, {m_pendingFrom, m_pendingTo}, true);
}

void CFileCopyFormViewBase::RefreshFindFromTo() {
    const CoreEventHandlerPost* handler = GetHandler();
    if (!handler || !handler->value)
        return;
    const CString from = handler->value->GetFrom(), to = handler->value->GetTo();
    if (from == m_lastFrom && to == m_lastTo)
        return;
    const CTaskFrameWnd* frame = GetTaskFrame();
    CString line;
    line.Format(IDS_PREPARING_FROM_TO, L"%s", L"%s",
                ProgressRules::OperationWord(frame && frame->m_core.option.move).GetString());
    SetFromTo(line, from, to);
}

void CFileCopyFormViewBase::RefreshCopyFromTo() {
    const Swiftlet::CoreDisplayStatus* status = GetStatus();
    if (!status || (status->readFolder == m_lastFrom && status->writeDestinationFolder == m_lastTo))
        return;
    const CTaskFrameWnd* frame = GetTaskFrame();
    CString line;
    line.Format(IDS_COPYING_ITEMS_FROM_TO, L"%s", L"%s", status->items.total,
                ProgressRules::OperationWord(frame && frame->m_core.option.move).GetString());
    SetFromTo(line, status->readFolder, status->writeDestinationFolder);
}

// --- events ---------------------------------------------------------------------------

void CFileCopyFormViewBase::EnableButtons() {
    const CoreEventHandlerPost* handler = GetHandler();
    m_cancel.EnableWindow(handler && handler->cancelEvent);
    m_pause.EnableWindow(handler && handler->runEvent);
}

void CFileCopyFormViewBase::StopFindTimer() {
    if (!m_findTimer)
        return;
    KillTimer(m_findTimer);
    m_findTimer = 0;
}

void CFileCopyFormViewBase::OnFindBegin() {
    EnableButtons();
    RefreshFindFromTo();
    RefreshFindCaption();
    if (!m_findTimer)
        m_findTimer = SetTimer(kFindTimer, kFindTimerPeriod);
}

void CFileCopyFormViewBase::OnTimer(UINT_PTR id) {
    if (id != kFindTimer) {
        CTaskFrameFormView::OnTimer(id);
        return;
    }
    const CoreEventHandlerPost* handler = GetHandler();
    if (!handler || handler->GetPhase() != Swiftlet::kPhaseEnumerating) {
        StopFindTimer();
        return;
    }
    RefreshFindFromTo();
    RefreshFindCaption();
    OnFindTick();
    UpdateData(FALSE);
}

void CFileCopyFormViewBase::OnFindEnd() {
    StopFindTimer();
    EnableButtons();
    m_lastFrom.Empty();
    m_lastTo.Empty();
}

void CFileCopyFormViewBase::OnCopyBegin() {
    EnableButtons();
    m_percentage = ComputePercentage();
    RefreshCopyCaption();
    RefreshCopyFromTo();
    UpdateData(FALSE);
}

void CFileCopyFormViewBase::OnProgress() {
    const int percentage = ComputePercentage();
    if (percentage != m_percentage) {
        m_percentage = percentage;
        RefreshCopyCaption();
    }
    RefreshCopyFromTo();
    UpdateData(FALSE);
}

// --- states ---------------------------------------------------------------------------

void CFileCopyFormViewBase::ApplyButtonStates() {
    const CoreEventHandlerPost* handler = GetHandler();
    const ProgressRules::ButtonStates states =
        ProgressRules::ButtonsFor(GetState(), handler && handler->cancelEvent, handler && handler->runEvent);
    if (states.cancelEnabled >= 0)
        m_cancel.EnableWindow(states.cancelEnabled);
    if (states.pauseEnabled >= 0)
        m_pause.EnableWindow(states.pauseEnabled);
    if (states.pauseImage >= 0 && m_pause.GetStatus() != states.pauseImage)
        m_pause.SetStatus(states.pauseImage);
}

void CFileCopyFormViewBase::OnCancelRequested() { ApplyButtonStates(); }

void CFileCopyFormViewBase::OnResumeRequested() { ApplyButtonStates(); }

void CFileCopyFormViewBase::OnPauseRequested() { ApplyButtonStates(); }

void CFileCopyFormViewBase::OnPaused() { ApplyButtonStates(); }

void CFileCopyFormViewBase::OnRunning() { ApplyButtonStates(); }

// --- commands -------------------------------------------------------------------------

void CFileCopyFormViewBase::OnCancelOperation() {
    if (CoreEventHandlerPost* handler = GetHandler())
        handler->Cancel();
}

void CFileCopyFormViewBase::OnPauseOrResume() {
    CoreEventHandlerPost* handler = GetHandler();
    if (!handler)
        return;
    bool asked = false;
    if (handler->GetState() == Swiftlet::kHandlerRunning)
        asked = handler->Pause();
    else if (handler->GetState() == Swiftlet::kHandlerPaused)
        asked = handler->Resume();
    // The click turned the button's image over; nothing happened, so it turns back.
    if (!asked)
        m_pause.SetStatus(m_pause.GetStatus() == 1 ? 0 : 1);
}

void CFileCopyFormViewBase::OnDestroy() {
    StopFindTimer();
    CTaskFrameFormView::OnDestroy();
}
