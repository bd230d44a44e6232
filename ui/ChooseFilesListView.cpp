#include "ui/ChooseFilesListView.h"

#include <algorithm>

#include "ui/BufferDC.h"
#include "ui/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const int kEmptyTextTop = 14;

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
            row->left.flags &= ~(CChooseFilesDrawerFileItem::kFocused | CChooseFilesDrawerFileItem::kPressFlags);
            row->right.flags &= ~(CChooseFilesDrawerFileItem::kFocused | CChooseFilesDrawerFileItem::kPressFlags);
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
