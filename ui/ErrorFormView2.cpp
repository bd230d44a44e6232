#include "ui/ErrorFormView2.h"

#include <commctrl.h>

#include "control/CoreDisplayStatus.h"
#include "control/CoreEvent.h"
#include "foundation/ComApartment.h"
#include "foundation/DynamicFunction.h"
#include "foundation/Paths.h"
#include "framework/CDataExchange.h"
#include "ui/OverwriteFileView.h"
#include "ui/ProgressRules.h"
#include "ui/TaskFrameWnd.h"
#include "ui/TaskWindowMessages.h"
#include "ui/resource.h"

using namespace Swiftlet;

IMPLEMENT_DYNCREATE(CErrorFormView2, CTaskFrameFormView)

BEGIN_MESSAGE_MAP(CErrorFormView2, CTaskFrameFormView)
    ON_BN_CLICKED(IDC_MAIN_ACTION, OnMainAction)
    ON_BN_CLICKED(IDC_SKIP, OnSkip)
    ON_COMMAND(IDCANCEL, OnCancelOperation)
END_MESSAGE_MAP()

namespace {

const int kInfoLines[] = {IDC_INFO_LINE1, IDC_INFO_LINE2, IDC_INFO_LINE3, IDC_INFO_LINE4, IDC_INFO_LINE5};

CString ItemWord(DWORD attributes) {
    CString word;
    word.LoadString((attributes & FILE_ATTRIBUTE_DIRECTORY) ? IDS_ITEM_FOLDER : IDS_ITEM_FILE);
    return word;
}

CString Line(UINT formatId, const CString& value) {
    CString text;
    text.Format(formatId, value.GetString());
    return text;
}

bool IsDriveRoot(const CString& path) { return path.GetLength() == 3 && path[1] == L':' && path[2] == L'\\'; }

}  // namespace

CErrorFormView2::CErrorFormView2() : CTaskFrameFormView(IDD_ERROR_QUESTION) {}

void CErrorFormView2::DoDataExchange(CDataExchange* dx) {
    CTaskFrameFormView::DoDataExchange(dx);
    if (!m_image.m_hWnd)
        DDX_Control(dx, IDC_ITEM_IMAGE, m_image);
    DDX_Check(dx, IDC_APPLY_TO_ALL, m_applyToAll);
}

void CErrorFormView2::SetQuestion(const Exception* question, const int* move) {
    m_question = question;
    m_move = move ? *move : 0;
    OnInitialUpdate();
}

void CErrorFormView2::SetMainButton(UINT textId, int kind) {
    CString text;
    text.LoadString(textId);
    SetDlgItemText(IDC_MAIN_ACTION, text);
    m_mainAction = kind;
}

void CErrorFormView2::OnInitialUpdate() {
    CTaskFrameFormView::OnInitialUpdate();
    SetDlgItemText(IDC_ERROR_TEXT, L"");
    SetDlgItemText(IDC_ERROR_NOTE, L"");
    for (int id : kInfoLines) SetDlgItemText(id, L"");
    const CString operation = ProgressRules::OperationWord(m_move == 1);
    const CopyException* copy = AsCopyException(m_question);
    CString text;
    if (copy && copy->type == kCopyEncrypted) {
        const auto* e = static_cast<const CopyExceptionEncrypted*>(copy);
        const CString item = ItemWord(e->data.dwFileAttributes);
        text.Format(IDS_ENCRYPTION_QUESTION, item.GetString(), operation.GetString());
        SetDlgItemText(IDC_ERROR_TEXT, text);
        text.Format(IDS_ENCRYPTION_NOTE, item.GetString(), operation.GetString());
        SetDlgItemText(IDC_ERROR_NOTE, text);
        ShowItem(e->path, &e->data);
        SetMainButton(IDS_BUTTON_YES, kWithoutEncryption);
    } else if (copy && copy->type == kCopyOverwrite) {
        const auto* e = static_cast<const CopyExceptionOverwrite*>(copy);
        const bool newIsFolder = (e->sourceData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const CString folder = ItemWord(FILE_ATTRIBUTE_DIRECTORY);
        const CString file = ItemWord(0);
        text.Format(IDS_ERROR_NAME_TAKEN, newIsFolder ? folder.GetString() : file.GetString(),
                    newIsFolder ? file.GetString() : folder.GetString());
        SetDlgItemText(IDC_ERROR_TEXT, text);
        GetDlgItem(IDC_ERROR_NOTE)->ShowWindow(SW_HIDE);
        ShowItem(e->sourcePath, &e->sourceData);
        SetMainButton(IDS_BUTTON_RETRY, kRetry);
    } else if (copy && copy->type == kCopyRetryFile) {
        const auto* e = static_cast<const CopyExceptionRetryFile*>(copy);
        const DWORD code = e->error ? e->error->error : 0;
        const WIN32_FILE_ATTRIBUTE_DATA* data = e->dataValid ? &e->data : nullptr;
        if (code == ERROR_ACCESS_DENIED) {
            text.Format(IDS_ERROR_NEEDS_ADMIN, operation.GetString());
            SetDlgItemText(IDC_ERROR_TEXT, text);
            GetDlgItem(IDC_ERROR_NOTE)->ShowWindow(SW_HIDE);
            m_caption = GetSystemErrorMessage(code);
            SendMessage(TaskMessages::kRefreshCaption);
            if (e->isElevated) {
                SetMainButton(IDS_BUTTON_RETRY, kRetry);
            } else {
                SetMainButton(IDS_BUTTON_CONTINUE, kElevate);
                SendDlgItemMessage(IDC_MAIN_ACTION, BCM_SETSHIELD, 0, TRUE);
            }
        } else {
            SetDlgItemText(IDC_ERROR_TEXT, GetSystemErrorMessage(code));
            if (code == ERROR_SHARING_VIOLATION) {
                text.LoadString(IDS_ERROR_CLOSE_FILE);
                SetDlgItemText(IDC_ERROR_NOTE, text);
            } else {
                GetDlgItem(IDC_ERROR_NOTE)->ShowWindow(SW_HIDE);
            }
            SetMainButton(IDS_BUTTON_RETRY, kRetry);
        }
        ShowItem(e->path, data);
    }
}

void CErrorFormView2::ShowItem(const CString& path, const WIN32_FILE_ATTRIBUTE_DATA* data) {
    if (path.IsEmpty())
        return;
    m_image.SetFile(path);
    Com::EnsureThreadApartment();
    static const UShell::SHGetFileInfoW getFileInfo;
    CString displayName;
    CString typeName;
    SHFILEINFOW info{};
    if (getFileInfo.IsAvailable() && getFileInfo(path.GetString(), 0, &info, static_cast<UINT>(sizeof info),
                                                 SHGFI_DISPLAYNAME | SHGFI_TYPENAME)) {
        info.szDisplayName[MAX_PATH - 1] = L'\0';
        info.szTypeName[79] = L'\0';
        displayName = info.szDisplayName;
        typeName = info.szTypeName;
    }
    CString name = displayName;
    if (name.IsEmpty())
        name = GetFileNamePart(path);
    if (name.IsEmpty())
        name = path;
    SetDlgItemText(IDC_INFO_LINE1, name);

    std::vector<CString> lines;
    const bool folder = !data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (IsDriveRoot(path) && folder) {
        ULARGE_INTEGER available{}, total{}, free{};
        if (::GetDiskFreeSpaceExW(path, &available, &total, &free)) {
            lines.push_back(Line(IDS_INFO_FREE_SPACE, FormatByteSize(available.QuadPart)));
            lines.push_back(Line(IDS_INFO_CAPACITY, FormatByteSize(total.QuadPart)));
        }
    } else if (!folder) {
        if (!typeName.IsEmpty())
            lines.push_back(Line(IDS_INFO_TYPE, typeName));
        const unsigned long long size =
            (static_cast<unsigned long long>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
        lines.push_back(Line(IDS_INFO_SIZE, FormatByteSize(size)));
        lines.push_back(Line(IDS_INFO_MODIFIED, COverwriteFileView::TimeText(data->ftLastWriteTime)));
    } else if (data) {
        lines.push_back(Line(IDS_INFO_CREATED, COverwriteFileView::TimeText(data->ftCreationTime)));
    }
    for (size_t i = 0; i < lines.size() && i + 1 < std::size(kInfoLines); ++i)
        SetDlgItemText(kInfoLines[i + 1], lines[i]);
}

void CErrorFormView2::WriteAnswer(CoreEvent& event) {
    switch (m_choice) {
    case kRetry:
        event.answer = kAnswerRetry;
        break;
    case kElevate:
        event.answer = kAnswerElevate;
        break;
    case kWithoutEncryption:
        event.answer = kAnswerWithoutEncryption;
        break;
    case 3:
        event.answer = kAnswerSkip;
        break;
    default:
        event.answer = kAnswerCancel;
        break;
    }
    event.applyToAll = m_applyToAll;
}

void CErrorFormView2::Answer(int choice) {
    UpdateData(TRUE);
    m_choice = choice;
    AnswerQuestion(GetTaskFrame(), this);
}

void CErrorFormView2::OnMainAction() {
    UpdateData(TRUE);
    // Retrying or restarting with other rights is for this item alone.
    if (m_mainAction == kRetry || m_mainAction == kElevate)
        m_applyToAll = 0;
    m_choice = m_mainAction;
    AnswerQuestion(GetTaskFrame(), this);
}

void CErrorFormView2::OnSkip() { Answer(3); }

void CErrorFormView2::OnCancelOperation() { Answer(4); }
