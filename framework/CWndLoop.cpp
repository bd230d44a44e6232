// CWnd: modal loops, message pre-translation and tool tips.
#include "framework/CWnd.h"

#include "framework/Afx.h"
#include "framework/CWinThread.h"

namespace {

// Whether a pumped message is one after which idle work is worth doing again: mouse
// moves that do not move and the caret's blink timer are not.
bool IsIdleMessage(const MSG& msg) {
    thread_local POINT lastPoint{-1, -1};
    thread_local UINT lastMessage = 0;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (msg.message == lastMessage && msg.pt.x == lastPoint.x && msg.pt.y == lastPoint.y)
            return false;
        lastPoint = msg.pt;
        lastMessage = msg.message;
        return true;
    }
    const UINT caretBlink = 0x0118;
    return msg.message != WM_PAINT && msg.message != caretBlink;
}

}  // namespace

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd;) {
        CWnd* wnd = FromHandlePermanent(hwnd);
        if (wnd && wnd->PreTranslateMessage(msg))
            return TRUE;
        if (!(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD))
            break;  // the top-level window was the last one asked
        hwnd = ::GetParent(hwnd);
    }
    return FALSE;
}

BOOL AfxPumpMessage(MSG* msg) {
    if (CWinThread* thread = AfxGetThread()) {
        BOOL more = thread->PumpMessage();
        if (msg)
            *msg = thread->m_msgCur;
        return more;
    }
    MSG m{};
    BOOL got = ::GetMessageW(&m, nullptr, 0, 0);
    if (msg)
        *msg = m;
    if (got == 0 || got == -1)
        return FALSE;
    if (!AfxPreTranslateMessage(&m)) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    return TRUE;
}

int CWnd::RunModalLoop(DWORD flags) {
    bool idle = true;
    LONG idleCount = 0;
    bool showOnIdle = (flags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    HWND parent = ::GetParent(m_hWnd);
    m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
    MSG msg{};
    for (;;) {
        // Idle: nothing is waiting.
        while (idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showOnIdle = false;
            }
            if (idleCount == 0) {
                if (!(flags & MLF_NOIDLEMSG) && parent)
                    ::SendMessageW(parent, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
                DeleteTempMap();
            }
            if ((flags & MLF_NOKICKIDLE) || !SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++))
                idle = false;
        }
        // Busy: pump what is waiting.
        do {
            if (!AfxPumpMessage(&msg)) {
                // WM_QUIT belongs to the thread's outer loop as well.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return -1;
            }
            if (showOnIdle && (msg.message == 0x0118 || msg.message == WM_SYSKEYDOWN)) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showOnIdle = false;
            }
            if (!ContinueModal()) {
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return m_nModalResult;
            }
            if (IsIdleMessage(msg)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWnd::ContinueModal() { return (m_nFlags & WF_CONTINUEMODAL) != 0; }

void CWnd::EndModalLoop(int result) {
    m_nModalResult = result;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        // Wakes the loop if it waits for a message.
        PostMessage(WM_NULL);
    }
}

// --- tool tips -----------------------------------------------------------------------

INT_PTR CWnd::OnToolHitTest(CPoint, TOOLINFOW*) const { return -1; }

BOOL CWnd::EnableToolTips(BOOL enable) {
    if (!enable) {
        DestroyToolTip();
        return TRUE;
    }
    if (m_hWndToolTip)
        return TRUE;
    AfxInitCommonControls();
    m_hWndToolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                      AfxGetInstanceHandle(), nullptr);
    if (!m_hWndToolTip)
        return FALSE;
    m_nLastToolHit = -1;
    m_nFlags |= WF_TOOLTIPS;
    return TRUE;
}

void CWnd::DestroyToolTip() noexcept {
    m_nFlags &= ~WF_TOOLTIPS;
    if (m_hWndToolTip && ::IsWindow(m_hWndToolTip))
        ::DestroyWindow(m_hWndToolTip);
    m_hWndToolTip = nullptr;
    m_nLastToolHit = -1;
}

void CWnd::FilterToolTipMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        break;
    default:
        return;
    }
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = m_hWnd;
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    INT_PTR hit = OnToolHitTest(CPoint(msg.lParam), &ti);
    if (hit != m_nLastToolHit) {
        if (m_nLastToolHit != -1) {
            TOOLINFOW old{};
            old.cbSize = sizeof(old);
            old.hwnd = m_hWnd;
            old.uId = static_cast<UINT_PTR>(m_nLastToolHit);
            ::SendMessageW(m_hWndToolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&old));
        }
        if (hit != -1) {
            ti.hwnd = m_hWnd;
            ti.uId = static_cast<UINT_PTR>(hit);
            ::SendMessageW(m_hWndToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        }
        m_nLastToolHit = hit;
    }
    MSG relay = msg;
    ::SendMessageW(m_hWndToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
}
