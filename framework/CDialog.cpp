#include "framework/CDialog.h"

#include <utility>

#include "framework/Afx.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
END_MESSAGE_MAP()

namespace {
// Whether the dialog being created has been bound (AfxCreateDialog's answer).
thread_local bool t_dialogBound = false;
}  // namespace

INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hwnd))
        return FALSE;  // everything else goes through the object's window procedure
    CWnd* wnd = reinterpret_cast<CWnd*>(lParam);
    if (!wnd || !wnd->BindAndSubclass(hwnd))
        return TRUE;
    t_dialogBound = true;
    try {
        wnd->PreSubclassWindow();
    } catch (...) {
    }
    // WM_INITDIALOG itself now takes the way of every later message.
    return AfxWndProc(hwnd, message, wParam, lParam);
}

LPCDLGTEMPLATEW AfxLoadDialogTemplate(LPCWSTR name) noexcept {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceW(module, name, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    return loaded ? static_cast<LPCDLGTEMPLATEW>(::LockResource(loaded)) : nullptr;
}

HWND AfxCreateDialog(CWnd* wnd, LPCDLGTEMPLATEW dialogTemplate, HWND parent, bool* bound) {
    AfxInitCommonControls();
    bool saved = std::exchange(t_dialogBound, false);
    HWND hwnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), dialogTemplate, parent, &AfxDlgProc,
                                             reinterpret_cast<LPARAM>(wnd));
    if (bound)
        *bound = t_dialogBound;
    t_dialogBound = saved;
    return hwnd;
}

CDialog::CDialog(UINT templateId, CWnd* parent) noexcept
    : m_lpszTemplateName(MAKEINTRESOURCEW(templateId)), m_pParentWnd(parent) {}

CDialog::CDialog(LPCWSTR templateName, CWnd* parent) noexcept
    : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

void CDialog::InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent) noexcept {
    m_lpDialogTemplate = dialogTemplate;
    m_pParentWnd = parent;
}

LPCDLGTEMPLATEW CDialog::LoadTemplate() const noexcept {
    if (m_lpDialogTemplate)
        return m_lpDialogTemplate;
    return m_lpszTemplateName ? AfxLoadDialogTemplate(m_lpszTemplateName) : nullptr;
}

HWND CDialog::PreModal() const {
    HWND owner = SafeHwnd(m_pParentWnd);
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main != this)
            owner = SafeHwnd(main);
    }
    return owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
}

BOOL CDialog::CreateFromTemplate(LPCDLGTEMPLATEW dialogTemplate, HWND parent) {
    if (m_hWnd || !dialogTemplate)
        return FALSE;
    HWND hwnd = AfxCreateDialog(this, dialogTemplate, parent);
    if (hwnd && m_hWnd != hwnd) {
        ::DestroyWindow(hwnd);  // made, but not bound to this object
        return FALSE;
    }
    return hwnd != nullptr;
}

INT_PTR CDialog::DoModal() { return DoModalWithFlags(MLF_SHOWONIDLE); }

INT_PTR CDialog::DoModalWithFlags(DWORD loopFlags) {
    LPCDLGTEMPLATEW dialogTemplate = LoadTemplate();
    if (!dialogTemplate)
        return -1;
    HWND owner = PreModal();
    bool reenableOwner = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        reenableOwner = true;
    }
    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    if (CreateFromTemplate(dialogTemplate, owner)) {
        // OnInitDialog may already have ended the dialog.
        if (m_nFlags & WF_CONTINUEMODAL) {
            DWORD flags = loopFlags;
            if (GetStyle() & DS_NOIDLEMSG)
                flags |= MLF_NOIDLEMSG;
            RunModalLoop(flags);
        }
        if (m_hWnd)
            SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    m_nFlags &= ~(WF_CONTINUEMODAL | WF_MODALLOOP);
    if (reenableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(owner);
    DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) { return Create(MAKEINTRESOURCEW(templateId), parent); }

BOOL CDialog::Create(LPCWSTR templateName, CWnd* parent) {
    m_lpszTemplateName = templateName;
    return CreateIndirect(AfxLoadDialogTemplate(templateName), parent);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent) {
    m_pParentWnd = parent;
    HWND owner = SafeHwnd(parent);
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main != this)
            owner = SafeHwnd(main);
    }
    return CreateFromTemplate(dialogTemplate, owner);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(result);
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                 (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    return input && ::IsDialogMessageW(m_hWnd, msg);
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control)
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), TRUE);
}

void CDialog::NextDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 0, 0); }

void CDialog::PrevDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 1, 0); }
