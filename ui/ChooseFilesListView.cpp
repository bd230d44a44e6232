#include "ui/ChooseFilesListView.h"

#include <algorithm>

#include "ui/BufferDC.h"
#include "ui/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const int kEmptyTextTop = 14;
const int kToolTipWidth = 200;
const int kPressFlags = CChooseFilesDrawerFileItem::kPressed | CChooseFilesDrawerFileItem::kDownOnCheck |
                        CChooseFilesDrawerFileItem::kDownOnBody | CChooseFilesDrawerFileItem::kRightDownOnBody;

// Check changes of a bulk operation reach the parent once, at its end.
class BulkChange {
public:
    BulkChange(int& depth, bool& changed) : m_depth(depth) {
        if (m_depth++ == 0)
            changed = false;
    }
    ~BulkChange() { --m_depth; }
    BulkChange(const BulkChange&) = delete;
    BulkChange& operator=(const BulkChange&) = delete;

private:
    int& m_depth;
};

}  // namespace

IMPLEMENT_DYNCREATE(CChooseFilesListView, CScrollView)

BEGIN_MESSAGE_MAP(CChooseFilesListView, CChooseFilesListViewBase)
    ON_MESSAGE(kAppend, OnAppend)
    ON_MESSAGE(kLoaded, OnLoaded)
    ON_MESSAGE(kCountChecked, OnCountChecked)
    ON_MESSAGE(kSetColumn, OnSetColumn)
    ON_MESSAGE(kIsChecked, OnIsChecked)
    ON_MESSAGE(kIsVisible, OnIsVisible)
    ON_MESSAGE(kGetPath, OnGetPath)
    ON_MESSAGE(kCountSame, OnCountSame)
    ON_MESSAGE(kShowSame, OnShowSame)
    ON_MESSAGE(kCount, OnCount)
    ON_MESSAGE(kVisibleCount, OnVisibleCount)
    ON_WM_ERASEBKGND()
    ON_WM_THEMECHANGED()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_MBUTTONDOWN()
    ON_WM_CONTEXTMENU()
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnToolTipText)
END_MESSAGE_MAP()

CChooseFilesListView::CChooseFilesListView()
    : m_marginLeft(::GetSystemMetrics(SM_CXVSCROLL)), m_marginRight(::GetSystemMetrics(SM_CYVSCROLL)) {
    m_events.Attach(this);
    m_separator.CreateSolidBrush(::GetSysColor(COLOR_3DLIGHT));
}

CChooseFilesListView::~CChooseFilesListView() {
    m_events.enabled = 0;
    m_drawers.clear();
}

BOOL CChooseFilesListView::PreCreateWindow(CREATESTRUCTW& cs) {
    // Double clicks open the file under the pointer.
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
    return CChooseFilesListViewBase::PreCreateWindow(cs);
}

void CChooseFilesListView::OnInitialUpdate() {
    m_checkBox.Prepare(m_hWnd);
    EnableToolTips(TRUE);
    Layout();
}

CChooseFilesDrawer* CChooseFilesListView::GetDrawer(int index) const {
    return index >= 0 && index < static_cast<int>(m_drawers.size()) ? m_drawers[index].get() : nullptr;
}

void CChooseFilesListView::SetImageGetter(UShell::CFileImageGetter* images) {
    m_images = images ? images : &m_shellImages;
    m_cache.Trim(0);
    for (const auto& drawer : m_drawers)
        drawer->SetImageGetter(m_images);
    Invalidate(FALSE);
}

// ---- the dialog's messages ----

LRESULT CChooseFilesListView::OnAppend(WPARAM wParam, LPARAM) {
    const auto* pair = reinterpret_cast<const CChooseFilesDrawerData*>(wParam);
    if (!pair)
        return 0;
    int y = m_marginTop;
    for (const auto& drawer : m_drawers)
        if (drawer->GetItem()->IsVisible())
            y += drawer->GetRect().Height() + kGap;
    CRect client;
    GetClientRect(&client);
    const CRect rect(m_marginLeft, y, client.right - m_marginRight, y + CChooseFilesDrawer::kHeight);
    auto drawer = std::make_unique<CChooseFilesDrawer>();
    if (drawer->Create(m_hWnd, rect, &m_checkBox, m_images, &m_cache) != 1)
        return 0;
    drawer->SetFont(GetStoredFont());
    drawer->SetBoldFont(m_boldFont);
    drawer->SetEventGenerator(&m_events);
    {
        // A new row's first two events are no news to the dialog.
        BulkChange bulk(m_bulk, m_changed);
        drawer->Fill(*pair);
    }
    m_drawers.push_back(std::move(drawer));
    return 1;
}

LRESULT CChooseFilesListView::OnLoaded(WPARAM, LPARAM) {
    const int first = std::min<int>(kFirstImages, static_cast<int>(m_drawers.size()));
    for (int i = 0; i < first; ++i) {
        m_drawers[i]->LoadImage(m_drawers[i]->GetItem()->left);
        m_drawers[i]->LoadImage(m_drawers[i]->GetItem()->right);
    }
    Layout();
    m_changed = true;
    NotifyParent();
    return 0;
}

LRESULT CChooseFilesListView::OnCountChecked(WPARAM wParam, LPARAM lParam) {
    int left = 0;
    int right = 0;
    for (const auto& drawer : m_drawers) {
        left += drawer->GetItem()->left.IsChecked() ? 1 : 0;
        right += drawer->GetItem()->right.IsChecked() ? 1 : 0;
    }
    if (auto* out = reinterpret_cast<int*>(wParam))
        *out = left;
    if (auto* out = reinterpret_cast<int*>(lParam))
        *out = right;
    return 0;
}

LRESULT CChooseFilesListView::OnSetColumn(WPARAM wParam, LPARAM) {
    const int side = LOWORD(wParam) == 1 ? 1 : 2;
    const bool check = HIWORD(wParam) == 1;
    {
        BulkChange bulk(m_bulk, m_changed);
        // Hidden rows stay unchecked: they are skipped whatever the column says.
        for (const auto& drawer : m_drawers)
            if (drawer->GetItem()->IsVisible())
                drawer->SetCheck(side, check);
    }
    if (m_changed) {
        Invalidate(FALSE);
        NotifyParent();
    }
    return 0;
}

LRESULT CChooseFilesListView::OnIsChecked(WPARAM wParam, LPARAM) {
    const int* args = reinterpret_cast<const int*>(wParam);
    CChooseFilesDrawer* drawer = args ? GetDrawer(args[0]) : nullptr;
    const CChooseFilesDrawerFileItem* side = drawer ? drawer->GetItem()->Side(args[1]) : nullptr;
    return side && side->IsChecked() ? 1 : 0;
}

LRESULT CChooseFilesListView::OnIsVisible(WPARAM wParam, LPARAM) {
    const int* args = reinterpret_cast<const int*>(wParam);
    CChooseFilesDrawer* drawer = args ? GetDrawer(args[0]) : nullptr;
    return drawer && drawer->GetItem()->IsVisible() ? 1 : 0;
}

LRESULT CChooseFilesListView::OnGetPath(WPARAM wParam, LPARAM lParam) {
    const int* args = reinterpret_cast<const int*>(wParam);
    auto* path = reinterpret_cast<CString*>(lParam);
    CChooseFilesDrawer* drawer = args ? GetDrawer(args[0]) : nullptr;
    const CChooseFilesDrawerFileItem* side = drawer ? drawer->GetItem()->Side(args[1]) : nullptr;
    if (!side || !path)
        return 0;
    *path = side->file.path;
    return 1;
}

LRESULT CChooseFilesListView::OnCountSame(WPARAM, LPARAM) {
    CChooseFilesDrawerData pair;
    int count = 0;
    for (const auto& drawer : m_drawers) {
        pair.newFile = drawer->GetItem()->left.file;
        pair.existingFile = drawer->GetItem()->right.file;
        count += pair.HasSameDateAndSize() ? 1 : 0;
    }
    return count;
}

LRESULT CChooseFilesListView::OnShowSame(WPARAM wParam, LPARAM) {
    const bool show = wParam == 1;
    CChooseFilesDrawerData pair;
    {
        BulkChange bulk(m_bulk, m_changed);
        for (const auto& drawer : m_drawers) {
            CChooseFilesDrawerItem* row = drawer->GetItem();
            pair.newFile = row->left.file;
            pair.existingFile = row->right.file;
            if (!pair.HasSameDateAndSize())
                continue;
            if (show) {
                row->flags.Set(CChooseFilesDrawerItem::kVisible);
                continue;
            }
            row->flags.Clear(CChooseFilesDrawerItem::kVisible);
            row->left.flags &= ~(CChooseFilesDrawerFileItem::kFocused | kPressFlags);
            row->right.flags &= ~(CChooseFilesDrawerFileItem::kFocused | kPressFlags);
            drawer->SetCheck(1, false);
            drawer->SetCheck(2, false);
        }
    }
    Layout();
    // The visible rows changed even when no check did: the column boxes count anew.
    m_changed = true;
    NotifyParent();
    return 0;
}

LRESULT CChooseFilesListView::OnCount(WPARAM, LPARAM) { return static_cast<LRESULT>(m_drawers.size()); }

LRESULT CChooseFilesListView::OnVisibleCount(WPARAM, LPARAM) {
    return std::count_if(m_drawers.begin(), m_drawers.end(),
                         [](const auto& drawer) { return drawer->GetItem()->IsVisible(); });
}

// ---- events of the rows ----

void CChooseFilesListView::OnCheckChanged(CChooseFilesDrawer* drawer, int) {
    if (m_bulk > 0) {
        m_changed = true;
        return;
    }
    if (drawer && m_hWnd)
        InvalidateRect(ClientRect(drawer->GetRect()), FALSE);
    m_changed = true;
    NotifyParent();
}

void CChooseFilesListView::OnFocusChanged(CChooseFilesDrawer* drawer) {
    for (const auto& other : m_drawers) {
        if (other.get() == drawer)
            continue;
        other->GetItem()->left.flags &= ~(CChooseFilesDrawerFileItem::kFocused | CChooseFilesDrawerFileItem::kPressed);
        other->GetItem()->right.flags &= ~(CChooseFilesDrawerFileItem::kFocused | CChooseFilesDrawerFileItem::kPressed);
    }
    if (m_hWnd)
        Invalidate(FALSE);
}

void CChooseFilesListView::NotifyParent() {
    if (m_bulk > 0 || !m_changed || !m_hWnd)
        return;
    m_changed = false;
    NMHDR header{m_hWnd, 0, kCheckChanged};
    if (HWND parent = ::GetParent(m_hWnd))
        ::SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

// ---- layout and painting ----

void CChooseFilesListView::OnFontChanged() {
    m_boldFont.DeleteObject();
    LOGFONTW font{};
    if (GetStoredFont() && ::GetObjectW(GetStoredFont(), sizeof font, &font)) {
        font.lfWeight = 600;
        m_boldFont.CreateFontIndirect(&font);
    }
    for (const auto& drawer : m_drawers) {
        drawer->SetFont(GetStoredFont());
        drawer->SetBoldFont(m_boldFont);
    }
}

void CChooseFilesListView::Layout() {
    int y = m_marginTop;
    int width = m_marginLeft;
    int visible = 0;
    for (const auto& drawer : m_drawers) {
        if (!drawer->GetItem()->IsVisible())
            continue;
        CRect rect = drawer->GetRect();
        rect.MoveToXY(m_marginLeft, y);
        drawer->MoveTo(rect);
        y += rect.Height() + kGap;
        width = std::max(width, rect.Width());
        ++visible;
    }
    const int height = visible > 0 ? y - kGap : m_marginTop;
    const int page = m_drawers.empty() ? CChooseFilesDrawer::kHeight : m_drawers.front()->GetRect().Height() + kGap;
    SetRedraw(FALSE);
    SetScrollSizes(MM_TEXT, CSize(width, height), CSize(width, page));
    SetRedraw(TRUE);
    Invalidate(FALSE);
}

BOOL CChooseFilesListView::OnEraseBkgnd(CDC*) { return TRUE; }

LRESULT CChooseFilesListView::OnThemeChanged() {
    m_checkBox.Prepare(m_hWnd);
    Invalidate(FALSE);
    return 0;
}

void CChooseFilesListView::OnDraw(CDC* dc) {
    CRect clip;
    dc->GetClipBox(&clip);
    Graphic::DC::CBufferDC buffer(dc, clip);
    CDC* target = buffer.GetDC();
    target->FillSolidRect(&clip, kWhite);
    CRect client;
    GetClientRect(&client);
    const CPoint scroll = GetScrollPosition();
    const HGDIOBJ oldFont = target->SelectObject(GetStoredFont() ? GetStoredFont() : ::GetStockObject(DEFAULT_GUI_FONT));
    bool any = false;
    for (const auto& drawer : m_drawers) {
        if (!drawer->GetItem()->IsVisible())
            continue;
        any = true;
        const CRect& rect = drawer->GetRect();
        CRect strip(scroll.x, rect.bottom, scroll.x + client.Width(), rect.bottom + kGap);
        if (rect.bottom < clip.top || rect.top > clip.bottom)
            continue;
        CRect overlap;
        if (overlap.IntersectRect(&rect, &clip))
            drawer->Draw(target, clip);
        target->FillRect(&strip, m_separator);
    }
    if (!any) {
        CString text;
        text.LoadString(IDS_ALL_FILES_SAME);
        const CSize size = target->GetTextExtent(text, text.GetLength());
        const int x = size.cx > client.Width() ? 0 : (client.Width() - size.cx) / 2;
        target->DrawState(CPoint(scroll.x + x, scroll.y + kEmptyTextTop), size, text, DST_TEXT | DSS_DISABLED, TRUE,
                          text.GetLength());
    }
    target->SelectObject(oldFont);
}

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

void CChooseFilesListView::OnLButtonDblClk(UINT, CPoint point) {
    const CPoint at = ToList(point);
    CChooseFilesDrawer* drawer = GetDrawer(RowAt(at));
    const int side = drawer ? drawer->HitBody(at) : 0;
    if (!side)
        return;
    if (m_menu.Prepare(drawer->GetItem()->Side(side)->file.path) == 1)
        m_menu.InvokeDefault(m_hWnd);
    m_menu.Release();
}

void CChooseFilesListView::OnRButtonDown(UINT, CPoint point) {
    const CPoint at = ToList(point);
    CChooseFilesDrawer* drawer = GetDrawer(RowAt(at));
    const int side = drawer ? drawer->HitBody(at) : 0;
    if (!side)
        return;
    drawer->GetItem()->Side(side)->flags |= CChooseFilesDrawerFileItem::kRightDownOnBody;
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
    const CPoint at = ToList(point);
    const int row = RowAt(at);
    CChooseFilesDrawer* drawer = GetDrawer(row);
    const int side = drawer ? drawer->HitBody(at) : 0;
    if (!side)
        return;
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
        m_drawers[old]->GetItem()->left.flags &= ~(CChooseFilesDrawerFileItem::kFocused | kPressFlags);
        m_drawers[old]->GetItem()->right.flags &= ~(CChooseFilesDrawerFileItem::kFocused | kPressFlags);
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
