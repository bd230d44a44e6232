#pragma once
// Dialogs made from dialog templates, modal (DoModal) or modeless (Create).
//
// The template comes from the module that holds the resources (AfxGetResourceHandle),
// or is given in memory. The object is bound to its window at WM_INITDIALOG and then
// gets every message through its message map; OnInitDialog runs at that point.
//
// Ownership: a CDialog is not deleted with its window (usually it lives on the stack
// for one DoModal). DoModal destroys the window before it returns. A modeless dialog's
// window is the caller's to destroy (DestroyWindow) before the object goes.
#include "framework/CWnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) noexcept;
    explicit CDialog(LPCWSTR templateName, CWnd* parent = nullptr) noexcept;

    // Runs the dialog modally: disables the owner (the parent given, else the thread's
    // main window), creates the dialog, runs its modal loop (shown when the loop first
    // goes idle) until EndDialog, hides and destroys it, re-enables the owner. Returns the
    // EndDialog code, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // A modeless dialog, child or owned window of parent; FALSE when it was not created.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual BOOL Create(LPCWSTR templateName, CWnd* parent = nullptr);
    virtual BOOL CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr);
    // Uses an in-memory template for DoModal.
    void InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr) noexcept;

    // Runs when the window and its controls exist: exchanges data into the controls
    // (UpdateData(FALSE)). TRUE gives the focus to the first control.
    virtual BOOL OnInitDialog();
    // IDOK: reads the controls back (UpdateData(TRUE)) and ends the dialog with IDOK.
    virtual void OnOK();
    // IDCANCEL (also Escape and the close box): ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // Ends the modal loop with result (and hides a modeless dialog).
    void EndDialog(int result);

    BOOL PreTranslateMessage(MSG* msg) override;

    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void SetDefID(UINT id) { SendMessage(DM_SETDEFID, id); }
    DWORD GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID)); }
    void MapDialogRect(LPRECT rect) const { ::MapDialogRect(m_hWnd, rect); }

    LPCWSTR m_lpszTemplateName = nullptr;
    LPCDLGTEMPLATEW m_lpDialogTemplate = nullptr;
    CWnd* m_pParentWnd = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

    // DoModal with the given modal-loop flags (MLF_NOIDLEMSG is added when the template
    // has DS_NOIDLEMSG). CDialog::DoModal passes MLF_SHOWONIDLE; a dialog that shows
    // itself later passes 0.
    INT_PTR DoModalWithFlags(DWORD loopFlags);
    // The template of m_lpDialogTemplate or m_lpszTemplateName; null when missing.
    LPCDLGTEMPLATEW LoadTemplate() const noexcept;
    // The owner of a modal run.
    HWND PreModal() const;
    BOOL CreateFromTemplate(LPCDLGTEMPLATEW dialogTemplate, HWND parent);
    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM) noexcept;
};

// The dialog procedure of CDialog and CFormView windows: binds the object given as the
// creation parameter at WM_INITDIALOG (running CDialog::OnInitDialog); every other
// message reaches the object through its window procedure.
INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Creates the window of wnd from a template (wnd is bound at WM_INITDIALOG). bound tells
// whether wnd was bound: a null window after binding was destroyed while being created.
HWND AfxCreateDialog(CWnd* wnd, LPCDLGTEMPLATEW dialogTemplate, HWND parent, bool* bound = nullptr);
// The template resource name of the module that holds the resources; null when missing.
LPCDLGTEMPLATEW AfxLoadDialogTemplate(LPCWSTR name) noexcept;
