#pragma once
// The callers of message-map handlers, one per handler signature (see MessageMap.h).
// Each checks at compile time that the handler named in the entry has its family's
// signature, unpacks WPARAM and LPARAM and packs the handler's answer into the result.
#include <type_traits>

#include "framework/CDC.h"
#include "framework/CWnd.h"

namespace AfxMsg {

template <class T>
struct MemberOf;
template <class C, class F>
struct MemberOf<F C::*> {
    using Class = C;
};
// The class that declares the handler Fn (a window class, possibly a base of the map's).
template <auto Fn>
using ClassOf = typename MemberOf<decltype(Fn)>::Class;
template <auto Fn, class Signature>
inline constexpr bool Is = std::is_same_v<decltype(Fn), Signature ClassOf<Fn>::*>;
template <auto Fn>
ClassOf<Fn>* Target(CWnd* wnd) {
    static_assert(std::is_base_of_v<CWnd, ClassOf<Fn>>, "message handlers are members of window classes");
    return static_cast<ClassOf<Fn>*>(wnd);
}

#define AFX_SIGNATURE(...) \
    static_assert(Is<Fn, __VA_ARGS__>, "the handler of this message map entry must be: " #__VA_ARGS__)

inline CWnd* Window(WPARAM w) { return CWnd::FromHandle(reinterpret_cast<HWND>(w)); }
inline CWnd* Window(LPARAM l) { return CWnd::FromHandle(reinterpret_cast<HWND>(l)); }

template <auto Fn>
BOOL Void(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(void());
    (Target<Fn>(w)->*Fn)();
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL BoolVoid(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(BOOL());
    r = 0;
    return (Target<Fn>(w)->*Fn)();
}

template <auto Fn>
BOOL UintVoid(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(UINT());
    r = static_cast<LRESULT>((Target<Fn>(w)->*Fn)());
    return TRUE;
}

template <auto Fn>
BOOL Result(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(LRESULT());
    r = (Target<Fn>(w)->*Fn)();
    return TRUE;
}

template <auto Fn>
BOOL Cursor(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(HCURSOR());
    r = reinterpret_cast<LRESULT>((Target<Fn>(w)->*Fn)());
    return TRUE;
}

template <auto Fn>
BOOL Message(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(LRESULT(WPARAM, LPARAM));
    r = (Target<Fn>(w)->*Fn)(wp, lp);
    return TRUE;
}

template <auto Fn>
BOOL CommandRange(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(void(UINT));
    (Target<Fn>(w)->*Fn)(LOWORD(wp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL Notify(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(NMHDR*, LRESULT*));
    (Target<Fn>(w)->*Fn)(reinterpret_cast<NMHDR*>(lp), &r);
    return TRUE;
}

template <auto Fn>
BOOL NotifyRange(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(UINT, NMHDR*, LRESULT*));
    NMHDR* h = reinterpret_cast<NMHDR*>(lp);
    (Target<Fn>(w)->*Fn)(static_cast<UINT>(h->idFrom), h, &r);
    return TRUE;
}

template <auto Fn>
BOOL NotifyEx(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(BOOL(UINT, NMHDR*, LRESULT*));
    NMHDR* h = reinterpret_cast<NMHDR*>(lp);
    return (Target<Fn>(w)->*Fn)(static_cast<UINT>(h->idFrom), h, &r);
}

template <auto Fn>
BOOL NotifyReflectEx(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(BOOL(NMHDR*, LRESULT*));
    return (Target<Fn>(w)->*Fn)(reinterpret_cast<NMHDR*>(lp), &r);
}

template <auto Fn>
BOOL Create(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(int(LPCREATESTRUCT));
    r = (Target<Fn>(w)->*Fn)(reinterpret_cast<LPCREATESTRUCT>(lp));
    return TRUE;
}

template <auto Fn>
BOOL BoolDC(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(BOOL(CDC*));
    CDC dc = CDC::Borrow(reinterpret_cast<HDC>(wp));
    r = (Target<Fn>(w)->*Fn)(&dc);
    return TRUE;
}

template <auto Fn>
BOOL Size(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(UINT, int, int));
    (Target<Fn>(w)->*Fn)(static_cast<UINT>(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL Move(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(int, int));
    (Target<Fn>(w)->*Fn)(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL Timer(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(void(UINT_PTR));
    (Target<Fn>(w)->*Fn)(static_cast<UINT_PTR>(wp));
    r = 0;
    return TRUE;
}

// lParam: an AFX_CTLCOLOR.
template <auto Fn>
BOOL CtlColor(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(HBRUSH(CDC*, CWnd*, UINT));
    const AFX_CTLCOLOR* c = reinterpret_cast<const AFX_CTLCOLOR*>(lp);
    CDC dc = CDC::Borrow(c->hDC);
    r = reinterpret_cast<LRESULT>((Target<Fn>(w)->*Fn)(&dc, CWnd::FromHandle(c->hWnd), c->nCtlType));
    return TRUE;
}

// Reflected to the control; a null brush leaves the message to the parent.
template <auto Fn>
BOOL CtlColorReflect(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(HBRUSH(CDC*, UINT));
    const AFX_CTLCOLOR* c = reinterpret_cast<const AFX_CTLCOLOR*>(lp);
    CDC dc = CDC::Borrow(c->hDC);
    HBRUSH brush = (Target<Fn>(w)->*Fn)(&dc, c->nCtlType);
    r = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr;
}

template <auto Fn>
BOOL DrawItem(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(int, LPDRAWITEMSTRUCT));
    (Target<Fn>(w)->*Fn)(static_cast<int>(wp), reinterpret_cast<LPDRAWITEMSTRUCT>(lp));
    r = TRUE;
    return TRUE;
}

template <auto Fn>
BOOL MeasureItem(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(int, LPMEASUREITEMSTRUCT));
    (Target<Fn>(w)->*Fn)(static_cast<int>(wp), reinterpret_cast<LPMEASUREITEMSTRUCT>(lp));
    r = TRUE;
    return TRUE;
}

template <auto Fn>
BOOL DrawItemReflect(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(LPDRAWITEMSTRUCT));
    (Target<Fn>(w)->*Fn)(reinterpret_cast<LPDRAWITEMSTRUCT>(lp));
    r = TRUE;
    return TRUE;
}

template <auto Fn>
BOOL MeasureItemReflect(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(LPMEASUREITEMSTRUCT));
    (Target<Fn>(w)->*Fn)(reinterpret_cast<LPMEASUREITEMSTRUCT>(lp));
    r = TRUE;
    return TRUE;
}

template <auto Fn>
BOOL Wnd(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(void(CWnd*));
    (Target<Fn>(w)->*Fn)(Window(wp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL Bool(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM, LRESULT& r) {
    AFX_SIGNATURE(void(BOOL));
    (Target<Fn>(w)->*Fn)(static_cast<BOOL>(wp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL ShowWindow(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(BOOL, UINT));
    (Target<Fn>(w)->*Fn)(static_cast<BOOL>(wp), static_cast<UINT>(lp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL MinMax(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(MINMAXINFO*));
    (Target<Fn>(w)->*Fn)(reinterpret_cast<MINMAXINFO*>(lp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL WindowPos(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(WINDOWPOS*));
    (Target<Fn>(w)->*Fn)(reinterpret_cast<WINDOWPOS*>(lp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL Activate(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(UINT, CWnd*, BOOL));
    (Target<Fn>(w)->*Fn)(LOWORD(wp), Window(lp), HIWORD(wp) != 0);
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL MouseActivate(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(int(CWnd*, UINT, UINT));
    r = (Target<Fn>(w)->*Fn)(Window(wp), LOWORD(lp), HIWORD(lp));
    return TRUE;
}

template <auto Fn>
BOOL SetCursor(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(BOOL(CWnd*, UINT, UINT));
    r = (Target<Fn>(w)->*Fn)(Window(wp), LOWORD(lp), HIWORD(lp));
    return TRUE;
}

template <auto Fn>
BOOL HitTest(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(LRESULT(CPoint));
    r = (Target<Fn>(w)->*Fn)(CPoint(lp));
    return TRUE;
}

template <auto Fn>
BOOL Mouse(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(UINT, CPoint));
    (Target<Fn>(w)->*Fn)(static_cast<UINT>(wp), CPoint(lp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL MouseWheel(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(BOOL(UINT, short, CPoint));
    (Target<Fn>(w)->*Fn)(LOWORD(wp), static_cast<short>(HIWORD(wp)), CPoint(lp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL ContextMenu(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(CWnd*, CPoint));
    (Target<Fn>(w)->*Fn)(Window(wp), CPoint(lp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL Key(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(UINT, UINT, UINT));
    (Target<Fn>(w)->*Fn)(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
    r = 0;
    return TRUE;
}

// Scroll messages: code, 16-bit position (use GetScrollInfo's SIF_TRACKPOS for the
// full range), the scroll-bar control (null for the window's own bars).
template <auto Fn>
BOOL Scroll(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(UINT, UINT, CWnd*));
    (Target<Fn>(w)->*Fn)(LOWORD(wp), HIWORD(wp), Window(lp));
    r = 0;
    return TRUE;
}

template <auto Fn>
BOOL SysCommand(CWnd* w, const AFX_MSGMAP_ENTRY&, WPARAM wp, LPARAM lp, LRESULT& r) {
    AFX_SIGNATURE(void(UINT, LPARAM));
    (Target<Fn>(w)->*Fn)(static_cast<UINT>(wp), lp);
    r = 0;
    return TRUE;
}

#undef AFX_SIGNATURE

}  // namespace AfxMsg
