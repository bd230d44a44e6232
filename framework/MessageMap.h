#pragma once
// Message maps: a static table per window class that says which member handles which
// message. A class declares its table with DECLARE_MESSAGE_MAP() and defines it with
//
//     BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//         ON_WM_PAINT()
//         ON_BN_CLICKED(IDOK, OnOk)
//         ON_MESSAGE(WM_APP + 1, OnJobArrived)
//     END_MESSAGE_MAP()
//
// A message not found in a class's table is looked up in its base class's table, and
// finally handed to the window's previous procedure (Default).
//
// Every entry is checked when it is compiled: each family of messages has one handler
// signature (ON_WM_PAINT: void OnPaint(); ON_MESSAGE: LRESULT f(WPARAM, LPARAM);
// ON_NOTIFY: void f(NMHDR*, LRESULT*) ...), and a handler of another shape is a
// compile error naming the entry. The _EX entries' handlers answer whether they handled
// the message; FALSE passes it on to the next matching entry (and for reflected
// notifications, on to the parent).
//
// Reflection: WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR..., WM_DRAWITEM, WM_MEASUREITEM,
// WM_COMPAREITEM, WM_DELETEITEM and the scroll messages of scroll-bar controls are first
// offered to the framework object of the control that sent them (its OnChildNotify:
// ON_CONTROL_REFLECT, ON_NOTIFY_REFLECT, ON_WM_CTLCOLOR_REFLECT, ON_WM_DRAWITEM_REFLECT
// entries, or an override such as CButton's DrawItem); only what the control does not
// take reaches the parent's own entries.
#include <windows.h>

class CWnd;
struct AFX_MSGMAP_ENTRY;

// Calls the handler of one entry; FALSE when the handler did not take the message.
typedef BOOL (*AFX_MSGTHUNK)(CWnd* wnd, const AFX_MSGMAP_ENTRY& entry, WPARAM wParam, LPARAM lParam,
                             LRESULT& result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // 0 ends a table
    UINT nCode;     // WM_COMMAND and WM_NOTIFY: the notification code
    UINT nID;       // WM_COMMAND and WM_NOTIFY: the first control id...
    UINT nLastID;   // ...and the last one
    AFX_MSGTHUNK pfnThunk;
};

// What the WM_CTLCOLOR entries get in lParam (the seven WM_CTLCOLOR... messages share
// one table key).
struct AFX_CTLCOLOR {
    HWND hWnd;      // the control, or the window itself for its own background
    HDC hDC;
    UINT nCtlType;  // CTLCOLOR_MSGBOX ... CTLCOLOR_STATIC
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Reflected messages are looked up in the control's table under this base.
#define WM_REFLECT_BASE 0xBC00
// The table key of every WM_CTLCOLOR... message.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
// Sent to a modal window while its loop is idle (wParam MSGF_DIALOGBOX, lParam the count).
#define WM_KICKIDLE 0x036A

#define afx_msg

#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const ::AFX_MSGMAP* GetThisMessageMap();        \
    const ::AFX_MSGMAP* GetMessageMap() const override;

#define AFX_BEGIN_MESSAGE_MAP_BODY(theClass, baseClass)                          \
    {                                                                           \
        typedef theClass ThisClass;                                             \
        typedef baseClass TheBaseClass;                                         \
        static const ::AFX_MSGMAP_ENTRY _messageEntries[] = {

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                              \
    const ::AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const ::AFX_MSGMAP* theClass::GetThisMessageMap() AFX_BEGIN_MESSAGE_MAP_BODY(theClass, baseClass)

// For a class template: BEGIN_TEMPLATE_MESSAGE_MAP(TRollover, B, B) ... END_MESSAGE_MAP()
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, type_name, baseClass)                                      \
    template <typename type_name>                                                                       \
    const ::AFX_MSGMAP* theClass<type_name>::GetMessageMap() const { return GetThisMessageMap(); }      \
    template <typename type_name>                                                                       \
    const ::AFX_MSGMAP* theClass<type_name>::GetThisMessageMap()                                        \
        AFX_BEGIN_MESSAGE_MAP_BODY(theClass<type_name>, baseClass)

#define END_MESSAGE_MAP()                                                                    \
            {0, 0, 0, 0, nullptr}};                                                          \
        static const ::AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                                                  \
    }

#define AFX_ENTRY(message, code, id, lastId, thunk, handler) \
    {static_cast<UINT>(message), static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(lastId), \
     &::AfxMsg::thunk<&ThisClass::handler>},

// Any message: LRESULT f(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) AFX_ENTRY(message, 0, 0, 0, Message, memberFxn)

// Commands (menus, accelerators, control notifications through WM_COMMAND)
#define ON_COMMAND(id, memberFxn) AFX_ENTRY(WM_COMMAND, 0, id, id, Void, memberFxn)
#define ON_COMMAND_RANGE(id, lastId, memberFxn) AFX_ENTRY(WM_COMMAND, 0, id, lastId, CommandRange, memberFxn)
#define ON_CONTROL(code, id, memberFxn) AFX_ENTRY(WM_COMMAND, code, id, id, Void, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// Notifications through WM_NOTIFY: void f(NMHDR*, LRESULT*); the _EX form:
// BOOL f(UINT id, NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, memberFxn) AFX_ENTRY(WM_NOTIFY, code, id, id, Notify, memberFxn)
#define ON_NOTIFY_RANGE(code, id, lastId, memberFxn) AFX_ENTRY(WM_NOTIFY, code, id, lastId, NotifyRange, memberFxn)
#define ON_NOTIFY_EX(code, id, memberFxn) AFX_ENTRY(WM_NOTIFY, code, id, id, NotifyEx, memberFxn)
#define ON_NOTIFY_EX_RANGE(code, id, lastId, memberFxn) AFX_ENTRY(WM_NOTIFY, code, id, lastId, NotifyEx, memberFxn)

// Reflected to the control that sent them: void f(); BOOL f() for _EX
#define ON_CONTROL_REFLECT(code, memberFxn) \
    AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, Void, memberFxn)
#define ON_CONTROL_REFLECT_EX(code, memberFxn) \
    AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, BoolVoid, memberFxn)
// void f(NMHDR*, LRESULT*); BOOL f(NMHDR*, LRESULT*) for _EX
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, Notify, memberFxn)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn) \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, NotifyReflectEx, memberFxn)
// HBRUSH CtlColor(CDC*, UINT nCtlColor); a null brush leaves the message to the parent
#define ON_WM_CTLCOLOR_REFLECT() \
    AFX_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, CtlColorReflect, CtlColor)
// void DrawItem(LPDRAWITEMSTRUCT); void MeasureItem(LPMEASUREITEMSTRUCT)
#define ON_WM_DRAWITEM_REFLECT() AFX_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0, DrawItemReflect, DrawItem)
#define ON_WM_MEASUREITEM_REFLECT() \
    AFX_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0, 0, MeasureItemReflect, MeasureItem)

// Window messages, each with its handler's name and signature
#define ON_WM_CREATE() AFX_ENTRY(WM_CREATE, 0, 0, 0, Create, OnCreate)               // int (LPCREATESTRUCT)
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, 0, 0, 0, Void, OnDestroy)              // void ()
#define ON_WM_CLOSE() AFX_ENTRY(WM_CLOSE, 0, 0, 0, Void, OnClose)                    // void ()
#define ON_WM_PAINT() AFX_ENTRY(WM_PAINT, 0, 0, 0, Void, OnPaint)                    // void ()
#define ON_WM_ERASEBKGND() AFX_ENTRY(WM_ERASEBKGND, 0, 0, 0, BoolDC, OnEraseBkgnd)   // BOOL (CDC*)
#define ON_WM_SIZE() AFX_ENTRY(WM_SIZE, 0, 0, 0, Size, OnSize)                       // void (UINT, int, int)
#define ON_WM_MOVE() AFX_ENTRY(WM_MOVE, 0, 0, 0, Move, OnMove)                       // void (int, int)
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, 0, 0, 0, Timer, OnTimer)                   // void (UINT_PTR)
#define ON_WM_CTLCOLOR() AFX_ENTRY(WM_CTLCOLOR, 0, 0, 0, CtlColor, OnCtlColor)       // HBRUSH (CDC*, CWnd*, UINT)
#define ON_WM_DRAWITEM() AFX_ENTRY(WM_DRAWITEM, 0, 0, 0, DrawItem, OnDrawItem)       // void (int, LPDRAWITEMSTRUCT)
#define ON_WM_MEASUREITEM() \
    AFX_ENTRY(WM_MEASUREITEM, 0, 0, 0, MeasureItem, OnMeasureItem)                   // void (int, LPMEASUREITEMSTRUCT)
#define ON_WM_SETFOCUS() AFX_ENTRY(WM_SETFOCUS, 0, 0, 0, Wnd, OnSetFocus)            // void (CWnd* old)
#define ON_WM_KILLFOCUS() AFX_ENTRY(WM_KILLFOCUS, 0, 0, 0, Wnd, OnKillFocus)         // void (CWnd* new)
#define ON_WM_CAPTURECHANGED() AFX_ENTRY(WM_CAPTURECHANGED, 0, 0, 0, Wnd, OnCaptureChanged)  // void (CWnd*)
#define ON_WM_ENABLE() AFX_ENTRY(WM_ENABLE, 0, 0, 0, Bool, OnEnable)                 // void (BOOL)
#define ON_WM_SHOWWINDOW() AFX_ENTRY(WM_SHOWWINDOW, 0, 0, 0, ShowWindow, OnShowWindow)  // void (BOOL, UINT)
#define ON_WM_GETMINMAXINFO() AFX_ENTRY(WM_GETMINMAXINFO, 0, 0, 0, MinMax, OnGetMinMaxInfo)  // void (MINMAXINFO*)
#define ON_WM_WINDOWPOSCHANGING() \
    AFX_ENTRY(WM_WINDOWPOSCHANGING, 0, 0, 0, WindowPos, OnWindowPosChanging)         // void (WINDOWPOS*)
#define ON_WM_WINDOWPOSCHANGED() \
    AFX_ENTRY(WM_WINDOWPOSCHANGED, 0, 0, 0, WindowPos, OnWindowPosChanged)           // void (WINDOWPOS*)
#define ON_WM_ACTIVATE() AFX_ENTRY(WM_ACTIVATE, 0, 0, 0, Activate, OnActivate)       // void (UINT, CWnd*, BOOL)
#define ON_WM_MOUSEACTIVATE() \
    AFX_ENTRY(WM_MOUSEACTIVATE, 0, 0, 0, MouseActivate, OnMouseActivate)             // int (CWnd*, UINT, UINT)
#define ON_WM_SETCURSOR() AFX_ENTRY(WM_SETCURSOR, 0, 0, 0, SetCursor, OnSetCursor)   // BOOL (CWnd*, UINT, UINT)
#define ON_WM_NCHITTEST() AFX_ENTRY(WM_NCHITTEST, 0, 0, 0, HitTest, OnNcHitTest)     // LRESULT (CPoint)
#define ON_WM_MOUSEMOVE() AFX_ENTRY(WM_MOUSEMOVE, 0, 0, 0, Mouse, OnMouseMove)       // void (UINT, CPoint)
#define ON_WM_LBUTTONDOWN() AFX_ENTRY(WM_LBUTTONDOWN, 0, 0, 0, Mouse, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ENTRY(WM_LBUTTONUP, 0, 0, 0, Mouse, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_ENTRY(WM_LBUTTONDBLCLK, 0, 0, 0, Mouse, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_ENTRY(WM_RBUTTONDOWN, 0, 0, 0, Mouse, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_ENTRY(WM_RBUTTONUP, 0, 0, 0, Mouse, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() AFX_ENTRY(WM_RBUTTONDBLCLK, 0, 0, 0, Mouse, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() AFX_ENTRY(WM_MBUTTONDOWN, 0, 0, 0, Mouse, OnMButtonDown)
#define ON_WM_MBUTTONUP() AFX_ENTRY(WM_MBUTTONUP, 0, 0, 0, Mouse, OnMButtonUp)
#define ON_WM_MOUSEWHEEL() AFX_ENTRY(WM_MOUSEWHEEL, 0, 0, 0, MouseWheel, OnMouseWheel)  // BOOL (UINT, short, CPoint)
#define ON_WM_MOUSELEAVE() AFX_ENTRY(WM_MOUSELEAVE, 0, 0, 0, Void, OnMouseLeave)     // void ()
#define ON_WM_MOUSEHOVER() AFX_ENTRY(WM_MOUSEHOVER, 0, 0, 0, Mouse, OnMouseHover)    // void (UINT, CPoint)
#define ON_WM_CONTEXTMENU() AFX_ENTRY(WM_CONTEXTMENU, 0, 0, 0, ContextMenu, OnContextMenu)  // void (CWnd*, CPoint)
#define ON_WM_KEYDOWN() AFX_ENTRY(WM_KEYDOWN, 0, 0, 0, Key, OnKeyDown)               // void (UINT, UINT, UINT)
#define ON_WM_KEYUP() AFX_ENTRY(WM_KEYUP, 0, 0, 0, Key, OnKeyUp)
#define ON_WM_CHAR() AFX_ENTRY(WM_CHAR, 0, 0, 0, Key, OnChar)
#define ON_WM_SYSKEYDOWN() AFX_ENTRY(WM_SYSKEYDOWN, 0, 0, 0, Key, OnSysKeyDown)
#define ON_WM_GETDLGCODE() AFX_ENTRY(WM_GETDLGCODE, 0, 0, 0, UintVoid, OnGetDlgCode)  // UINT ()
#define ON_WM_HSCROLL() AFX_ENTRY(WM_HSCROLL, 0, 0, 0, Scroll, OnHScroll)            // void (UINT, UINT, CWnd*)
#define ON_WM_VSCROLL() AFX_ENTRY(WM_VSCROLL, 0, 0, 0, Scroll, OnVScroll)
#define ON_WM_SYSCOMMAND() AFX_ENTRY(WM_SYSCOMMAND, 0, 0, 0, SysCommand, OnSysCommand)  // void (UINT, LPARAM)
#define ON_WM_QUERYDRAGICON() AFX_ENTRY(WM_QUERYDRAGICON, 0, 0, 0, Cursor, OnQueryDragIcon)  // HCURSOR ()
#define ON_WM_THEMECHANGED() AFX_ENTRY(WM_THEMECHANGED, 0, 0, 0, Result, OnThemeChanged)  // LRESULT ()
#define ON_WM_SYSCOLORCHANGE() AFX_ENTRY(WM_SYSCOLORCHANGE, 0, 0, 0, Void, OnSysColorChange)  // void ()
