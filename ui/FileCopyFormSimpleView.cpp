#include "ui/FileCopyFormSimpleView.h"

#include <commctrl.h>

#include "control/CoreEventHandler.h"
#include "framework/CDataExchange.h"
#include "ui/ProgressRules.h"
#include "ui/resource.h"

namespace {

const UINT kMarqueePeriod = 100;
const UINT_PTR kRepaintTimer = 1010;
const UINT kRepaintPeriod = 1000;
const int kRepaintTicks = 3;

}  // namespace

IMPLEMENT_DYNCREATE(CFileCopyFormSimpleView, CFileCopyFormViewBase)

BEGIN_MESSAGE_MAP(CFileCopyFormSimpleView, CFileCopyFormViewBase)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CFileCopyFormSimpleView::CFileCopyFormSimpleView() : CFileCopyFormViewBase(IDD_PROGRESS_COMPACT) {}

void CFileCopyFormSimpleView::DoDataExchange(CDataExchange* dx) {
    CFileCopyFormViewBase::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROGRESS_BAR, m_bar);
}

void CFileCopyFormSimpleView::OnInitialUpdate() {
    CFileCopyFormViewBase::OnInitialUpdate();
    StartMarquee();
    UpdateData(FALSE);
}

void CFileCopyFormSimpleView::StartMarquee() {
    m_bar.ModifyStyle(0, PBS_MARQUEE);
    m_bar.SetMarquee(TRUE, kMarqueePeriod);
}

void CFileCopyFormSimpleView::OnCopyBegin() {
    CFileCopyFormViewBase::OnCopyBegin();
    const Swiftlet::CoreDisplayStatus* status = GetStatus();
    const unsigned long long total = status ? status->weightedBytes.total : 0;
    m_divisor = ProgressRules::RangeDivisor(total);
    m_bar.ModifyStyle(PBS_MARQUEE, 0);
    m_bar.SetMarquee(FALSE, kMarqueePeriod);
    m_bar.SetRange32(0, ProgressRules::ScaledPosition(total, m_divisor));
}

void CFileCopyFormSimpleView::OnProgress() {
    CFileCopyFormViewBase::OnProgress();
    if (const Swiftlet::CoreDisplayStatus* status = GetStatus())
        m_bar.SetPos(ProgressRules::ScaledPosition(status->weightedBytes.written, m_divisor));
}

void CFileCopyFormSimpleView::SetBarState(int state) {
    if (state == 0 || m_bar.GetState() == state)
        return;
    m_bar.SetState(state);
    if (state != PBST_PAUSED)
        return;
    m_repaintCountdown = kRepaintTicks;
    if (!m_repaintTimer)
        m_repaintTimer = SetTimer(kRepaintTimer, kRepaintPeriod);
}

void CFileCopyFormSimpleView::OnPauseRequested() {
    CFileCopyFormViewBase::OnPauseRequested();
    SetBarState(ProgressRules::BarState(GetState()));
}

void CFileCopyFormSimpleView::OnPaused() {
    CFileCopyFormViewBase::OnPaused();
    SetBarState(ProgressRules::BarState(GetState()));
}

void CFileCopyFormSimpleView::OnResumeRequested() {
    CFileCopyFormViewBase::OnResumeRequested();
    SetBarState(ProgressRules::BarState(GetState()));
}

void CFileCopyFormSimpleView::OnRunning() {
    CFileCopyFormViewBase::OnRunning();
    SetBarState(ProgressRules::BarState(GetState()));
}

void CFileCopyFormSimpleView::OnShowWindow(BOOL show, UINT status) {
    CFileCopyFormViewBase::OnShowWindow(show, status);
    // A bar hidden while the sources were counted stopped its marquee.
    const Swiftlet::CoreEventHandlerPost* handler = GetHandler();
    if (show && handler && handler->GetPhase() == Swiftlet::kPhaseEnumerating)
        StartMarquee();
}

void CFileCopyFormSimpleView::OnTimer(UINT_PTR id) {
    if (id != kRepaintTimer) {
        CFileCopyFormViewBase::OnTimer(id);
        return;
    }
    m_bar.Invalidate();
    if (--m_repaintCountdown <= 0)
        StopRepaintTimer();
}

void CFileCopyFormSimpleView::StopRepaintTimer() {
    if (!m_repaintTimer)
        return;
    KillTimer(m_repaintTimer);
    m_repaintTimer = 0;
}

void CFileCopyFormSimpleView::OnDestroy() {
    StopRepaintTimer();
    CFileCopyFormViewBase::OnDestroy();
}
