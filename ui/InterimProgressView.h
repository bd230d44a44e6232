#pragma once
// A plain progress view of a panel, shown until the compact and detailed progress views
// exist: the percentage as the caption, the current file's name, a bar, and pause and
// cancel. The panel uses it for both view modes.
#include "framework/Controls.h"
#include "ui/BitmapButtons.h"
#include "ui/FileCopyFormViewBase.h"

class CInterimProgressView : public CFileCopyFormViewBase {
    DECLARE_DYNCREATE(CInterimProgressView)
public:
    CInterimProgressView();

    void OnInitialUpdate() override;
    CString GetCaptionText() override { return m_caption; }

protected:
    void DoDataExchange(CDataExchange* dx) override;

    void OnFindBegin() override;
    void OnFindEnd() override;
    void OnCopyBegin() override;
    void OnProgress() override;
    void OnCancelRequested() override;
    void OnPauseRequested() override;
    void OnResumeRequested() override;
    void OnPaused() override;
    void OnRunning() override;
    void RefreshCaption() override;

private:
    // Enables each button whose engine handle is known.
    void EnableButtons();
    void DisableButtons();
    // Takes the percentage and the current file from the event being delivered.
    void ReadProgress();
    // Shows the name of path's file or folder; an empty name leaves the line as it is.
    void SetName(const CString& path);
    // Sets the caption for the state and tells the task window when it changed.
    void SetCaption(const CString& caption);

    CProgressCtrl m_bar;
    CBitmapPauseButton m_pause;  // status 0 shows pause, 1 resume
    CBitmapCancelButton m_cancel;
    CString m_caption;   // control 1037 and the task window's caption
    CString m_nameLine;  // control 1036
    int m_percent = 0;
};
