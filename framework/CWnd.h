#pragma once
// Windows. A CWnd is the framework object of one window (HWND): messages sent to the
// window reach the object's message map (MessageMap.h) and its virtual functions.
//
// How an object gets its window:
//   - Create / CreateEx: the object is bound to the new window before the window's first
//     message (WM_GETMINMAXINFO, WM_NCCREATE), whatever its class: windows of the
//     framework's own classes and of system classes (BUTTON, SysLink...) alike;
//   - CDialog / CFormView: bound at WM_INITDIALOG;
//   - SubclassWindow / SubclassDlgItem (and DDX_Control): an existing window, typically a
//     dialog's control, is bound and its procedure replaced by the framework's; the old
//     procedure still gets every message the object does not handle (Default);
//   - Attach: the object is bound for calls only; its messages do not pass through it.
//
// Ownership rules:
//   - The binding ends when the window is destroyed (WM_NCDESTROY): the object is
//     detached, then PostNcDestroy runs. CWnd's PostNcDestroy does nothing, so objects on
//     the stack or embedded in others (dialogs, controls) simply outlive their window.
//     Frames and views delete themselves there: create them with new, never on the stack,
//     and do not delete them yourself; destroying the window deletes the object.
//   - When Create fails, an auto-deleting object (frame, view) may already be deleted:
//     touch it no more.
//   - An object destroyed while it still has a window first gives its window back its
//     old procedure, then destroys the window. Detach (or UnsubclassWindow) first to keep
//     the window.
//   - FromHandle gives the bound object of a window, or else a temporary object of this
//     thread that lives until the thread's message loop is next idle outside any window
//     procedure: use it within the handler that got it, never keep it.
//
// Every window procedure of the framework is noexcept: an exception thrown by a handler
// is caught at the procedure's edge (the message answers 0, WM_CREATE answers -1, a
// WM_PAINT is validated) and the window lives on.
#include <windows.h>
#include <commctrl.h>

#include "framework/CObject.h"
#include "framework/CRect.h"
#include "framework/CString.h"
#include "framework/MessageMap.h"

class CDC;
class CFont;
class CFrameWnd;
class CDataExchange;
struct CCreateContext;

// RunModalLoop flags
#define MLF_NOIDLEMSG 0x0001    // no WM_ENTERIDLE to the parent while idle
#define MLF_NOKICKIDLE 0x0002   // no WM_KICKIDLE to the window while idle
#define MLF_SHOWONIDLE 0x0004   // show the window when the loop first goes idle

// CWnd::m_nFlags
#define WF_TOOLTIPS 0x0001
#define WF_MODALLOOP 0x0008
#define WF_CONTINUEMODAL 0x0010

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const noexcept { return m_hWnd; }
    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    // The window of wnd, null for a null object.
    static HWND SafeHwnd(const CWnd* wnd) noexcept { return wnd ? wnd->m_hWnd : nullptr; }

    // --- binding -------------------------------------------------------------------
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd) noexcept;
    BOOL Attach(HWND hwnd) noexcept;
    HWND Detach() noexcept;
    BOOL SubclassWindow(HWND hwnd) noexcept;
    BOOL SubclassDlgItem(UINT id, CWnd* parent) noexcept;
    HWND UnsubclassWindow() noexcept;

    // --- creation and destruction ----------------------------------------------------
    // className null: the framework's plain window class.
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                        UINT id, CCreateContext* context = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();

    // --- overridables ----------------------------------------------------------------
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Called when an existing window is bound by SubclassWindow and when Create binds.
    virtual void PreSubclassWindow();
    // Called after the window is gone and the object detached (see ownership rules).
    virtual void PostNcDestroy();
    // TRUE when the message was handled and must not be dispatched (the message loop
    // asks every framework window from the target up to its top-level window).
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Runs the ON_COMMAND / ON_CONTROL entry for a command id and notification code
    // (0 for menus and accelerators); FALSE when there is none.
    virtual BOOL OnCmdMsg(UINT id, UINT code);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A message of this control that its parent reflects back (see MessageMap.h).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void DoDataExchange(CDataExchange* dx);
    enum AdjustType { adjustBorder = 0, adjustOutside = 1 };
    // Turns a client rectangle into the window rectangle that holds it.
    virtual void CalcWindowRect(LPRECT clientRect, UINT adjustType = adjustBorder);
    // The tool under point for EnableToolTips: fill ti (rect, uFlags, lpszText; hwnd is
    // set) and return the tool's id (it becomes ti.uId), or -1 for none. lpszText stays
    // LPSTR_TEXTCALLBACK to answer TTN_NEEDTEXTW when the tip shows; other text is
    // copied by the tool tip and stays the caller's.
    virtual INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* ti) const;

    // The previous procedure's handling of the message being handled.
    LRESULT Default();
    // The message this window is handling (on this thread).
    static const MSG* GetCurrentMessage() noexcept;

    // Sends a message that a parent reflects back to this control (OnChildNotify).
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Offers a parent's message to the framework object of child hwnd.
    static BOOL ReflectLastMsg(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
    // Asks PreTranslateMessage of every framework window from msg->hwnd up to its
    // top-level window; TRUE as soon as one takes the message.
    static BOOL WalkPreTranslateTree(MSG* msg);

    // --- messages --------------------------------------------------------------------
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE) const;
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) {
        return ::SetTimer(m_hWnd, id, elapse, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK) {
        return ::MessageBoxW(m_hWnd, text, caption, type);
    }

    // --- modal loop ------------------------------------------------------------------
    // Pumps messages until EndModalLoop (see MLF_*); returns the EndModalLoop code, or -1
    // when WM_QUIT arrived (it is posted again for the outer loop).
    int RunModalLoop(DWORD flags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int result);

    // --- family ----------------------------------------------------------------------
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, SafeHwnd(parent))); }
    CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
    // The nearest ancestor whose framework object is a CFrameWnd; null when none.
    CFrameWnd* GetParentFrame() const noexcept;
    CWnd* GetTopLevelParent() const;
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    void GetDlgItem(int id, HWND* hwnd) const noexcept { *hwnd = ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const noexcept { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int id) noexcept {
        return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(id)));
    }
    CWnd* GetWindow(UINT relation) const { return FromHandle(::GetWindow(m_hWnd, relation)); }
    CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const {
        return FromHandle(::GetNextDlgTabItem(m_hWnd, SafeHwnd(control), previous));
    }
    BOOL IsChild(const CWnd* wnd) const noexcept { return ::IsChild(m_hWnd, SafeHwnd(wnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
    BOOL SetForegroundWindow() noexcept { return ::SetForegroundWindow(m_hWnd); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }

    // --- state and style -------------------------------------------------------------
    BOOL IsWindowVisible() const noexcept { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const noexcept { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) noexcept { return ::EnableWindow(m_hWnd, enable); }
    BOOL ShowWindow(int command) noexcept { return ::ShowWindow(m_hWnd, command); }
    BOOL IsIconic() const noexcept { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const noexcept { return ::IsZoomed(m_hWnd); }
    DWORD GetStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    // Removes then adds style bits; with swpFlags the frame is recalculated too.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) noexcept;
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0) noexcept;
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const noexcept;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement) noexcept {
        return ::SetWindowPlacement(m_hWnd, placement);
    }
    HICON SetIcon(HICON icon, BOOL big) noexcept {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    HICON GetIcon(BOOL big) const noexcept {
        return reinterpret_cast<HICON>(SendMessage(WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0));
    }
    void SetFont(CFont* font, BOOL redraw = TRUE) noexcept;
    void SetFont(HFONT font, BOOL redraw = TRUE) noexcept {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    // The window's font handle (WM_GETFONT); it stays the window's.
    HFONT GetFont() const noexcept { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetRedraw(BOOL redraw = TRUE) noexcept { SendMessage(WM_SETREDRAW, redraw); }

    // --- text ------------------------------------------------------------------------
    void SetWindowText(LPCWSTR text) noexcept { ::SetWindowTextW(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    CString GetWindowText() const;
    int GetWindowTextLength() const noexcept { return ::GetWindowTextLengthW(m_hWnd); }
    void SetDlgItemText(int id, LPCWSTR text) noexcept { ::SetDlgItemTextW(m_hWnd, id, text); }
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) noexcept {
        ::SetDlgItemInt(m_hWnd, id, value, isSigned);
    }
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const noexcept {
        return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
    }
    void CheckDlgButton(int id, UINT check) noexcept { ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const noexcept { return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckRadioButton(int first, int last, int check) noexcept { ::CheckRadioButton(m_hWnd, first, last, check); }

    // --- geometry --------------------------------------------------------------------
    void GetWindowRect(LPRECT rect) const noexcept { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(LPRECT rect) const noexcept { ::GetClientRect(m_hWnd, rect); }
    void ClientToScreen(LPPOINT point) const noexcept { ::ClientToScreen(m_hWnd, point); }
    void ClientToScreen(LPRECT rect) const noexcept;
    void ScreenToClient(LPPOINT point) const noexcept { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(LPRECT rect) const noexcept;
    void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const noexcept {
        ::MapWindowPoints(m_hWnd, SafeHwnd(to), points, count);
    }
    void MapWindowPoints(CWnd* to, LPRECT rect) const noexcept {
        ::MapWindowPoints(m_hWnd, SafeHwnd(to), reinterpret_cast<LPPOINT>(rect), 2);
    }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) noexcept {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE) noexcept {
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) noexcept;
    BOOL BringWindowToTop() noexcept { return ::BringWindowToTop(m_hWnd); }

    // --- painting and scrolling ------------------------------------------------------
    void Invalidate(BOOL erase = TRUE) noexcept { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) noexcept { ::InvalidateRect(m_hWnd, rect, erase); }
    void InvalidateRgn(HRGN region, BOOL erase = TRUE) noexcept { ::InvalidateRgn(m_hWnd, region, erase); }
    void ValidateRect(LPCRECT rect) noexcept { ::ValidateRect(m_hWnd, rect); }
    void UpdateWindow() noexcept { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT rect = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) noexcept {
        return ::RedrawWindow(m_hWnd, rect, region, flags);
    }
    void ScrollWindow(int dx, int dy, LPCRECT rect = nullptr, LPCRECT clip = nullptr) noexcept {
        ::ScrollWindow(m_hWnd, dx, dy, rect, clip);
    }
    int GetScrollPos(int bar) const noexcept { return ::GetScrollPos(m_hWnd, bar); }
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE) noexcept { return ::SetScrollPos(m_hWnd, bar, pos, redraw); }
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const noexcept;
    BOOL SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE) noexcept;
    void ShowScrollBar(UINT bar, BOOL show = TRUE) noexcept { ::ShowScrollBar(m_hWnd, static_cast<int>(bar), show); }

    // --- data exchange and tool tips -------------------------------------------------
    // Moves data between the controls and the members (DoDataExchange): from the members
    // to the controls with FALSE, back with TRUE. FALSE when an exchange failed.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // Shows tool tips for the tools OnToolHitTest finds under the mouse.
    BOOL EnableToolTips(BOOL enable = TRUE);
    // The tool-tip control EnableToolTips made (null before), e.g. for TTM_SETMAXTIPWIDTH.
    HWND GetToolTipHandle() const noexcept { return m_hWndToolTip; }

    // Framework state of the window (WF_*).
    UINT m_nFlags = 0;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Default handlers of the window messages the message maps name.
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnTimer(UINT_PTR id);
    // Offers the message to the control first (ON_WM_CTLCOLOR_REFLECT), then Default.
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    // Offer the message to the control (reflection), then Default.
    afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
    afx_msg void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg void OnEnable(BOOL enable);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
    afx_msg void OnWindowPosChanged(WINDOWPOS* pos);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnMButtonDown(UINT flags, CPoint point);
    afx_msg void OnMButtonUp(UINT flags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnMouseHover(UINT flags, CPoint point);
    afx_msg void OnContextMenu(CWnd* wnd, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnHScroll(UINT code, UINT pos, CWnd* scrollBar);
    afx_msg void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnThemeChanged();
    afx_msg void OnSysColorChange();

    // Result of the modal loop (EndModalLoop).
    int m_nModalResult = 0;
    // The procedure the window had before the framework's (null: DefWindowProcW).
    WNDPROC m_pfnSuper = nullptr;

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    friend LRESULT CALLBACK AfxCbtHook(int, WPARAM, LPARAM) noexcept;
    friend class CWndToolTip;

    // Binds the object to hwnd and routes its messages through the framework.
    BOOL BindAndSubclass(HWND hwnd) noexcept;
    void Unbind() noexcept;
    // The end of WM_NCDESTROY: the old procedure's handling, then unbinding.
    LRESULT NcDestroy(WPARAM wParam, LPARAM lParam);
    BOOL DispatchMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT& result);
    BOOL OnCtlColorMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnItemMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void FilterToolTipMessage(const MSG& msg);
    void DestroyToolTip() noexcept;

    BOOL m_bRouted = FALSE;  // the window's messages pass through AfxWndProc
    HWND m_hWndToolTip = nullptr;
    INT_PTR m_nLastToolHit = -1;

public:
    // Deletes this thread's temporary objects (FromHandle) unless a window procedure of
    // the framework is running on the thread. The message loops call it when idle.
    static void DeleteTempMap() noexcept;
};

// The framework's window procedure (for classes of one's own: AfxRegisterWndClass).
LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// A window class of the framework with the given traits, registered once per module;
// returns its name (valid for the life of the process).
LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);

// The main window of the current framework thread, null when there is none.
CWnd* AfxGetMainWnd();

// Gets and dispatches one message of the calling thread through PreTranslateMessage
// (the thread object's when there is one); FALSE on WM_QUIT. msg receives the message.
BOOL AfxPumpMessage(MSG* msg = nullptr);

// Registers the common-control classes dialogs may hold (once per process).
void AfxInitCommonControls() noexcept;

#include "framework/MessageMapThunks.h"
