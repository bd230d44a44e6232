#pragma once
// One of Swiftlet's dialog templates made into windows with plain Win32 and a dialog
// procedure that does nothing but paint: what the resource gives, before any of the
// program's classes takes the dialog over.
#include <windows.h>

// Makes the window classes the templates name known to this process: the common
// controls (SysLink, progress bar) and the speed graph's class (registered by the
// graph itself, as in the program). Safe to call again.
void RegisterTemplateClasses();

class TemplateWindow {
public:
    // Creates the dialog of template `id`. A child template (a view of a panel) gets a
    // plain top-level window of its size to live in, placed at `origin`.
    explicit TemplateWindow(int id, POINT origin = POINT{40, 40});
    // Creates template `id` as a child of `parent` at `position` (client pixels).
    TemplateWindow(int id, HWND parent, POINT position);
    ~TemplateWindow();
    TemplateWindow(const TemplateWindow&) = delete;
    TemplateWindow& operator=(const TemplateWindow&) = delete;

    HWND Dialog() const { return m_dialog; }
    // The top-level window: the dialog itself or its host.
    HWND TopLevel() const { return m_host ? m_host : GetAncestor(m_dialog, GA_ROOT); }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    // The rectangle of a control in the dialog's client coordinates.
    RECT ItemRect(HWND item) const;
    // Where the dialog manager puts a control of this dialog-unit position and size.
    RECT Pixels(int x, int y, int cx, int cy) const;

    // Paints a push button the way the program's bitmap buttons do: owner-drawn, the
    // image stretched over the button with white transparent. The bitmap stays the
    // caller's.
    void SetButtonImage(int id, HBITMAP image);
    // Paints an owner-drawn static with an icon, centred. The icon stays the caller's.
    void SetStaticIcon(int id, HICON icon);
    // Gives a control a font the caller owns (for the large captions).
    void SetItemFont(int id, HFONT font);

    void Show();

private:
    void Create(int id, HWND parent);

    HWND m_host = nullptr;
    HWND m_dialog = nullptr;
};
