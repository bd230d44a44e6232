#include "framework/CGdiObject.h"

#include <utility>

#include "framework/Afx.h"
#include "framework/CDC.h"
#include "framework/CException.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject::CGdiObject(CGdiObject&& other) noexcept
    : CObject(other), m_hObject(std::exchange(other.m_hObject, nullptr)) {}

CGdiObject& CGdiObject::operator=(CGdiObject&& other) noexcept {
    if (this != &other) {
        DeleteObject();
        m_hObject = std::exchange(other.m_hObject, nullptr);
    }
    return *this;
}

BOOL CGdiObject::Attach(HGDIOBJ handle) noexcept {
    if (m_hObject || !handle)
        return FALSE;
    m_hObject = handle;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() noexcept { return std::exchange(m_hObject, nullptr); }

BOOL CGdiObject::DeleteObject() noexcept {
    HGDIOBJ h = std::exchange(m_hObject, nullptr);
    return h ? ::DeleteObject(h) : FALSE;
}

BOOL CGdiObject::CreateStockObject(int index) noexcept { return Attach(::GetStockObject(index)); }

int CGdiObject::GetObject(int count, LPVOID buffer) const noexcept {
    return m_hObject ? ::GetObjectW(m_hObject, count, buffer) : 0;
}

UINT CGdiObject::GetObjectType() const noexcept {
    return m_hObject ? static_cast<UINT>(::GetObjectType(m_hObject)) : 0;
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont) noexcept {
    return Attach(::CreateFontIndirectW(logFont));
}

BOOL CFont::CreatePointFont(int pointSizeTenths, LPCWSTR faceName, CDC* dc) noexcept {
    HDC hdc = dc ? dc->GetSafeHdc() : ::GetDC(nullptr);
    int dpi = hdc ? ::GetDeviceCaps(hdc, LOGPIXELSY) : 96;
    if (!dc && hdc)
        ::ReleaseDC(nullptr, hdc);
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(pointSizeTenths, dpi, 720);
    lf.lfCharSet = DEFAULT_CHARSET;
    if (faceName)
        lstrcpynW(lf.lfFaceName, faceName, LF_FACESIZE);
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONTW* logFont) const noexcept { return GetObject(sizeof(LOGFONTW), logFont); }

BOOL CBitmap::LoadBitmap(UINT id) noexcept { return LoadBitmap(MAKEINTRESOURCEW(id)); }

BOOL CBitmap::LoadBitmap(LPCWSTR name) noexcept {
    return Attach(::LoadBitmapW(AfxGetResourceHandle(), name));
}

BOOL CBitmap::LoadOEMBitmap(UINT id) noexcept { return Attach(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(id))); }

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) noexcept {
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) noexcept {
    return CreateCompatibleBitmap(dc ? dc->GetSafeHdc() : nullptr, width, height);
}

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) noexcept {
    return dc ? Attach(::CreateCompatibleBitmap(dc, width, height)) : FALSE;
}

int CBitmap::GetBitmap(BITMAP* bitmap) const noexcept { return GetObject(sizeof(BITMAP), bitmap); }

CSize CBitmap::GetSize() const noexcept {
    BITMAP bm{};
    return GetBitmap(&bm) ? CSize(bm.bmWidth, bm.bmHeight) : CSize();
}

CBrush::CBrush(COLORREF color) {
    if (!CreateSolidBrush(color))
        AfxThrowResourceException();
}

BOOL CBrush::CreateSolidBrush(COLORREF color) noexcept { return Attach(::CreateSolidBrush(color)); }

BOOL CBrush::CreateHatchBrush(int index, COLORREF color) noexcept {
    return Attach(::CreateHatchBrush(index, color));
}

BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) noexcept {
    return bitmap ? Attach(::CreatePatternBrush(*bitmap)) : FALSE;
}

BOOL CBrush::CreateSysColorBrush(int index) noexcept { return Attach(::GetSysColorBrush(index)); }

int CBrush::GetLogBrush(LOGBRUSH* logBrush) const noexcept { return GetObject(sizeof(LOGBRUSH), logBrush); }

CPen::CPen(int style, int width, COLORREF color) {
    if (!CreatePen(style, width, color))
        AfxThrowResourceException();
}

BOOL CPen::CreatePen(int style, int width, COLORREF color) noexcept {
    return Attach(::CreatePen(style, width, color));
}

int CPen::GetLogPen(LOGPEN* logPen) const noexcept { return GetObject(sizeof(LOGPEN), logPen); }

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) noexcept {
    return Attach(::CreateRectRgn(left, top, right, bottom));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) noexcept { return Attach(::CreateRectRgnIndirect(rect)); }

BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom) noexcept {
    return Attach(::CreateEllipticRgn(left, top, right, bottom));
}

BOOL CRgn::CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) noexcept {
    return Attach(::CreateRoundRectRgn(left, top, right, bottom, width, height));
}

BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode) noexcept {
    return Attach(::CreatePolygonRgn(points, count, fillMode));
}

void CRgn::SetRectRgn(int left, int top, int right, int bottom) noexcept {
    if (m_hObject)
        ::SetRectRgn(*this, left, top, right, bottom);
}

void CRgn::SetRectRgn(LPCRECT rect) noexcept { SetRectRgn(rect->left, rect->top, rect->right, rect->bottom); }

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) noexcept {
    if (!m_hObject || !a || !a->m_hObject)
        return ERROR;
    HRGN second = b ? static_cast<HRGN>(*b) : nullptr;
    if (!second && mode != RGN_COPY)
        return ERROR;
    return ::CombineRgn(*this, *a, second, mode);
}

int CRgn::OffsetRgn(int dx, int dy) noexcept { return m_hObject ? ::OffsetRgn(*this, dx, dy) : ERROR; }

BOOL CRgn::PtInRegion(int x, int y) const noexcept { return m_hObject ? ::PtInRegion(*this, x, y) : FALSE; }

int CRgn::GetRgnBox(LPRECT rect) const noexcept { return m_hObject ? ::GetRgnBox(*this, rect) : ERROR; }
