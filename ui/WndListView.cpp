#include "ui/WndListView.h"

#include <algorithm>

#include "framework/CDC.h"
#include "ui/ChildWindowRegion.h"

IMPLEMENT_DYNAMIC(CWndListView, CScrollView)

BEGIN_MESSAGE_MAP(CWndListView, CScrollView)
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

int WindowHeight(const CWnd* wnd) {
    CRect rect;
    wnd->GetWindowRect(&rect);
    return rect.Height();
}

}  // namespace

int CWndListView::GetVisibleCount() const {
    return static_cast<int>(std::count_if(m_children.begin(), m_children.end(),
                                          [](const CWnd* child) { return child->IsWindowVisible(); }));
}

bool CWndListView::Contains(const CWnd* child) const {
    return std::find(m_children.begin(), m_children.end(), child) != m_children.end();
}

CPoint CWndListView::ChildPosition(std::list<CWnd*>::const_iterator before) const {
    const CPoint scroll = GetDeviceScrollPosition();
    int y = m_marginTop;
    for (auto it = m_children.begin(); it != before; ++it) {
        if ((*it)->IsWindowVisible())
            y += WindowHeight(*it) + m_gap;
    }
    return CPoint(m_marginLeft - scroll.x, y - scroll.y);
}

void CWndListView::AddChild(CWnd* child) {
    const CPoint at = ChildPosition(m_children.end());
    child->SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    child->ShowWindow(SW_SHOW);
    m_children.push_back(child);
    ++m_count;
    UpdateScrollSizes();
}

bool CWndListView::RemoveChild(CWnd* child) {
    auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found == m_children.end())
        return false;
    m_children.erase(found);
    --m_count;
    if (!m_destroyed) {
        LayoutChildren();
        UpdateScrollSizes();
    }
    return true;
}

void CWndListView::LayoutChildren() {
    if (m_destroyed)
        return;
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        const CPoint at = ChildPosition(it);
        CRect rect;
        (*it)->GetWindowRect(&rect);
        ScreenToClient(&rect);
        if (rect.TopLeft() != at)
            (*it)->SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CWndListView::UpdateScrollSizes() {
    if (m_destroyed || !m_hWnd)
        return;
    CSize total(m_marginLeft, m_marginTop);
    int width = 0;
    int visible = 0;
    const CWnd* first = nullptr;
    for (const CWnd* child : m_children) {
        if (!child->IsWindowVisible())
            continue;
        CRect rect;
        child->GetWindowRect(&rect);
        width = std::max<int>(width, rect.Width());
        total.cy += rect.Height();
        ++visible;
        if (!first)
            first = child;
    }
    total.cx = std::max<int>(m_marginLeft, width);
    if (visible > 1)
        total.cy += m_gap * (visible - 1);
    CSize page(0, 0);
    if (first) {
        CRect client;
        first->GetClientRect(&client);
        if (client.Height() > 0)
            page.cy = client.Height() + m_gap;
    }
    SetScrollSizes(MM_TEXT, total, page);
}

void CWndListView::OnDraw(CDC*) {}

BOOL CWndListView::OnEraseBkgnd(CDC* dc) {
    CRgn outside;
    if (CCreateRgnRemoveChildWindowRect().Create(m_hWnd, outside))
        dc->FillRgn(outside, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    // A light line under every child.
    CRect client;
    GetClientRect(&client);
    int y = m_marginTop - GetDeviceScrollPosition().y;
    for (const CWnd* child : m_children) {
        if (!child->IsWindowVisible())
            continue;
        y += WindowHeight(child);
        dc->FillRect(CRect(0, y, client.right, y + m_gap), ::GetSysColorBrush(COLOR_3DLIGHT));
        y += m_gap;
    }
    return TRUE;
}

void CWndListView::OnSize(UINT type, int cx, int cy) {
    SetRedraw(FALSE);
    CScrollView::OnSize(type, cx, cy);
    SetRedraw(TRUE);
    RedrawAfterSize();
}

void CWndListView::RedrawAfterSize() {
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

void CWndListView::OnDestroy() {
    m_destroyed = true;
    CScrollView::OnDestroy();
}
