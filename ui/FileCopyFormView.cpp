#include "ui/FileCopyFormView.h"

#include "control/CoreEventHandler.h"
#include "framework/CDataExchange.h"
#include "ui/ProgressRules.h"
#include "ui/resource.h"

namespace {

const int kMarqueePeriod = 100;

}  // namespace

IMPLEMENT_DYNCREATE(CFileCopyFormView, CFileCopyFormViewBase)

CFileCopyFormView::CFileCopyFormView() : CFileCopyFormViewBase(IDD_PROGRESS_DETAILED) {}

void CFileCopyFormView::DoDataExchange(CDataExchange* dx) {
    CFileCopyFormViewBase::DoDataExchange(dx);
    DDX_Control(dx, IDC_GRAPH, m_graph);
    DDX_Text(dx, IDC_NAME_LINE, m_nameLine);
    DDX_Text(dx, IDC_ITEMS_REMAINING, m_itemsRemaining);
    DDX_Text(dx, IDC_TIME_REMAINING, m_timeRemaining);
}

void CFileCopyFormView::OnInitialUpdate() {
    CFileCopyFormViewBase::OnInitialUpdate();
    m_nameLine = ProgressRules::NameLine(CString());
    m_itemsRemaining = ProgressRules::CalculatingText(IDS_INFO_ITEMS_REMAINING);
    m_timeRemaining = ProgressRules::CalculatingText(IDS_INFO_TIME_REMAINING);
    m_graph.SetMarquee(TRUE, kMarqueePeriod);
    UpdateData(FALSE);
}

void CFileCopyFormView::OnFindTick() {
    const Swiftlet::CoreEventHandlerPost* handler = GetHandler();
    if (handler && handler->value)
        m_itemsRemaining =
            ProgressRules::ItemsRemainingText(handler->value->itemsFound.load(), handler->value->bytesFound.load());
}

void CFileCopyFormView::OnCopyBegin() {
    CFileCopyFormViewBase::OnCopyBegin();
    const Swiftlet::CoreDisplayStatus* status = GetStatus();
    if (!status)
        return;
    m_divisor = ProgressRules::RangeDivisor(status->weightedBytes.total);
    m_graph.SetMarquee(FALSE, kMarqueePeriod);
    m_graph.SetRange(0, ProgressRules::ScaledPosition(status->weightedBytes.total, m_divisor));
    m_graph.SetSpeedRange(0, 0);
    m_timeRemaining = ProgressRules::CalculatingText(IDS_INFO_TIME_REMAINING);
    m_itemsRemaining = ProgressRules::ItemsRemainingText(*status);
    UpdateData(FALSE);
}

void CFileCopyFormView::AddSpeedPoint(const Swiftlet::CoreDisplayStatus& status) {
    const unsigned long long bytesPerSecond = Swiftlet::CoreDisplayStatus::GetSpeed(status.writeLaps);
    const int speed = ProgressRules::GraphSpeed(bytesPerSecond);
    const int position = ProgressRules::ScaledPosition(status.weightedBytes.written, m_divisor);
    if (speed <= 0) {
        m_graph.SetPos(position);
        return;
    }
    int bottom = 0, top = 0;
    m_graph.GetSpeedRange(bottom, top);
    const int newTop = ProgressRules::SpeedRangeTop(speed, top);
    if (newTop != top)
        m_graph.SetSpeedRange(0, newTop);
    const CGraphProgressControl::VData point(speed, ProgressRules::SpeedLabel(static_cast<unsigned long long>(speed)));
    m_graph.SetPos(position, &point);
}

void CFileCopyFormView::OnProgress() {
    CFileCopyFormViewBase::OnProgress();
    const Swiftlet::CoreDisplayStatus* status = GetStatus();
    if (!status)
        return;
    m_timeRemaining = ProgressRules::TimeRemainingText(*status);
    m_itemsRemaining = ProgressRules::ItemsRemainingText(*status);
    AddSpeedPoint(*status);
    // Between two files nothing is being written: the name shown stays.
    if (!status->writeSourcePath.IsEmpty())
        m_nameLine = ProgressRules::NameLine(status->writeSourcePath);
    UpdateData(FALSE);
}

void CFileCopyFormView::SetGraphState(int state) {
    if (state != 0 && m_graph.GetState() != state)
        m_graph.SetState(state);
}

void CFileCopyFormView::OnPauseRequested() {
    CFileCopyFormViewBase::OnPauseRequested();
    SetGraphState(ProgressRules::GraphState(GetState()));
}

void CFileCopyFormView::OnPaused() {
    CFileCopyFormViewBase::OnPaused();
    SetGraphState(ProgressRules::GraphState(GetState()));
}

void CFileCopyFormView::OnResumeRequested() {
    CFileCopyFormViewBase::OnResumeRequested();
    SetGraphState(ProgressRules::GraphState(GetState()));
}

void CFileCopyFormView::OnRunning() {
    CFileCopyFormViewBase::OnRunning();
    SetGraphState(ProgressRules::GraphState(GetState()));
}
