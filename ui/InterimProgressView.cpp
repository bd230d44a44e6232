#include "ui/InterimProgressView.h"

#include "control/CoreEventHandler.h"
#include "foundation/Paths.h"
#include "framework/CDataExchange.h"
#include "ui/FileCopyDlg.h"
#include "ui/TaskFrameWnd.h"
#include "ui/resource.h"

using Swiftlet::CoreEventHandlerPost;

IMPLEMENT_DYNCREATE(CInterimProgressView, CFileCopyFormViewBase)

CInterimProgressView::CInterimProgressView() : CFileCopyFormViewBase(IDD_PROGRESS_COMPACT) {}

void CInterimProgressView::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_PROGRESS_BAR, m_bar);
    DDX_Control(dx, IDC_PAUSE, m_pause);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Text(dx, IDC_PROGRESS_CAPTION, m_caption);
    DDX_Text(dx, IDC_FROM_TO, m_nameLine);
}

void CInterimProgressView::OnInitialUpdate() {
    CFileCopyFormViewBase::OnInitialUpdate();
    const COLORREF transparent = RGB(255, 255, 255);
    m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_DISABLED, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER, transparent);
    m_pause.LoadBitmaps(IDB_PAUSE_NORMAL, IDB_PAUSE_DISABLED, IDB_PAUSE_PRESSED, IDB_PAUSE_HOVER, IDB_RESUME_NORMAL,
                        IDB_RESUME_DISABLED, IDB_RESUME_PRESSED, IDB_RESUME_HOVER, transparent);
    if (m_pause.GetStatus() != 0)
        m_pause.SetStatus(0);
    DisableButtons();
    m_bar.SetRange32(0, 100);
    m_bar.SetPos(0);
    // Until the first file is copied the line names what the job copies.
    if (const CTaskFrameWnd* frame = GetTaskFrame(); frame && !frame->m_core.option.sources.empty())
        SetName(frame->m_core.option.sources.front());
    UpdateData(FALSE);
}

void CInterimProgressView::SetName(const CString& path) {
    const CString name = GetFileNamePart(StripStreamSuffix(path));
    if (!name.IsEmpty())
        m_nameLine.Format(IDS_INFO_NAME, name.GetString());
}

void CInterimProgressView::EnableButtons() {
    const CoreEventHandlerPost* handler = GetHandler();
    m_cancel.EnableWindow(handler && handler->cancelEvent);
    m_pause.EnableWindow(handler && handler->runEvent);
}

void CInterimProgressView::DisableButtons() {
    m_cancel.EnableWindow(FALSE);
    m_pause.EnableWindow(FALSE);
}

void CInterimProgressView::ReadProgress() {
    const CoreEventHandlerPost* handler = GetHandler();
    if (!handler || !handler->event)
        return;
    const Swiftlet::CoreDisplayStatus& status = handler->event->status;
    const unsigned long long total = status.weightedBytes.total;
    m_percent = total ? static_cast<int>(status.weightedBytes.written * 100 / total) : 0;
    m_bar.SetPos(m_percent);
    // The file being written, else the one being read; a moment with neither keeps the
    // name shown.
    SetName(status.writeSourcePath.IsEmpty() ? status.readPath : status.writeSourcePath);
}

void CInterimProgressView::SetCaption(const CString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    SetDlgItemText(IDC_PROGRESS_CAPTION, m_caption);
    if (CFileCopyDlg* taskWindow = GetTaskWindow())
        UpdateCaption(taskWindow, m_caption);
}

void CInterimProgressView::RefreshCaption() {
    const CoreEventHandlerPost* handler = GetHandler();
    const int state = handler ? handler->GetState() : Swiftlet::kHandlerInitial;
    CString caption;
    if (state == Swiftlet::kHandlerPauseRequested)
        caption.Format(IDS_PAUSING_PERCENT_COMPLETE, m_percent);
    else if (state == Swiftlet::kHandlerPaused)
        caption.Format(IDS_PAUSED_PERCENT_COMPLETE, m_percent);
    else if (handler && handler->GetPhase() == Swiftlet::kPhaseEnumerating)
        caption.LoadString(IDS_CALCULATING);
    else
        caption.Format(IDS_PERCENT_COMPLETE, m_percent);
    SetCaption(caption);
}

void CInterimProgressView::OnFindBegin() {
    EnableButtons();
    RefreshCaption();
    UpdateData(FALSE);
}

void CInterimProgressView::OnFindEnd() { EnableButtons(); }

void CInterimProgressView::OnCopyBegin() {
    EnableButtons();
    ReadProgress();
    RefreshCaption();
    UpdateData(FALSE);
}

void CInterimProgressView::OnProgress() {
    ReadProgress();
    RefreshCaption();
    UpdateData(FALSE);
}

void CInterimProgressView::OnCancelRequested() { DisableButtons(); }

void CInterimProgressView::OnResumeRequested() { DisableButtons(); }

void CInterimProgressView::OnPauseRequested() {
    m_pause.EnableWindow(FALSE);
    m_pause.SetStatus(1);
}

void CInterimProgressView::OnPaused() {
    const CoreEventHandlerPost* handler = GetHandler();
    m_pause.EnableWindow(handler && handler->runEvent);
    m_pause.SetStatus(1);
}

void CInterimProgressView::OnRunning() {
    EnableButtons();
    m_pause.SetStatus(0);
}
