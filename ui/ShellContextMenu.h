#pragma once
// The shell's own context menu of a file, as Explorer shows it.
#include <windows.h>
#include <shobjidl.h>

#include "foundation/ComPtr.h"
#include "foundation/DynamicFunction.h"
#include "ui/ItemIDList.h"

namespace UShell {

class ContextMenu : private noncopyable {
public:
    ContextMenu() = default;
    ~ContextMenu() { Release(); }

    // Asks the shell for the menu of path; 1 when it has one.
    int Prepare(LPCWSTR path);
    bool IsPrepared() const { return static_cast<bool>(m_menu); }
    // Drops the menu.
    void Release();

    // Shows the menu at a screen point for window (which passes on the menu messages,
    // see HandleMenuMessage) and carries out the command the user chooses; 1 when one
    // was carried out.
    int Show(HWND window, POINT screen);
    // Carries out the file's default command (what a double click does); 1 when there
    // was one and it was carried out.
    int InvokeDefault(HWND window = nullptr);

    // The menu's items, with command ids from kFirstCommand on: CMF_... flags as the
    // shell takes them. Fails when the menu is not prepared.
    HRESULT QueryMenu(HMENU menu, UINT flags);

    // For the owner window while the menu is shown: the shell draws and measures its own
    // items, fills its submenus when they open and answers menu keys. The answer of a
    // message the menu takes, or -1 for any other message (the window handles it).
    LRESULT HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Command ids start at 1: TrackPopupMenu answers 0 when nothing was chosen.
    static const UINT kFirstCommand = 1;

private:
    int Invoke(HWND window, UINT command);

    ItemIDListCreator m_idLists;
    UShell::ILFindLastID m_findLastID;
    UShell::SHCreateItemFromIDList m_createItem;
    ComPtr<IContextMenu> m_menu;
    ComPtr<IContextMenu2> m_menu2;
    ComPtr<IContextMenu3> m_menu3;
};

// A window that shows shell context menus: while one is shown, its messages reach the
// menu first (B is a framework window class).
template <class B>
class TContextMenuWnd : public B {
protected:
    int ShowContextMenu(ContextMenu& menu, POINT screen) {
        struct Showing {
            ContextMenu*& shown;
            ~Showing() { shown = nullptr; }
        } showing{m_shownMenu};
        m_shownMenu = &menu;
        return menu.Show(this->m_hWnd, screen);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (m_shownMenu) {
            const LRESULT result = m_shownMenu->HandleMenuMessage(message, wParam, lParam);
            if (result != -1)
                return result;
        }
        return B::WindowProc(message, wParam, lParam);
    }

private:
    ContextMenu* m_shownMenu = nullptr;
};

}  // namespace UShell
