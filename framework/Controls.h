#pragma once
// The standard controls the dialogs hold: button, static, SysLink and progress bar.
// Each is a CWnd of the system's class, made with Create or bound to a dialog's control
// with DDX_Control / SubclassDlgItem; ownership as CWnd (not deleted with the window).
//
// Owner-drawn buttons and statics (BS_OWNERDRAW, SS_OWNERDRAW) draw in DrawItem: the
// parent's WM_DRAWITEM is reflected to the control.
#include "framework/CWnd.h"

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    CButton() = default;
    BOOL Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    UINT GetState() const noexcept { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL highlight) noexcept { SendMessage(BM_SETSTATE, highlight); }
    int GetCheck() const noexcept { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) noexcept { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
    UINT GetButtonStyle() const noexcept { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) noexcept { SendMessage(BM_SETSTYLE, style, redraw); }
    HBITMAP SetBitmap(HBITMAP bitmap) noexcept {
        return reinterpret_cast<HBITMAP>(SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HICON SetIcon(HICON icon) noexcept {
        return reinterpret_cast<HICON>(SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
    }
    // The shield of an action that needs elevation.
    void SetShield(BOOL shield) noexcept { SendMessage(BCM_SETSHIELD, 0, shield); }
    // The note line of a command link.
    BOOL SetNote(LPCWSTR note) noexcept { return static_cast<BOOL>(SendMessage(BCM_SETNOTE, 0, reinterpret_cast<LPARAM>(note))); }

    // Draws an owner-drawn button.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    CStatic() = default;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);

    // The image shown by an SS_BITMAP / SS_ICON static; the control does not take
    // ownership: the caller deletes a bitmap it set, once it is no longer shown.
    HBITMAP SetBitmap(HBITMAP bitmap) noexcept {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HBITMAP GetBitmap() const noexcept {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP));
    }
    HICON SetIcon(HICON icon) noexcept {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
    }
    HICON GetIcon() const noexcept { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }

    // Draws an SS_OWNERDRAW static.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// A SysLink control: text with <a>…</a> links (common controls 6).
class CLinkCtrl : public CWnd {
    DECLARE_DYNAMIC(CLinkCtrl)
public:
    CLinkCtrl() = default;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    BOOL SetItem(PLITEM item) noexcept { return static_cast<BOOL>(SendMessage(LM_SETITEM, 0, reinterpret_cast<LPARAM>(item))); }
    BOOL GetItem(PLITEM item) const noexcept {
        return static_cast<BOOL>(SendMessage(LM_GETITEM, 0, reinterpret_cast<LPARAM>(item)));
    }
    // The URL of link index; FALSE when there is no such link (or the URL is too long).
    BOOL SetItemUrl(int index, LPCWSTR url) noexcept;
    BOOL GetItemUrl(int index, CString& url) const;
    BOOL HitTest(PLHITTESTINFO info) const noexcept {
        return static_cast<BOOL>(SendMessage(LM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
    }
    int GetIdealHeight() const noexcept { return static_cast<int>(SendMessage(LM_GETIDEALHEIGHT)); }
};

class CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)
public:
    CProgressCtrl() = default;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetRange32(int lower, int upper) noexcept { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const noexcept;
    int SetPos(int pos) noexcept { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() const noexcept { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int delta) noexcept { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
    int SetStep(int step) noexcept { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int StepIt() noexcept { return static_cast<int>(SendMessage(PBM_STEPIT)); }
    // With PBS_MARQUEE: the moving block on or off, moved every interval milliseconds.
    BOOL SetMarquee(BOOL on, UINT interval) noexcept { return static_cast<BOOL>(SendMessage(PBM_SETMARQUEE, on, interval)); }
    // PBST_NORMAL, PBST_ERROR or PBST_PAUSED; returns the previous state.
    int SetState(int state) noexcept { return static_cast<int>(SendMessage(PBM_SETSTATE, static_cast<WPARAM>(state))); }
    int GetState() const noexcept { return static_cast<int>(SendMessage(PBM_GETSTATE)); }
    COLORREF SetBarColor(COLORREF color) noexcept { return static_cast<COLORREF>(SendMessage(PBM_SETBARCOLOR, 0, color)); }
    COLORREF SetBkColor(COLORREF color) noexcept { return static_cast<COLORREF>(SendMessage(PBM_SETBKCOLOR, 0, color)); }
};
