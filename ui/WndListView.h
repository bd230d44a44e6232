#pragma once
// A scrolling view that stacks child windows from top to bottom, in the order they were
// added, with a gap between two of them; hidden children take no room. The children
// are the caller's (not owned); the view only places them.
#include <list>

#include "framework/CScrollView.h"

class CWndListView : public CScrollView {
    DECLARE_DYNAMIC(CWndListView)
public:
    int GetCount() const { return m_count; }
    int GetVisibleCount() const;
    const std::list<CWnd*>& GetChildren() const { return m_children; }
    bool Contains(const CWnd* child) const;

    // Puts child below the visible children, shows it and appends it.
    void AddChild(CWnd* child);
    // Unlinks child and moves the ones below it up; false when it is not in the list.
    bool RemoveChild(CWnd* child);
    // Moves every child to its place (after one of them changed its size).
    void LayoutChildren();
    // Total size from the visible children; the page is one child high.
    void UpdateScrollSizes();

    void OnDraw(CDC* dc) override;

protected:
    CWndListView() = default;
    DECLARE_MESSAGE_MAP()

    // Where a child goes: its top-left corner in client coordinates when the children
    // before it are those in [begin, before).
    CPoint ChildPosition(std::list<CWnd*>::const_iterator before) const;
    // After the view's size changed, with redrawing turned back on.
    virtual void RedrawAfterSize();

    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();

    // Only left and top place the children; right and bottom are kept for the owner.
    int m_marginLeft = 0;
    int m_marginTop = 0;
    int m_marginRight = 0;
    int m_marginBottom = 0;
    int m_gap = 0;
    std::list<CWnd*> m_children;
    int m_count = 0;
    bool m_destroyed = false;  // a destroyed list no longer places its children
};
