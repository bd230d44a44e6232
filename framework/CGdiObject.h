#pragma once
// GDI objects: fonts, bitmaps, brushes, pens and regions.
//
// Ownership: an object owns the handle it created, loaded or was given with Attach, and
// deletes it when it is destroyed, when DeleteObject is called or when another handle
// is moved into it. Detach hands the handle back to the caller, who then deletes it.
// The objects can be moved, never copied, so a handle has exactly one owner. A stock
// object may be held too (deleting one is a no-op for GDI).
//
// Delete an object only when it is no longer selected into a device context: select the
// previous object back first (CSelectObject in CDC.h does that at the end of a scope).
#include <windows.h>

#include "framework/CObject.h"
#include "framework/CRect.h"

class CDC;

class CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
public:
    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(CGdiObject&& other) noexcept;
    CGdiObject& operator=(CGdiObject&& other) noexcept;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const noexcept { return m_hObject; }
    // Takes ownership of handle; FALSE (and nothing taken) when the object already holds
    // one or handle is null.
    BOOL Attach(HGDIOBJ handle) noexcept;
    HGDIOBJ Detach() noexcept;
    BOOL DeleteObject() noexcept;
    // A stock object (WHITE_BRUSH, DEFAULT_GUI_FONT...); it is never really deleted.
    BOOL CreateStockObject(int index) noexcept;
    int GetObject(int count, LPVOID buffer) const noexcept;
    UINT GetObjectType() const noexcept;

    HGDIOBJ m_hObject = nullptr;
};

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    CFont() = default;
    operator HFONT() const noexcept { return static_cast<HFONT>(m_hObject); }

    BOOL CreateFontIndirect(const LOGFONTW* logFont) noexcept;
    // height in tenths of a point, converted with the given device context's (or the
    // screen's) vertical resolution.
    BOOL CreatePointFont(int pointSizeTenths, LPCWSTR faceName, CDC* dc = nullptr) noexcept;
    int GetLogFont(LOGFONTW* logFont) const noexcept;
};

class CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    CBitmap() = default;
    operator HBITMAP() const noexcept { return static_cast<HBITMAP>(m_hObject); }

    // A bitmap resource of the module that holds the resources (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT id) noexcept;
    BOOL LoadBitmap(LPCWSTR name) noexcept;
    // One of the system's bitmaps (OBM_CHECKBOXES...).
    BOOL LoadOEMBitmap(UINT id) noexcept;
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) noexcept;
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height) noexcept;
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height) noexcept;
    int GetBitmap(BITMAP* bitmap) const noexcept;
    // Width and height in pixels; (0, 0) without a bitmap.
    CSize GetSize() const noexcept;
};

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() = default;
    // A solid brush; throws CResourceException when it cannot be created.
    explicit CBrush(COLORREF color);
    operator HBRUSH() const noexcept { return static_cast<HBRUSH>(m_hObject); }

    BOOL CreateSolidBrush(COLORREF color) noexcept;
    BOOL CreateHatchBrush(int index, COLORREF color) noexcept;
    BOOL CreatePatternBrush(CBitmap* bitmap) noexcept;
    // The system's brush for a COLOR_ index (it belongs to the system; deleting it is
    // harmless, as for stock objects).
    BOOL CreateSysColorBrush(int index) noexcept;
    int GetLogBrush(LOGBRUSH* logBrush) const noexcept;
};

class CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() = default;
    // Throws CResourceException when the pen cannot be created.
    CPen(int style, int width, COLORREF color);
    operator HPEN() const noexcept { return static_cast<HPEN>(m_hObject); }

    BOOL CreatePen(int style, int width, COLORREF color) noexcept;
    int GetLogPen(LOGPEN* logPen) const noexcept;
};

class CRgn : public CGdiObject {
    DECLARE_DYNAMIC(CRgn)
public:
    CRgn() = default;
    operator HRGN() const noexcept { return static_cast<HRGN>(m_hObject); }

    BOOL CreateRectRgn(int left, int top, int right, int bottom) noexcept;
    BOOL CreateRectRgnIndirect(LPCRECT rect) noexcept;
    BOOL CreateEllipticRgn(int left, int top, int right, int bottom) noexcept;
    BOOL CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) noexcept;
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode) noexcept;
    void SetRectRgn(int left, int top, int right, int bottom) noexcept;
    void SetRectRgn(LPCRECT rect) noexcept;
    // This region becomes a combined with b (RGN_AND, RGN_OR, RGN_DIFF...); both must
    // exist, and so must this one. Returns the region's complexity, ERROR on failure.
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) noexcept;
    int OffsetRgn(int dx, int dy) noexcept;
    BOOL PtInRegion(int x, int y) const noexcept;
    BOOL PtInRegion(POINT p) const noexcept { return PtInRegion(p.x, p.y); }
    int GetRgnBox(LPRECT rect) const noexcept;
};
