#include "ui/FileImageGetter.h"

#include <shobjidl.h>
#include <thumbcache.h>

#include <utility>

#include "foundation/ComApartment.h"
#include "foundation/ComPtr.h"
#include "foundation/OSVersion.h"
#include "ui/ShellFunctions.h"

namespace UShell {

namespace {

// A picture of a single pixel shows nothing; it is what a shell without thumbnails
// answers (Wine's image factory gives an empty 1 x 1 bitmap for every file), so it
// counts as no thumbnail and the next source, or the icon, is asked.
HBITMAP Usable(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap && ::GetObjectW(bitmap, sizeof info, &info) && info.bmWidth * info.bmHeight > 1)
        return bitmap;
    if (bitmap)
        ::DeleteObject(bitmap);
    return nullptr;
}

}  // namespace

DWORD ThumbnailGetter::ThumbnailCacheFlags(DWORD majorVersion, DWORD minorVersion) {
    const bool windows7 = majorVersion > 6 || (majorVersion == 6 && minorVersion >= 1);
    return windows7 ? WTS_EXTRACTDONOTCACHE | WTS_SCALETOREQUESTEDSIZE : WTS_EXTRACTDONOTCACHE;
}

HBITMAP ThumbnailGetter::GetThumbnail(LPCWSTR path, SIZE size) const {
    ItemIDList list(m_idLists, path);
    if (!list)
        return nullptr;
    if (HBITMAP bitmap = Usable(FromThumbnailCache(list.Get(), size)))
        return bitmap;
    if (HBITMAP bitmap = Usable(FromImageFactory(list.Get(), size)))
        return bitmap;
    if (HBITMAP bitmap = Usable(FromExtractImage(list.Get(), size)))
        return bitmap;
    return Usable(FromThumbnailProvider(list.Get(), size));
}

HBITMAP ThumbnailGetter::FromThumbnailCache(LPCITEMIDLIST list, SIZE size) const {
    ComPtr<IShellItem> item;
    if (!m_createItem || FAILED(m_createItem(list, __uuidof(IShellItem), item.ReceiveVoid())) || !item)
        return nullptr;
    ComPtr<IThumbnailCache> cache;
    if (FAILED(::CoCreateInstance(__uuidof(LocalThumbnailCache), nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                  __uuidof(IThumbnailCache), cache.ReceiveVoid())) ||
        !cache)
        return nullptr;
    COSVersion os;
    const DWORD flags = ThumbnailCacheFlags(os.osvi.dwMajorVersion, os.osvi.dwMinorVersion);
    ComPtr<ISharedBitmap> shared;
    if (FAILED(cache->GetThumbnail(item.Get(), static_cast<UINT>(size.cx), static_cast<WTS_FLAGS>(flags),
                                   shared.Receive(), nullptr, nullptr)) ||
        !shared)
        return nullptr;
    HBITMAP bitmap = nullptr;
    return SUCCEEDED(shared->Detach(&bitmap)) ? bitmap : nullptr;
}

HBITMAP ThumbnailGetter::FromImageFactory(LPCITEMIDLIST list, SIZE size) const {
    ComPtr<IShellItemImageFactory> factory;
    if (!m_createItem || FAILED(m_createItem(list, __uuidof(IShellItemImageFactory), factory.ReceiveVoid())) ||
        !factory)
        return nullptr;
    HBITMAP bitmap = nullptr;
    return SUCCEEDED(factory->GetImage(size, SIIGBF_RESIZETOFIT, &bitmap)) ? bitmap : nullptr;
}

HBITMAP ThumbnailGetter::FromExtractImage(LPCITEMIDLIST list, SIZE size) const {
    ComPtr<IExtractImage> extract;
    if (FAILED(GetUIObjectOf(list, m_findLastID, __uuidof(IExtractImage), extract.ReceiveVoid())) || !extract)
        return nullptr;
    wchar_t location[512] = {};
    DWORD priority = 0;
    DWORD flags = IEIFLAG_SCREEN;
    SIZE requested = size;
    const HRESULT hr = extract->GetLocation(location, 512, &priority, &requested, 32, &flags);
    // E_PENDING: the image is made later, by Extract.
    if (FAILED(hr) && hr != E_PENDING)
        return nullptr;
    HBITMAP bitmap = nullptr;
    return SUCCEEDED(extract->Extract(&bitmap)) ? bitmap : nullptr;
}

HBITMAP ThumbnailGetter::FromThumbnailProvider(LPCITEMIDLIST list, SIZE size) const {
    ComPtr<IThumbnailProvider> provider;
    if (FAILED(GetUIObjectOf(list, m_findLastID, __uuidof(IThumbnailProvider), provider.ReceiveVoid())) || !provider)
        return nullptr;
    HBITMAP bitmap = nullptr;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    return SUCCEEDED(provider->GetThumbnail(static_cast<UINT>(size.cx), &bitmap, &alpha)) ? bitmap : nullptr;
}

HICON FileIconGetter::GetIcon(LPCWSTR path) const {
    if (!path || !*path)
        return nullptr;
    Com::EnsureThreadApartment();
    // The function writes into the path it is given (the program it found).
    wchar_t buffer[512];
    UShell::ExtractAssociatedIconW extract;
    if (extract && wcslen(path) < 512) {
        wcscpy(buffer, path);
        WORD index = 0;
        if (HICON icon = extract(nullptr, buffer, &index))
            return icon;
    }
    // A type no program is associated with: the shell's icon for the type.
    UShell::SHGetFileInfoW fileInfo;
    SHFILEINFOW info{};
    if (fileInfo && fileInfo(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON))
        return info.hIcon;
    return nullptr;
}

CFileImageGetterData::CFileImageGetterData(CFileImageGetterData&& other) noexcept
    : m_icon(std::exchange(other.m_icon, nullptr)), m_bitmap(std::move(other.m_bitmap)) {}

CFileImageGetterData& CFileImageGetterData::operator=(CFileImageGetterData&& other) noexcept {
    if (this != &other) {
        SetIcon(std::exchange(other.m_icon, nullptr));
        m_bitmap = std::move(other.m_bitmap);
    }
    return *this;
}

void CFileImageGetterData::SetIcon(HICON icon) {
    if (m_icon && m_icon != icon)
        ::DestroyIcon(m_icon);
    m_icon = icon;
}

void CFileImageGetterData::SetBitmap(HBITMAP bitmap) {
    if (m_bitmap.m_hObject == bitmap)
        return;
    m_bitmap.DeleteObject();
    m_bitmap.Attach(bitmap);
}

void CFileImageGetterData::Release() {
    SetIcon(nullptr);
    m_bitmap.DeleteObject();
}

int CFileImageGetter::GetImage(LPCWSTR path, SIZE size, CFileImageGetterData& data) const {
    data.Release();
    if (HBITMAP thumbnail = m_thumbnails.GetThumbnail(path, size)) {
        data.SetBitmap(thumbnail);
        return 1;
    }
    if (HICON icon = m_icons.GetIcon(path)) {
        data.SetIcon(icon);
        return 1;
    }
    return 0;
}

}  // namespace UShell
