#include "ui/ChooseFilesDrawer.h"

#include <algorithm>

#include "control/CoreDisplayStatus.h"
#include "foundation/Paths.h"
#include "ui/OverwriteFileView.h"
#include "ui/ResizeDraw.h"

using Graphic::Draw::CDrawCheckBox;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const ULONGLONG kTwoSeconds = 20000000;  // in 100 ns units
const int kHeadingTop = 8;
const int kHeadingGap = 16;
const int kTextGap = 4;
const int kLineGap = 2;

ULONGLONG ToUnits(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

CSize TextSize(CDC* dc, HFONT font, const CString& text) {
    CSelectObject select(*dc, font);
    return dc->GetTextExtent(text, text.GetLength());
}

}  // namespace

// ---- data ----

bool CChooseFilesDrawerFileData::Load() {
    WIN32_FILE_ATTRIBUTE_DATA read{};
    if (path.IsEmpty() || !::GetFileAttributesExW(ToLongPath(path), GetFileExInfoStandard, &read))
        return false;
    data = read;
    return true;
}

ULONGLONG CChooseFilesDrawerData::RoundUpToTwoSeconds(const FILETIME& time) {
    const ULONGLONG units = ToUnits(time);
    const ULONGLONG rest = units % kTwoSeconds;
    return rest == 0 ? units : units + (kTwoSeconds - rest);
}

bool CChooseFilesDrawerData::HasSameDateAndSize() const {
    return RoundUpToTwoSeconds(newFile.data.ftLastWriteTime) ==
               RoundUpToTwoSeconds(existingFile.data.ftLastWriteTime) &&
           newFile.Size() == existingFile.Size();
}

CChooseFilesDrawerBoldInfo::CChooseFilesDrawerBoldInfo(const CChooseFilesDrawerItem& row) {
    const FILETIME& newTime = row.left.file.data.ftLastWriteTime;
    const FILETIME& existingTime = row.right.file.data.ftLastWriteTime;
    const LONG order = ::CompareFileTime(&newTime, &existingTime);
    left.time = order > 0;
    right.time = order < 0;
    left.size = row.left.file.Size() > row.right.file.Size();
    right.size = row.right.file.Size() > row.left.file.Size();
}

void CChooseFilesImageCache::Trim(size_t limit) {
    while (m_sides.size() > limit) {
        m_sides.front()->image.Release();
        m_sides.pop_front();
    }
}

void CChooseFilesImageCache::Forget(const CChooseFilesDrawerFileItem* side) {
    m_sides.erase(std::remove(m_sides.begin(), m_sides.end(), side), m_sides.end());
}

// ---- events ----

void CChooseFilesDrawerEventGenerator::Fire(int eventCode, CChooseFilesDrawer* eventDrawer) {
    if (!enabled)
        return;
    code = eventCode;
    drawer = eventDrawer;
    try {
        Notify();
    } catch (...) {
    }
    code = 0;
    drawer = nullptr;
}

void CChooseFilesDrawerEventHandler::Update(DesignPatterns::IObservable* observable) {
    auto* events = dynamic_cast<CChooseFilesDrawerEventGenerator*>(observable);
    if (!events)
        return;
    m_lastCode = events->code;
    m_lastDrawer = events->drawer;
    switch (events->code) {
    case CChooseFilesDrawerEventGenerator::kLeftCheckChanged:
    case CChooseFilesDrawerEventGenerator::kRightCheckChanged:
        OnCheckChanged(events->drawer, events->code);
        break;
    case CChooseFilesDrawerEventGenerator::kFocusChanged:
        OnFocusChanged(events->drawer);
        break;
    default:
        break;
    }
}

// ---- the row ----

CChooseFilesDrawer::~CChooseFilesDrawer() {
    if (m_item && m_cache) {
        m_cache->Forget(&m_item->left);
        m_cache->Forget(&m_item->right);
    }
    delete m_item;
}

int CChooseFilesDrawer::SetFont(HFONT font) {
    if (!font)
        return 0;
    m_font = font;
    return 1;
}

int CChooseFilesDrawer::Create(HWND window, const CRect& rect, CDrawCheckBox* checkBox,
                               UShell::CFileImageGetter* images, CChooseFilesImageCache* cache) {
    if (!SetWindow(window, rect))
        return 0;
    delete m_item;
    m_item = new CChooseFilesDrawerItem;
    m_checkBox = checkBox;
    m_images = images;
    m_cache = cache;
    return m_checkBox ? m_checkBox->Prepare(window) : 0;
}

void CChooseFilesDrawer::Fill(const CChooseFilesDrawerData& pair) {
    m_item->left.file = pair.newFile;
    m_item->right.file = pair.existingFile;
    m_item->left.flags |= CChooseFilesDrawerFileItem::kChecked;
    m_item->right.flags |= CChooseFilesDrawerFileItem::kChecked;
    SetCheck(1, false);
    SetCheck(2, false);
    m_item->flags.Set(CChooseFilesDrawerItem::kVisible);
}

void CChooseFilesDrawer::SetCheck(int sideNumber, bool checked) {
    CChooseFilesDrawerFileItem* side = m_item->Side(sideNumber);
    if (!side)
        return;
    const int wanted = checked ? CChooseFilesDrawerFileItem::kChecked : CChooseFilesDrawerFileItem::kUnchecked;
    if ((side->flags & (CChooseFilesDrawerFileItem::kChecked | CChooseFilesDrawerFileItem::kUnchecked)) == wanted)
        return;
    side->flags &= ~(CChooseFilesDrawerFileItem::kChecked | CChooseFilesDrawerFileItem::kUnchecked);
    side->flags |= wanted;
    if (m_events)
        m_events->Fire(sideNumber == 1 ? CChooseFilesDrawerEventGenerator::kLeftCheckChanged
                                       : CChooseFilesDrawerEventGenerator::kRightCheckChanged,
                       this);
}

int CChooseFilesDrawer::FocusedSide() const {
    if (m_item->left.Has(CChooseFilesDrawerFileItem::kFocused))
        return 1;
    return m_item->right.Has(CChooseFilesDrawerFileItem::kFocused) ? 2 : 0;
}

void CChooseFilesDrawer::SetFocusSide(int side) {
    if (FocusedSide() == side)
        return;
    m_item->left.flags &= ~CChooseFilesDrawerFileItem::kFocused;
    m_item->right.flags &= ~CChooseFilesDrawerFileItem::kFocused;
    if (CChooseFilesDrawerFileItem* focused = m_item->Side(side)) {
        focused->flags |= CChooseFilesDrawerFileItem::kFocused;
        if (m_events)
            m_events->Fire(CChooseFilesDrawerEventGenerator::kFocusChanged, this);
    }
}

int CChooseFilesDrawer::HitCheck(POINT point) const {
    if (m_item->left.checkRect.PtInRect(point))
        return 1;
    return m_item->right.checkRect.PtInRect(point) ? 2 : 0;
}

int CChooseFilesDrawer::HitBody(POINT point) const {
    if (m_item->left.bodyRect.PtInRect(point))
        return 1;
    return m_item->right.bodyRect.PtInRect(point) ? 2 : 0;
}

void CChooseFilesDrawer::LoadImage(CChooseFilesDrawerFileItem& side) {
    if (!side.image.IsEmpty() || !m_images)
        return;
    if (m_images->GetImage(side.file.path, SIZE{kImageSize, kImageSize}, side.image) == 1 && m_cache)
        m_cache->Add(&side);
}

void CChooseFilesDrawer::MoveTo(const CRect& rect) {
    const int dx = rect.left - m_rect.left;
    const int dy = rect.top - m_rect.top;
    for (CChooseFilesDrawerFileItem* side : {&m_item->left, &m_item->right}) {
        if (side->checkRect.left != -1)
            side->checkRect.OffsetRect(dx, dy);
        if (side->bodyRect.left != -1)
            side->bodyRect.OffsetRect(dx, dy);
    }
    m_rect = rect;
}

int CChooseFilesDrawer::CheckState(const CChooseFilesDrawerFileItem& side) const {
    int state = 0;
    if (side.IsChecked())
        state |= CDrawCheckBox::kChecked;
    if (side.Has(CChooseFilesDrawerFileItem::kPressed))
        state |= CDrawCheckBox::kPressed;
    if (side.Has(CChooseFilesDrawerFileItem::kHot))
        state |= CDrawCheckBox::kHot;
    return state;
}

CSize CChooseFilesDrawer::CheckBoxSize(CDC* dc) const {
    CSize size = m_checkBox ? m_checkBox->GetSize(dc) : CSize();
    if (size.cx <= 0 || size.cy <= 0)
        size = CSize(::GetSystemMetrics(SM_CXMENUCHECK), ::GetSystemMetrics(SM_CYMENUCHECK));
    return size;
}

void CChooseFilesDrawer::DrawCheck(CDC* dc, const CChooseFilesDrawerFileItem& side, CPoint position) {
    const int state = CheckState(side);
    if (m_checkBox && m_checkBox->GetMode() == CDrawCheckBox::themed) {
        m_checkBox->Draw(dc, position, static_cast<UINT>(state));
        return;
    }
    CRect box(position, CheckBoxSize(dc));
    UINT classic = DFCS_BUTTONCHECK;
    if (state & CDrawCheckBox::kChecked)
        classic |= DFCS_CHECKED;
    if (state & CDrawCheckBox::kPressed)
        classic |= DFCS_PUSHED;
    if (state & CDrawCheckBox::kHot)
        classic |= DFCS_HOT;
    dc->DrawFrameControl(&box, DFC_BUTTON, classic);
}

void CChooseFilesDrawer::Draw(CDC* dc, const CRect& clip) {
    if (!dc || !m_item)
        return;
    for (CChooseFilesDrawerFileItem* side : {&m_item->left, &m_item->right}) {
        if (clip == side->checkRect) {
            dc->FillSolidRect(&clip, kWhite);
            DrawCheck(dc, *side, side->checkRect.TopLeft());
            return;
        }
    }
    dc->FillSolidRect(&m_rect, kWhite);
    const CChooseFilesDrawerBoldInfo bold(*m_item);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    const CString heading = GetFileNamePart(m_item->right.file.path);
    const CSize headingSize = TextSize(dc, m_font, heading);
    {
        CSelectObject select(*dc, m_font);
        dc->TextOut(m_rect.left, m_rect.top + kHeadingTop, heading, heading.GetLength());
    }
    const int top = m_rect.top + headingSize.cy + kHeadingGap;
    DrawSide(dc, m_item->left, CPoint(m_rect.left, top), bold.left);
    DrawSide(dc, m_item->right, CPoint(m_rect.left + m_rect.Width() / 2, top), bold.right);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
}

void CChooseFilesDrawer::DrawSide(CDC* dc, CChooseFilesDrawerFileItem& side, CPoint origin,
                                  const CChooseFilesDrawerBoldInfoBase& bold) {
    const CSize check = CheckBoxSize(dc);
    side.checkRect = CRect(origin, check);
    DrawCheck(dc, side, origin);

    const int x = origin.x + check.cx + ::GetSystemMetrics(SM_CXBORDER) + 2;
    const int y = origin.y + ::GetSystemMetrics(SM_CYBORDER);
    const CRect imageBox(x, y, x + kImageSize, y + kImageSize);
    LoadImage(side);
    Graphic::Draw::CResizeDraw resize;
    resize.center = 1;
    resize.removeAlpha = 1;
    if (HICON icon = side.image.GetIcon())
        resize.Draw(dc, icon, imageBox);
    else if (HBITMAP bitmap = side.image.GetBitmap())
        resize.Draw(dc, bitmap, imageBox);

    const int textLeft = imageBox.right + kTextGap;
    const CString time = COverwriteFileView::TimeText(side.file.data.ftLastWriteTime);
    const CString size = Swiftlet::FormatByteSize(side.file.Size());
    const HFONT timeFont = bold.time && m_boldFont ? m_boldFont : m_font;
    const HFONT sizeFont = bold.size && m_boldFont ? m_boldFont : m_font;
    const CSize timeSize = TextSize(dc, timeFont, time);
    const CSize sizeSize = TextSize(dc, sizeFont, size);
    {
        CSelectObject select(*dc, timeFont);
        dc->TextOut(textLeft, y, time, time.GetLength());
    }
    {
        CSelectObject select(*dc, sizeFont);
        dc->TextOut(textLeft, y + timeSize.cy + kLineGap, size, size.GetLength());
    }
    side.bodyRect = CRect(x, y, textLeft + std::max(timeSize.cx, sizeSize.cx), y + kImageSize);
    if (side.Has(CChooseFilesDrawerFileItem::kFocused) && ::GetFocus() == m_window) {
        CRect focus = side.bodyRect;
        focus.InflateRect(::GetSystemMetrics(SM_CXBORDER), ::GetSystemMetrics(SM_CYBORDER));
        dc->DrawFocusRect(&focus);
    }
    if (m_cache)
        m_cache->Trim();
}
