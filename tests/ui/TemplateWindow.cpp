#include "tests/ui/TemplateWindow.h"

#include <commctrl.h>

#include "tests/ui/DialogTemplateReader.h"
#include "ui/CGraphProgressControl.h"
#include "ui/resource.h"

namespace {

const wchar_t kHostClass[] = L"SwiftletTestTemplateHost";
const wchar_t kImageProp[] = L"SwiftletTestImage";
const wchar_t kIconProp[] = L"SwiftletTestIcon";

// Draws what the program's owner-drawn controls would: a button image with white
// transparent, an icon centred in a static.
void DrawItem(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    FillRect(item.hDC, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (HBITMAP image = static_cast<HBITMAP>(GetPropW(item.hwndItem, kImageProp))) {
        BITMAP bm{};
        GetObjectW(image, sizeof bm, &bm);
        HDC source = CreateCompatibleDC(item.hDC);
        HGDIOBJ old = SelectObject(source, image);
        GdiTransparentBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0,
                       bm.bmWidth, bm.bmHeight, RGB(255, 255, 255));
        SelectObject(source, old);
        DeleteDC(source);
    } else if (HICON icon = static_cast<HICON>(GetPropW(item.hwndItem, kIconProp))) {
        ICONINFO info{};
        BITMAP bm{};
        if (GetIconInfo(icon, &info)) {
            GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        }
        DrawIconEx(item.hDC, (r.left + r.right - bm.bmWidth) / 2, (r.top + r.bottom - bm.bmWidth) / 2, icon,
                   bm.bmWidth, bm.bmWidth, 0, nullptr, DI_NORMAL);
    }
}

// The choose-files dialog keeps the system's colour under its list (the button row);
// every other template is a white page, as the program paints them.
bool KeepsDefaultColour(HWND dialog, HWND control) {
    if (!GetDlgItem(dialog, IDC_FILE_LIST_PLACEHOLDER)) return false;
    const int id = control ? GetDlgCtrlID(control) : 0;
    return !control || id == IDCANCEL || id == IDC_CONTINUE || id == IDC_SKIP_SAME_FILES;
}

INT_PTR CALLBACK TemplateProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(dialog, &client);
            HDC dc = reinterpret_cast<HDC>(wParam);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            if (HWND list = GetDlgItem(dialog, IDC_FILE_LIST_PLACEHOLDER)) {
                RECT r;
                GetWindowRect(list, &r);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
                RECT line{client.left, r.top - 1, client.right, r.top};
                FillRect(dc, &line, GetSysColorBrush(COLOR_3DLIGHT));
                RECT below{client.left, r.bottom, client.right, client.bottom};
                FillRect(dc, &below, GetSysColorBrush(COLOR_3DFACE));
            }
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HWND control = message == WM_CTLCOLORDLG ? nullptr : reinterpret_cast<HWND>(lParam);
            if (KeepsDefaultColour(dialog, control)) return FALSE;
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        }
        case WM_DRAWITEM:
            DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void RegisterTemplateClasses() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    // The graph's class, registered by the program's own code.
    CGraphProgressControl registering;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(instance, kHostClass, &wc)) {
        wc = WNDCLASSW{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kHostClass;
        RegisterClassW(&wc);
    }
}

TemplateWindow::TemplateWindow(int id, POINT origin) {
    RegisterTemplateClasses();
    DialogTemplate t;
    if (ReadDialogTemplate(GetModuleHandleW(nullptr), id, t) && (t.style & WS_CHILD)) {
        m_host = CreateWindowExW(0, kHostClass, L"", WS_POPUP, origin.x, origin.y, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        Create(id, m_host);
        if (m_dialog) {
            RECT r;
            GetWindowRect(m_dialog, &r);
            SetWindowPos(m_host, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    } else {
        Create(id, nullptr);
        if (m_dialog) SetWindowPos(m_dialog, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

TemplateWindow::TemplateWindow(int id, HWND parent, POINT position) {
    RegisterTemplateClasses();
    Create(id, parent);
    if (m_dialog) SetWindowPos(m_dialog, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TemplateWindow::Create(int id, HWND parent) {
    m_dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent, TemplateProc, 0);
}

TemplateWindow::~TemplateWindow() {
    if (m_dialog) {
        for (HWND c = GetWindow(m_dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            RemovePropW(c, kImageProp);
            RemovePropW(c, kIconProp);
        }
        DestroyWindow(m_dialog);
    }
    if (m_host) DestroyWindow(m_host);
}

RECT TemplateWindow::ItemRect(HWND item) const {
    RECT r{};
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The dialog manager converts the position and the size each on its own (so a control
// of 10 units is as wide wherever it starts).
RECT TemplateWindow::Pixels(int x, int y, int cx, int cy) const {
    RECT r{x, y, cx, cy};
    MapDialogRect(m_dialog, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

void TemplateWindow::SetButtonImage(int id, HBITMAP image) {
    HWND button = Item(id);
    SetPropW(button, kImageProp, image);
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SendMessageW(button, BM_SETSTYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW, TRUE);
}

void TemplateWindow::SetStaticIcon(int id, HICON icon) {
    SetPropW(Item(id), kIconProp, icon);
    InvalidateRect(Item(id), nullptr, TRUE);
}

void TemplateWindow::SetItemFont(int id, HFONT font) {
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TemplateWindow::Show() {
    ShowWindow(m_dialog, SW_SHOWNOACTIVATE);
    if (m_host) ShowWindow(m_host, SW_SHOWNOACTIVATE);
}
