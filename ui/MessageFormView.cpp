#include "ui/MessageFormView.h"

#include "framework/CDataExchange.h"
#include "ui/TaskFrameWnd.h"
#include "ui/resource.h"

IMPLEMENT_DYNCREATE(CMessageFormView, CTaskFrameFormView)

BEGIN_MESSAGE_MAP(CMessageFormView, CTaskFrameFormView)
    ON_COMMAND(IDOK, OnOK)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CMessageFormView::CMessageFormView() : CTaskFrameFormView(IDD_MESSAGE) {}

void CMessageFormView::DoDataExchange(CDataExchange* dx) { DDX_Text(dx, IDC_MESSAGE_TEXT, m_text); }

void CMessageFormView::SetQuestion(const CString& text) {
    m_text = text;
    OnInitialUpdate();
}

void CMessageFormView::OnOK() {
    UpdateData(TRUE);
    AnswerQuestion(GetTaskFrame(), this);
}

void CMessageFormView::OnClose() { SendMessage(WM_COMMAND, IDOK, 0); }
