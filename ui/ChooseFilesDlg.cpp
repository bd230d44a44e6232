#include "ui/ChooseFilesDlg.h"

#include "framework/CDataExchange.h"
#include "ui/BufferDC.h"
#include "ui/ChooseFilesListView.h"
#include "ui/LinkLine.h"
#include "ui/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

BEGIN_MESSAGE_MAP(CChooseFilesDlg, CDialog)
    ON_BN_CLICKED(IDC_NEW_FILES_CHECK, OnNewColumn)
    ON_BN_CLICKED(IDC_EXISTING_FILES_CHECK, OnExistingColumn)
    ON_COMMAND(kToggleNewColumn, OnToggleNewColumn)
    ON_COMMAND(kToggleExistingColumn, OnToggleExistingColumn)
    ON_BN_CLICKED(IDC_SKIP_SAME_FILES, OnSkipSame)
    ON_BN_CLICKED(IDC_CONTINUE, OnContinue)
    ON_NOTIFY(CChooseFilesListView::kCheckChanged, 0, OnListChanged)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CChooseFilesDlg::CChooseFilesDlg(std::vector<CChooseFilesDrawerData>* pairs, CWnd* parent)
    : CDialog(IDD_CHOOSE_FILES, parent), m_pairs(pairs) {}

CChooseFilesDlg::~CChooseFilesDlg() {
    if (m_accelerators)
        ::DestroyAcceleratorTable(m_accelerators);
}

void CChooseFilesDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_NEW_FILES_CHECK, m_newColumn);
    DDX_Control(dx, IDC_EXISTING_FILES_CHECK, m_existingColumn);
    DDX_Check(dx, IDC_SKIP_SAME_FILES, m_skipSame);
}

BOOL CChooseFilesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!CreateList()) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    FillTexts();
    ACCEL keys[2] = {{FVIRTKEY | FCONTROL, 'F', static_cast<WORD>(kToggleNewColumn)},
                     {FVIRTKEY | FCONTROL, 'A', static_cast<WORD>(kToggleExistingColumn)}};
    m_accelerators = ::CreateAcceleratorTableW(keys, 2);
    return TRUE;
}

bool CChooseFilesDlg::CreateList() {
    CWnd* placeholder = GetDlgItem(IDC_FILE_LIST_PLACEHOLDER);
    if (!placeholder)
        return false;
    CRect rect;
    placeholder->GetClientRect(&rect);
    placeholder->MapWindowPoints(this, &rect);
    CObject* object = RUNTIME_CLASS(CChooseFilesListView)->CreateObject();
    auto* list = dynamic_cast<CChooseFilesListView*>(object);
    if (!list) {
        delete object;
        return false;
    }
    // A view that fails to be made deletes itself.
    if (!list->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, this, IDC_FILE_LIST))
        return false;
    m_list = list;
    m_list->SetWindowPos(placeholder, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
    m_list->OnInitialUpdate();
    m_list->SetFont(GetFont(), FALSE);
    if (m_pairs)
        for (CChooseFilesDrawerData& pair : *m_pairs)
            m_list->SendMessage(CChooseFilesListView::kAppend, reinterpret_cast<WPARAM>(&pair));
    m_list->SendMessage(CChooseFilesListView::kLoaded);
    return true;
}

void CChooseFilesDlg::FillTexts() {
    CString text;
    text.Format(IDS_FILE_CONFLICTS, static_cast<long long>(m_pairs ? m_pairs->size() : 0));
    SetWindowText(text);

    const int same = static_cast<int>(m_list->SendMessage(CChooseFilesListView::kCountSame));
    text.Format(IDS_SKIP_SAME_FILES, same);
    SetDlgItemText(IDC_SKIP_SAME_FILES, text);
    if (CWnd* skip = GetDlgItem(IDC_SKIP_SAME_FILES))
        skip->EnableWindow(same > 0);

    text.LoadString(IDS_FILES_FROM_FOLDER);
    if (m_newColumn.GetLinkCtrl().m_hWnd)
        LinkLine::Fit(m_newColumn.GetLinkCtrl().m_hWnd, text, {m_sourceFolder}, true);
    text.LoadString(IDS_FILES_ALREADY_IN_FOLDER);
    if (m_existingColumn.GetLinkCtrl().m_hWnd)
        LinkLine::Fit(m_existingColumn.GetLinkCtrl().m_hWnd, text, {m_destinationFolder}, true);
}

BOOL CChooseFilesDlg::PreTranslateMessage(MSG* msg) {
    if (m_accelerators && m_hWnd && ::TranslateAcceleratorW(m_hWnd, m_accelerators, msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// ---- the column boxes ----

void CChooseFilesDlg::OnNewColumn() { ColumnClicked(1); }

void CChooseFilesDlg::OnExistingColumn() { ColumnClicked(2); }

void CChooseFilesDlg::ColumnClicked(int side) {
    // The box itself cycles through three states; what the click means comes from what
    // the box showed before it: a fully checked column is cleared, anything else (also
    // a partly checked one) is checked.
    const bool check = m_columnShown[side - 1] != BST_CHECKED;
    CShellOpenLinkCtrlCheckBox& box = side == 1 ? m_newColumn : m_existingColumn;
    box.SetCheck(check ? BST_CHECKED : BST_UNCHECKED);
    m_columnShown[side - 1] = check ? BST_CHECKED : BST_UNCHECKED;
    if (m_list)
        m_list->SendMessage(CChooseFilesListView::kSetColumn, MAKEWPARAM(side == 1 ? 1 : 2, check ? 1 : 0));
    LRESULT ignored = 0;
    OnListChanged(nullptr, &ignored);
}

void CChooseFilesDlg::ToggleColumn(UINT id, UINT) {
    CWnd* box = GetDlgItem(static_cast<int>(id));
    if (!box || !box->IsWindowEnabled())
        return;
    const LRESULT state = box->SendMessage(BM_GETCHECK);
    box->SendMessage(BM_SETCHECK, state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box->m_hWnd));
}

void CChooseFilesDlg::OnToggleNewColumn() { ToggleColumn(IDC_NEW_FILES_CHECK, kToggleNewColumn); }

void CChooseFilesDlg::OnToggleExistingColumn() { ToggleColumn(IDC_EXISTING_FILES_CHECK, kToggleExistingColumn); }

void CChooseFilesDlg::ShowColumnState(CShellOpenLinkCtrlCheckBox& box, int checked, int visible, int side) {
    int state = BST_UNCHECKED;
    if (visible > 0 && checked == visible)
        state = BST_CHECKED;
    else if (visible > 0 && checked > 0)
        state = BST_INDETERMINATE;
    box.SetCheck(state);
    m_columnShown[side - 1] = state;
    box.EnableWindow(visible > 0);
    if (box.GetLinkCtrl().m_hWnd)
        box.GetLinkCtrl().EnableWindow(visible > 0);
    box.Invalidate(TRUE);
}

void CChooseFilesDlg::OnListChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!m_list)
        return;
    const int visible = static_cast<int>(m_list->SendMessage(CChooseFilesListView::kVisibleCount));
    int left = 0;
    int right = 0;
    if (visible > 0)
        m_list->SendMessage(CChooseFilesListView::kCountChecked, reinterpret_cast<WPARAM>(&left),
                            reinterpret_cast<LPARAM>(&right));
    ShowColumnState(m_newColumn, left, visible, 1);
    ShowColumnState(m_existingColumn, right, visible, 2);
}

void CChooseFilesDlg::OnSkipSame() {
    UpdateData(TRUE);
    if (m_list)
        m_list->SendMessage(CChooseFilesListView::kShowSame, m_skipSame == BST_CHECKED ? 0 : 1);
}

// ---- the result ----

int CChooseFilesDlg::Reduce(const std::vector<int>& choices) {
    if (choices.empty())
        return kResultExisting;
    int result = choices.front();
    for (int choice : choices)
        if (choice != result)
            return kResultMixed;
    return result;
}

void CChooseFilesDlg::OnContinue() {
    m_fileResults.clear();
    std::vector<int> choices;
    const int count = m_list ? static_cast<int>(m_list->SendMessage(CChooseFilesListView::kCount)) : 0;
    for (int i = 0; i < count; ++i) {
        int left[2] = {i, 1};
        int right[2] = {i, 2};
        int row[1] = {i};
        CString path;
        int choice = kResultExisting;
        if (m_list->SendMessage(CChooseFilesListView::kGetPath, reinterpret_cast<WPARAM>(left),
                                reinterpret_cast<LPARAM>(&path)) == 1 &&
            m_list->SendMessage(CChooseFilesListView::kIsVisible, reinterpret_cast<WPARAM>(row)) == 1) {
            const bool a = m_list->SendMessage(CChooseFilesListView::kIsChecked, reinterpret_cast<WPARAM>(left)) == 1;
            const bool b = m_list->SendMessage(CChooseFilesListView::kIsChecked, reinterpret_cast<WPARAM>(right)) == 1;
            choice = a && b ? kResultBoth : a ? kResultNew : kResultExisting;
        }
        m_fileResults[path] = choice;
        choices.push_back(choice);
    }
    m_result = Reduce(choices);
    if (m_result != kResultMixed)
        m_fileResults.clear();
    EndDialog(IDOK);
}

// ---- looks ----

BOOL CChooseFilesDlg::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    Graphic::DC::CBufferDC buffer(dc, client);
    CDC* target = buffer.GetDC();
    if (!m_list || !m_list->m_hWnd) {
        target->FillSolidRect(&client, kWhite);
        return TRUE;
    }
    CRect list;
    m_list->GetWindowRect(&list);
    ScreenToClient(&list);
    target->FillSolidRect(0, 0, client.Width(), list.bottom, kWhite);
    target->FillSolidRect(0, list.top - 1, client.Width(), 1, ::GetSysColor(COLOR_3DLIGHT));
    const CRect below(0, list.bottom, client.right, client.bottom);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(target->m_hDC), reinterpret_cast<LPARAM>(m_hWnd)));
    target->FillRect(&below, brush ? brush : ::GetSysColorBrush(COLOR_3DFACE));
    return TRUE;
}

HBRUSH CChooseFilesDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    const bool self = !wnd || wnd->m_hWnd == m_hWnd;
    const int id = self ? 0 : wnd->GetDlgCtrlID();
    if (self || id == IDCANCEL || id == IDC_CONTINUE || id == IDC_SKIP_SAME_FILES)
        return CDialog::OnCtlColor(dc, wnd, ctlColor);
    dc->SetBkColor(kWhite);
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}
