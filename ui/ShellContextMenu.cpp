#include "ui/ShellContextMenu.h"

namespace UShell {

namespace {

// The menu of one showing, destroyed at the end of the scope.
class PopupMenu {
public:
    PopupMenu() : m_menu(::CreatePopupMenu()) {}
    ~PopupMenu() {
        if (m_menu)
            ::DestroyMenu(m_menu);
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU Get() const { return m_menu; }

private:
    HMENU m_menu;
};

}  // namespace

void ContextMenu::Release() {
    m_menu3.Release();
    m_menu2.Release();
    m_menu.Release();
}

int ContextMenu::Prepare(LPCWSTR path) {
    Release();
    ItemIDList list(m_idLists, path);
    if (!list)
        return 0;
    if (FAILED(GetUIObjectOf(list.Get(), m_findLastID, IID_IContextMenu, m_menu.ReceiveVoid())) || !m_menu) {
        m_menu.Release();
        return 0;
    }
    if (FAILED(m_menu.QueryInterface(m_menu3)))
        m_menu3.Release();
    if (FAILED(m_menu.QueryInterface(m_menu2)))
        m_menu2.Release();
    return 1;
}

HRESULT ContextMenu::QueryMenu(HMENU menu, UINT flags) {
    if (!m_menu || !menu)
        return E_UNEXPECTED;
    return m_menu->QueryContextMenu(menu, static_cast<UINT>(::GetMenuItemCount(menu)), kFirstCommand, 0x7FFF, flags);
}

int ContextMenu::Show(HWND window, POINT screen) {
    PopupMenu menu;
    if (!menu.Get() || FAILED(QueryMenu(menu.Get(), CMF_EXPLORE)))
        return 0;
    const UINT command = static_cast<UINT>(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                                            screen.y, 0, window, nullptr));
    return command >= kFirstCommand ? Invoke(window, command) : 0;
}

int ContextMenu::InvokeDefault(HWND window) {
    PopupMenu menu;
    if (!menu.Get() || FAILED(QueryMenu(menu.Get(), CMF_DEFAULTONLY | CMF_EXPLORE)))
        return 0;
    UINT command = ::GetMenuDefaultItem(menu.Get(), FALSE, 0);
    if (command == static_cast<UINT>(-1))
        command = ::GetMenuItemID(menu.Get(), 0);
    // An empty menu, or one that starts with a submenu or a separator, has nothing to do.
    if (command == static_cast<UINT>(-1) || command < kFirstCommand)
        return 0;
    return Invoke(window, command);
}

static_assert(sizeof(CMINVOKECOMMANDINFO) == 56);

int ContextMenu::Invoke(HWND window, UINT command) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.lpVerb = MAKEINTRESOURCEA(command - kFirstCommand);
    info.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(m_menu->InvokeCommand(&info)) ? 1 : 0;
}

LRESULT ContextMenu::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
        // Only menu items: the window's own owner-drawn controls are drawn as usual.
        const UINT type = !lParam ? 0
                          : message == WM_DRAWITEM ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType
                                                   : reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType;
        if (type != ODT_MENU)
            return -1;
        [[fallthrough]];
    }
    case WM_INITMENUPOPUP:
        if (m_menu3)
            m_menu3->HandleMenuMsg(message, wParam, lParam);
        else if (m_menu2)
            m_menu2->HandleMenuMsg(message, wParam, lParam);
        else
            return -1;
        return message == WM_INITMENUPOPUP ? 0 : 1;
    case WM_MENUCHAR: {
        LRESULT result = 0;
        if (!m_menu3 || FAILED(m_menu3->HandleMenuMsg2(message, wParam, lParam, &result)))
            return -1;
        return result;
    }
    default:
        return -1;
    }
}

}  // namespace UShell
