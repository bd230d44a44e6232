#include "framework/CDataExchange.h"

#include <cwchar>

#include "framework/CException.h"
#include "framework/CWnd.h"

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (!control)
        Fail();
    m_hWndLastControl = control;
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl)
        ::SetFocus(m_hWndLastControl);
    AfxThrowUserException();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        int length = ::GetWindowTextLengthW(control);
        LPWSTR buffer = value.GetBuffer(length);
        int copied = ::GetWindowTextW(control, buffer, length + 1);
        value.ReleaseBuffer(copied);
    } else {
        ::SetWindowTextW(control, value);
    }
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        CString text;
        int length = ::GetWindowTextLengthW(control);
        text.ReleaseBuffer(::GetWindowTextW(control, text.GetBuffer(length), length + 1));
        text.Trim();
        wchar_t* end = nullptr;
        long number = std::wcstol(text, &end, 10);
        if (text.IsEmpty() || *end != L'\0' || number < INT_MIN || number > INT_MAX)
            dx->Fail();
        value = static_cast<int>(number);
    } else {
        ::SetWindowTextW(control, FormatString(L"%d", value));
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd)
        return;
    HWND window = dx->PrepareCtrl(id);
    if (!control.SubclassWindow(window))
        dx->Fail();
}
