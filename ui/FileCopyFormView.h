#pragma once
// The detailed progress view of a panel: the compact view's top part, the speed graph,
// and lines for the item being copied, the time remaining and the items remaining.
#include "ui/CGraphProgressControl.h"
#include "ui/FileCopyFormViewBase.h"

class CFileCopyFormView : public CFileCopyFormViewBase {
    DECLARE_DYNCREATE(CFileCopyFormView)
public:
    CFileCopyFormView();

    void OnInitialUpdate() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;

    void OnFindTick() override;
    void OnCopyBegin() override;
    void OnProgress() override;
    void OnPauseRequested() override;
    void OnPaused() override;
    void OnResumeRequested() override;
    void OnRunning() override;

private:
    // Raises the graph's speed range when the speed comes near its top, then adds the
    // point of the speed at the current position.
    void AddSpeedPoint(const Swiftlet::CoreDisplayStatus& status);
    void SetGraphState(int state);

    CString m_nameLine;        // control 1031
    CString m_itemsRemaining;  // control 1032
    CString m_timeRemaining;   // control 1034
    CGraphProgressControl m_graph;
    long long m_divisor = 1;
};
