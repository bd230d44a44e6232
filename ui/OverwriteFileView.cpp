#include "ui/OverwriteFileView.h"

#include "control/CoreEvent.h"
#include "control/CoreDisplayStatus.h"
#include "foundation/Paths.h"
#include "framework/CDataExchange.h"
#include "ui/TaskFrameWnd.h"
#include "ui/resource.h"

using namespace Swiftlet;

IMPLEMENT_DYNCREATE(COverwriteFileView, CTaskFrameFormView)

BEGIN_MESSAGE_MAP(COverwriteFileView, CTaskFrameFormView)
    ON_BN_CLICKED(IDC_YES, OnYes)
    ON_BN_CLICKED(IDC_SKIP, OnSkip)
    ON_COMMAND(IDCANCEL, OnCancelOperation)
END_MESSAGE_MAP()

namespace {

unsigned long long SizeOf(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

CString Line(UINT formatId, const CString& value) {
    CString text;
    text.Format(formatId, value.GetString());
    return text;
}

}  // namespace

COverwriteFileView::COverwriteFileView() : CTaskFrameFormView(IDD_OVERWRITE_FILE) {}

void COverwriteFileView::DoDataExchange(CDataExchange* dx) {
    CTaskFrameFormView::DoDataExchange(dx);
    DDX_Check(dx, IDC_APPLY_TO_ALL, m_applyToAll);
}

CString COverwriteFileView::TimeText(const FILETIME& time) {
    FILETIME local{};
    SYSTEMTIME system{};
    if (!::FileTimeToLocalFileTime(&time, &local) || !::FileTimeToSystemTime(&local, &system))
        return CString();
    wchar_t date[128] = {};
    wchar_t clock[128] = {};
    if (!::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, date, 128) ||
        !::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &system, nullptr, clock, 128))
        return CString();
    return CString(date) + L" " + clock;
}

void COverwriteFileView::SetQuestion(const CopyExceptionOverwrite& question) {
    m_existingPath = question.destinationPath;
    m_existingTime = question.destinationData.ftLastWriteTime;
    m_existingSize = SizeOf(question.destinationData);
    m_newPath = question.sourcePath;
    m_newTime = question.sourceData.ftLastWriteTime;
    m_newSize = SizeOf(question.sourceData);
    OnInitialUpdate();
}

void COverwriteFileView::OnInitialUpdate() {
    CTaskFrameFormView::OnInitialUpdate();
    SendDlgItemMessage(IDC_QUESTION_ICON, STM_SETICON,
                       reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_WARNING)), 0);
    ShowFile(m_existingPath, m_existingTime, m_existingSize, IDC_EXISTING_NAME, IDC_EXISTING_FOLDER,
             IDC_EXISTING_SIZE, IDC_EXISTING_MODIFIED);
    ShowFile(m_newPath, m_newTime, m_newSize, IDC_NEW_NAME, IDC_NEW_FOLDER, IDC_NEW_SIZE, IDC_NEW_MODIFIED);
}

void COverwriteFileView::ShowFile(const CString& path, const FILETIME& time, unsigned long long size, int nameId,
                                  int folderId, int sizeId, int timeId) {
    if (path.IsEmpty())
        return;
    SetDlgItemText(nameId, Line(IDS_INFO_NAME, GetFileNamePart(path)));
    SetDlgItemText(folderId, Line(IDS_INFO_LOCATION, GetParentFolder(path)));
    SetDlgItemText(sizeId, Line(IDS_INFO_SIZE, FormatByteSize(size)));
    SetDlgItemText(timeId, Line(IDS_INFO_MODIFIED, TimeText(time)));
}

void COverwriteFileView::WriteAnswer(CoreEvent& event) {
    static const int kAnswers[] = {kAnswerOverwrite, kAnswerSkip, kAnswerCancel};
    event.answer = m_choice >= 0 && m_choice < 3 ? kAnswers[m_choice] : kAnswerCancel;
    event.applyToAll = m_applyToAll;
}

void COverwriteFileView::Answer(int choice) {
    UpdateData(TRUE);
    m_choice = choice;
    AnswerQuestion(GetTaskFrame(), this);
}

void COverwriteFileView::OnYes() { Answer(0); }

void COverwriteFileView::OnSkip() { Answer(1); }

void COverwriteFileView::OnCancelOperation() { Answer(2); }
