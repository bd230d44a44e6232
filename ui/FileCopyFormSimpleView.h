#pragma once
// The compact progress view of a panel: the from/to line, the large percentage caption,
// pause and cancel, and a standard progress bar (a moving marquee until the copy begins,
// drawn in the paused colour while the operation pauses).
#include "framework/Controls.h"
#include "ui/FileCopyFormViewBase.h"

class CFileCopyFormSimpleView : public CFileCopyFormViewBase {
    DECLARE_DYNCREATE(CFileCopyFormSimpleView)
public:
    CFileCopyFormSimpleView();

    void OnInitialUpdate() override;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;

    void OnCopyBegin() override;
    void OnProgress() override;
    void OnPauseRequested() override;
    void OnPaused() override;
    void OnResumeRequested() override;
    void OnRunning() override;

    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();

private:
    void StartMarquee();
    // PBST_NORMAL or PBST_PAUSED; a switch to paused repaints the bar for a few seconds,
    // since the bar does not repaint itself when only its colour changes.
    void SetBarState(int state);
    void StopRepaintTimer();

    CProgressCtrl m_bar;
    long long m_divisor = 1;
    UINT_PTR m_repaintTimer = 0;
    int m_repaintCountdown = 0;
};
