#pragma once
// An error report in an operation's panel: the text and OK. The operation's engine
// waits until the user has read it; OK (or closing the view) only lets it go on.
#include "ui/TaskFrameFormView.h"

class CMessageFormView : public CTaskFrameFormView {
    DECLARE_DYNCREATE(CMessageFormView)
public:
    CMessageFormView();

    int GetActionState() override { return kActionInterrupted; }
    // Stores the text and fills the view with it.
    virtual void SetQuestion(const CString& text);
    const CString& GetText() const { return m_text; }

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnOK();
    afx_msg void OnClose();

private:
    CString m_text;
};
