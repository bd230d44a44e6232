#pragma once
// Dialog data exchange: a window's DoDataExchange names, control by control, which
// member goes with which control; UpdateData(FALSE) fills the controls from the
// members, UpdateData(TRUE) reads them back. A control that is missing or a value that
// cannot be read makes the exchange fail (UpdateData answers FALSE, the focus goes to
// that control when saving).
#include <windows.h>

#include "framework/CString.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* wnd, BOOL saveAndValidate) noexcept
        : m_pDlgWnd(wnd), m_bSaveAndValidate(saveAndValidate) {}

    // The control with this id; fails the exchange when there is none.
    HWND PrepareCtrl(int id);
    // Ends the exchange as failed (throws CUserException, caught by UpdateData).
    [[noreturn]] void Fail();

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    HWND m_hWndLastControl = nullptr;
};

// The control's text.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// The control's text as a decimal number; text that is not one fails the exchange.
void DDX_Text(CDataExchange* dx, int id, int& value);
// A check box's state: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
void DDX_Check(CDataExchange* dx, int id, int& value);
// Binds control to the dialog's control the first time (SubclassWindow).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
