// The list's mouse, keyboard and tool tips.
#include "ui/ChooseFilesListView.h"

namespace {

const int kToolTipWidth = 200;

}  // namespace

// ---- mouse ----

CRect CChooseFilesListView::ClientRect(const CRect& listRect) const {
    CRect rect = listRect;
    const CPoint scroll = GetScrollPosition();
    rect.OffsetRect(-scroll.x, -scroll.y);
    return rect;
}

void CChooseFilesListView::InvalidateRow(int index) {
    if (CChooseFilesDrawer* drawer = GetDrawer(index))
        InvalidateRect(ClientRect(drawer->GetRect()), FALSE);
}

int CChooseFilesListView::RowAt(CPoint point) const {
    for (size_t i = 0; i < m_drawers.size(); ++i)
        if (m_drawers[i]->GetItem()->IsVisible() && m_drawers[i]->GetRect().PtInRect(point))
            return static_cast<int>(i);
    return -1;
}

int CChooseFilesListView::FocusedRow() const {
    for (size_t i = 0; i < m_drawers.size(); ++i)
        if (m_drawers[i]->FocusedSide() != 0)
            return static_cast<int>(i);
    return -1;
}

void CChooseFilesListView::ClearSideFlags(int flags) {
    for (const auto& drawer : m_drawers) {
        drawer->GetItem()->left.flags &= ~flags;
        drawer->GetItem()->right.flags &= ~flags;
    }
}

void CChooseFilesListView::OnMouseMove(UINT, CPoint point) {
    const CPoint at(point.x + GetScrollPosition().x, point.y + GetScrollPosition().y);
    const bool captured = ::GetCapture() == m_hWnd;
    for (const auto& drawer : m_drawers) {
        if (!drawer->GetItem()->IsVisible())
            continue;
        for (CChooseFilesDrawerFileItem* side : {&drawer->GetItem()->left, &drawer->GetItem()->right}) {
            const int before = side->flags;
            const bool over = side->checkRect.PtInRect(at);
            side->flags = over ? side->flags | CChooseFilesDrawerFileItem::kHot
                               : side->flags & ~CChooseFilesDrawerFileItem::kHot;
            if (captured && side->Has(CChooseFilesDrawerFileItem::kDownOnCheck))
                side->flags = over ? side->flags | CChooseFilesDrawerFileItem::kPressed
                                   : side->flags & ~CChooseFilesDrawerFileItem::kPressed;
            if (side->flags != before)
                InvalidateRect(ClientRect(side->checkRect), FALSE);
        }
    }
}

void CChooseFilesListView::OnMouseLeave() {
    ClearSideFlags(CChooseFilesDrawerFileItem::kHot);
    CChooseFilesListViewBase::OnMouseLeave();
}

void CChooseFilesListView::OnLButtonDown(UINT, CPoint point) {
    const CPoint at = ToList(point);
    const int row = RowAt(at);
    CChooseFilesDrawer* drawer = GetDrawer(row);
    if (!drawer)
        return;
    const int body = drawer->HitBody(at);
    if (body)
        drawer->SetFocusSide(body);
    if (::GetFocus() != m_hWnd)
        SetFocus();
    const int check = drawer->HitCheck(at);
    if (check)
        drawer->GetItem()->Side(check)->flags |=
            CChooseFilesDrawerFileItem::kPressed | CChooseFilesDrawerFileItem::kDownOnCheck;
    if (body)
        drawer->GetItem()->Side(body)->flags |= CChooseFilesDrawerFileItem::kDownOnBody;
    if (check || body)
        SetCapture();
    InvalidateRow(row);
}

void CChooseFilesListView::OnLButtonUp(UINT, CPoint point) {
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    const CPoint at = ToList(point);
    for (const auto& drawer : m_drawers) {
        if (!drawer->GetItem()->IsVisible())
            continue;
        for (int side = 1; side <= 2; ++side) {
            const CChooseFilesDrawerFileItem* item = drawer->GetItem()->Side(side);
            if ((item->Has(CChooseFilesDrawerFileItem::kDownOnCheck) && item->checkRect.PtInRect(at)) ||
                (item->Has(CChooseFilesDrawerFileItem::kDownOnBody) && item->bodyRect.PtInRect(at)))
                drawer->ToggleCheck(side);
        }
    }
    ClearSideFlags(CChooseFilesDrawerFileItem::kPressed | CChooseFilesDrawerFileItem::kDownOnCheck |
                   CChooseFilesDrawerFileItem::kDownOnBody);
    Invalidate(FALSE);
}

int CChooseFilesListView::BodyAt(CPoint client, int* row) const {
    const CPoint at = ToList(client);
    *row = RowAt(at);
    const CChooseFilesDrawer* drawer = GetDrawer(*row);
    return drawer ? drawer->HitBody(at) : 0;
}

void CChooseFilesListView::OnLButtonDblClk(UINT, CPoint point) {
    int row = -1;
    const int side = BodyAt(point, &row);
    if (!side)
        return;
    CChooseFilesDrawer* drawer = m_drawers[row].get();
    if (m_menu.Prepare(drawer->GetItem()->Side(side)->file.path) == 1)
        m_menu.InvokeDefault(m_hWnd);
    m_menu.Release();
}

void CChooseFilesListView::OnRButtonDown(UINT, CPoint point) {
    int row = -1;
    const int side = BodyAt(point, &row);
    if (!side)
        return;
    m_drawers[row]->GetItem()->Side(side)->flags |= CChooseFilesDrawerFileItem::kRightDownOnBody;
    SetCapture();
}

void CChooseFilesListView::OnRButtonUp(UINT, CPoint) {
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    for (size_t i = 0; i < m_drawers.size(); ++i) {
        for (int side = 1; side <= 2; ++side) {
            CChooseFilesDrawerFileItem* item = m_drawers[i]->GetItem()->Side(side);
            if (!item->Has(CChooseFilesDrawerFileItem::kRightDownOnBody))
                continue;
            item->flags &= ~CChooseFilesDrawerFileItem::kRightDownOnBody;
            CPoint screen;
            ::GetCursorPos(&screen);
            ShowMenu(static_cast<int>(i), side, screen);
            return;
        }
    }
}

void CChooseFilesListView::OnMButtonDown(UINT, CPoint point) {
    int row = -1;
    const int side = BodyAt(point, &row);
    if (!side)
        return;
    CChooseFilesDrawer* drawer = m_drawers[row].get();
    drawer->SetFocusSide(side);
    if (::GetFocus() != m_hWnd)
        SetFocus();
    else
        InvalidateRow(row);
}

void CChooseFilesListView::OnContextMenu(CWnd*, CPoint point) {
    // Only the keyboard's menu key: the right button shows the menu itself.
    if (point.x != -1 || point.y != -1)
        return;
    const int row = FocusedRow();
    if (row < 0)
        return;
    const int side = m_drawers[row]->FocusedSide();
    CRect body = ClientRect(m_drawers[row]->GetItem()->Side(side)->bodyRect);
    CPoint screen = body.TopLeft();
    ClientToScreen(&screen);
    ShowMenu(row, side, screen);
}

void CChooseFilesListView::ShowMenu(int index, int side, CPoint screen) {
    CChooseFilesDrawer* drawer = GetDrawer(index);
    if (!drawer || !drawer->GetItem()->Side(side))
        return;
    if (m_menu.Prepare(drawer->GetItem()->Side(side)->file.path) == 1)
        ShowContextMenu(m_menu, screen);
    m_menu.Release();
}

// ---- keyboard ----

UINT CChooseFilesListView::OnGetDlgCode() { return static_cast<UINT>(Default()) | DLGC_WANTARROWS; }

void CChooseFilesListView::FocusRow(int index, int side) {
    const int old = FocusedRow();
    CChooseFilesDrawer* drawer = GetDrawer(index);
    if (!drawer)
        return;
    if (old >= 0 && old != index) {
        m_drawers[old]->GetItem()->left.flags &= ~(CChooseFilesDrawerFileItem::kFocused | CChooseFilesDrawerFileItem::kPressFlags);
        m_drawers[old]->GetItem()->right.flags &= ~(CChooseFilesDrawerFileItem::kFocused | CChooseFilesDrawerFileItem::kPressFlags);
    }
    drawer->SetFocusSide(side);
    ScrollRowIntoView(index);
    Invalidate(FALSE);
}

void CChooseFilesListView::ScrollRowIntoView(int index) {
    CChooseFilesDrawer* drawer = GetDrawer(index);
    if (!drawer)
        return;
    CRect client;
    GetClientRect(&client);
    const CRect rect = ClientRect(drawer->GetRect());
    if (client.PtInRect(rect.TopLeft()) || client.PtInRect(CPoint(rect.right - 1, rect.bottom - 1)))
        return;
    const CRect& list = drawer->GetRect();
    int y = list.top;
    if (rect.top >= client.bottom && list.Height() <= client.Height())
        y = list.bottom - client.Height();
    ScrollToPosition(CPoint(0, y));
}

void CChooseFilesListView::OnKeyDown(UINT key, UINT, UINT) {
    int row = FocusedRow();
    if (row < 0 && key != VK_SPACE) {
        // Nothing focused yet: the keys start at the first visible row's left side.
        for (size_t i = 0; i < m_drawers.size() && row < 0; ++i)
            if (m_drawers[i]->GetItem()->IsVisible())
                row = static_cast<int>(i);
        if (row >= 0)
            FocusRow(row, 1);
        return;
    }
    if (row < 0)
        return;
    CChooseFilesDrawer* drawer = m_drawers[row].get();
    const int side = drawer->FocusedSide();
    switch (key) {
    case VK_SPACE:
        drawer->GetItem()->Side(side)->flags |= CChooseFilesDrawerFileItem::kPressed;
        InvalidateRow(row);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        drawer->SetFocusSide(key == VK_LEFT ? 1 : 2);
        InvalidateRow(row);
        break;
    case VK_UP:
    case VK_DOWN: {
        const int step = key == VK_UP ? -1 : 1;
        for (int i = row + step; i >= 0 && i < static_cast<int>(m_drawers.size()); i += step) {
            if (m_drawers[i]->GetItem()->IsVisible()) {
                FocusRow(i, side);
                break;
            }
        }
        break;
    }
    default:
        Default();
        break;
    }
}

void CChooseFilesListView::OnKeyUp(UINT key, UINT, UINT) {
    const int row = FocusedRow();
    if (key == VK_SPACE && row >= 0 && ::GetCapture() != m_hWnd)
        m_drawers[row]->ToggleCheck(m_drawers[row]->FocusedSide());
    ClearSideFlags(CChooseFilesDrawerFileItem::kPressed);
    Invalidate(FALSE);
    Default();
}

void CChooseFilesListView::OnSetFocus(CWnd*) {
    if (FocusedRow() < 0) {
        for (const auto& drawer : m_drawers) {
            if (drawer->GetItem()->IsVisible()) {
                drawer->SetFocusSide(1);
                break;
            }
        }
    }
    Invalidate(FALSE);
}

void CChooseFilesListView::OnKillFocus(CWnd*) { Invalidate(FALSE); }

// ---- tool tips ----

INT_PTR CChooseFilesListView::OnToolHitTest(CPoint point, TOOLINFOW* ti) const {
    const CPoint at = ToList(point);
    const int row = RowAt(at);
    const CChooseFilesDrawer* drawer = GetDrawer(row);
    const int side = drawer ? drawer->HitBody(at) : 0;
    if (!side)
        return -1;
    const CChooseFilesDrawerFileItem& item = side == 1 ? drawer->GetItem()->left : drawer->GetItem()->right;
    ti->rect = ClientRect(item.bodyRect);
    return row * 2 + side - 1;
}

BOOL CChooseFilesListView::OnToolTipText(UINT, NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    *result = 0;
    const UINT_PTR id = header->idFrom;
    CChooseFilesDrawer* drawer = GetDrawer(static_cast<int>(id / 2));
    m_toolTipText = drawer ? drawer->GetItem()->Side(static_cast<int>(id % 2) + 1)->file.path : CString();
    ::SendMessageW(header->hwndFrom, TTM_SETMAXTIPWIDTH, 0, kToolTipWidth);
    info->lpszText = const_cast<LPWSTR>(m_toolTipText.GetString());
    info->hinst = nullptr;
    return TRUE;
}
