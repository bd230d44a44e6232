// CWnd: message maps, reflection to controls and the default handlers.
#include "framework/CWnd.h"

#include "framework/CDC.h"

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG* msg = GetCurrentMessage();
    // Only this window's own message has a default handling here.
    if (!msg || msg->hwnd != m_hWnd)
        return 0;
    return DefWindowProc(msg->message, msg->wParam, msg->lParam);
}

BOOL CWnd::DispatchMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool byCodeAndId = message == WM_COMMAND || message == WM_NOTIFY;
    const bool byCode = message == WM_REFLECT_BASE + WM_COMMAND || message == WM_REFLECT_BASE + WM_NOTIFY;
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage; ++entry) {
            if (entry->nMessage != message)
                continue;
            if ((byCodeAndId || byCode) && entry->nCode != code)
                continue;
            if (byCodeAndId && (id < entry->nID || id > entry->nLastID))
                continue;
            LRESULT r = 0;
            // The handler may destroy the window and with it this object: nothing of
            // the object is used once a handler took the message.
            if (entry->pfnThunk(this, *entry, wParam, lParam, r)) {
                result = r;
                return TRUE;
            }
        }
    }
    return FALSE;
}

namespace {

bool IsCtlColorMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

}  // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (IsCtlColorMessage(message))
        return OnCtlColorMessage(message, wParam, lParam, result);
    switch (message) {
    case WM_COMMAND:
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 0;
        return TRUE;
    case WM_NOTIFY:
        return lParam ? OnNotify(wParam, lParam, result) : FALSE;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
        return OnItemMessage(message, wParam, lParam, result);
    case WM_HSCROLL:
    case WM_VSCROLL:
        // A scroll-bar control's (or trackbar's) own messages go to it first.
        if (lParam && reinterpret_cast<HWND>(lParam) != m_hWnd &&
            ReflectLastMsg(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result))
            return TRUE;
        break;
    default:
        break;
    }
    LRESULT r = 0;
    if (!DispatchMap(message, 0, 0, wParam, lParam, r))
        return FALSE;
    *result = r;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control) {
        if (control != m_hWnd && ReflectLastMsg(control, WM_COMMAND, wParam, lParam))
            return TRUE;
    } else {
        code = 0;  // menus (0) and accelerators (1) reach the same ON_COMMAND entries
    }
    return OnCmdMsg(id, code);
}

BOOL CWnd::OnCmdMsg(UINT id, UINT code) {
    LRESULT r = 0;
    return DispatchMap(WM_COMMAND, code, id, MAKEWPARAM(id, code), 0, r);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom && header->hwndFrom != m_hWnd &&
        ReflectLastMsg(header->hwndFrom, WM_NOTIFY, wParam, lParam, result))
        return TRUE;
    LRESULT r = 0;
    if (!DispatchMap(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), wParam, lParam, r))
        return FALSE;
    *result = r;
    return TRUE;
}

BOOL CWnd::OnCtlColorMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    AFX_CTLCOLOR color{reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
    LRESULT r = 0;
    if (DispatchMap(WM_CTLCOLOR, 0, 0, 0, reinterpret_cast<LPARAM>(&color), r)) {
        *result = r;
        return TRUE;
    }
    CDC dc = CDC::Borrow(color.hDC);
    *result = reinterpret_cast<LRESULT>(OnCtlColor(&dc, FromHandle(color.hWnd), color.nCtlType));
    return TRUE;
}

namespace {

// The control an owner-draw message is about; null for menus.
HWND ItemControl(HWND parent, UINT message, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        return item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        return item->CtlType == ODT_MENU ? nullptr : ::GetDlgItem(parent, static_cast<int>(item->CtlID));
    }
    case WM_COMPAREITEM:
        return reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    case WM_DELETEITEM:
        return reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
    default:
        return nullptr;
    }
}

}  // namespace

BOOL CWnd::OnItemMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT r = 0;
    if (DispatchMap(message, 0, 0, wParam, lParam, r)) {
        *result = r;
        return TRUE;
    }
    HWND control = lParam ? ItemControl(m_hWnd, message, lParam) : nullptr;
    return control && control != m_hWnd && ReflectLastMsg(control, message, wParam, lParam, result);
}

BOOL CWnd::ReflectLastMsg(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    CWnd* wnd = FromHandlePermanent(child);
    if (!wnd)
        return FALSE;
    LRESULT r = 0;
    if (!wnd->OnChildNotify(message, wParam, lParam, &r))
        return FALSE;
    if (result)
        *result = r;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT r = 0;
    BOOL handled = FALSE;
    if (IsCtlColorMessage(message)) {
        AFX_CTLCOLOR color{m_hWnd, reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
        handled = DispatchMap(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, reinterpret_cast<LPARAM>(&color), r);
        if (handled && result)
            *result = r;
        return handled;
    }
    switch (message) {
    case WM_COMMAND:
        handled = DispatchMap(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0, wParam, lParam, r);
        break;
    case WM_NOTIFY:
        handled = DispatchMap(WM_REFLECT_BASE + WM_NOTIFY, reinterpret_cast<NMHDR*>(lParam)->code, 0, wParam,
                              lParam, r);
        break;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        handled = DispatchMap(WM_REFLECT_BASE + message, 0, 0, wParam, lParam, r);
        break;
    default:
        return FALSE;
    }
    if (handled && result)
        *result = r;
    return handled;
}

// --- default handlers: the previous procedure's handling -------------------------------

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }

HBRUSH CWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    if (wnd && wnd->m_hWnd != m_hWnd) {
        LRESULT r = 0;
        if (ReflectLastMsg(wnd->m_hWnd, WM_CTLCOLORMSGBOX + ctlColor, reinterpret_cast<WPARAM>(dc->m_hDC),
                           reinterpret_cast<LPARAM>(wnd->m_hWnd), &r))
            return reinterpret_cast<HBRUSH>(r);
    }
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int id, LPDRAWITEMSTRUCT dis) {
    HWND control = ItemControl(m_hWnd, WM_DRAWITEM, reinterpret_cast<LPARAM>(dis));
    if (!control || !ReflectLastMsg(control, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(dis)))
        Default();
}

void CWnd::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis) {
    HWND control = ItemControl(m_hWnd, WM_MEASUREITEM, reinterpret_cast<LPARAM>(mis));
    if (!control ||
        !ReflectLastMsg(control, WM_MEASUREITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(mis)))
        Default();
}

void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnMouseHover(UINT, CPoint) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnHScroll(UINT, UINT, CWnd*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CWnd*) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
LRESULT CWnd::OnThemeChanged() { return Default(); }
void CWnd::OnSysColorChange() { Default(); }
