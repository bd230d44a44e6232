#pragma once
// What the user interface shows for a file: the shell's thumbnail where it can make one,
// else the file's icon.
#include <windows.h>

#include "foundation/DynamicFunction.h"
#include "framework/CGdiObject.h"
#include "ui/ItemIDList.h"

namespace UShell {

// The thumbnail of a file at a requested size, from the first of four sources that
// gives one: the system's thumbnail cache, the shell item's image factory, the folder's
// image extractor, the file type's thumbnail provider.
class ThumbnailGetter : private noncopyable {
public:
    // A new bitmap (the caller deletes it), or null when no source gives one.
    HBITMAP GetThumbnail(LPCWSTR path, SIZE size) const;

    // The four sources in the order GetThumbnail asks them; each null when it fails.
    HBITMAP FromThumbnailCache(LPCITEMIDLIST list, SIZE size) const;
    HBITMAP FromImageFactory(LPCITEMIDLIST list, SIZE size) const;
    HBITMAP FromExtractImage(LPCITEMIDLIST list, SIZE size) const;
    HBITMAP FromThumbnailProvider(LPCITEMIDLIST list, SIZE size) const;

    // The thumbnail cache's flags on a system of this version: scaled to the requested
    // size from Windows 7 on (WTS_SCALETOREQUESTEDSIZE), never kept in the cache.
    static DWORD ThumbnailCacheFlags(DWORD majorVersion, DWORD minorVersion);

private:
    ItemIDListCreator m_idLists;
    UShell::ILFindLastID m_findLastID;
    UShell::SHCreateItemFromIDList m_createItem;
};

class FileIconGetter {
public:
    // The file's icon (the caller destroys it), or null.
    HICON GetIcon(LPCWSTR path) const;
};

// A file's image as shown: an icon or a bitmap, or nothing. Destroys what it holds when
// it is given another image, emptied or destroyed.
class CFileImageGetterData {
public:
    CFileImageGetterData() = default;
    ~CFileImageGetterData() { Release(); }
    CFileImageGetterData(CFileImageGetterData&& other) noexcept;
    CFileImageGetterData& operator=(CFileImageGetterData&& other) noexcept;
    CFileImageGetterData(const CFileImageGetterData&) = delete;
    CFileImageGetterData& operator=(const CFileImageGetterData&) = delete;

    HICON GetIcon() const { return m_icon; }
    HBITMAP GetBitmap() const { return m_bitmap; }
    bool IsEmpty() const { return !m_icon && !m_bitmap.m_hObject; }

    // Each takes the handle over, replacing what was held.
    void SetIcon(HICON icon);
    void SetBitmap(HBITMAP bitmap);
    void Release();

private:
    HICON m_icon = nullptr;
    CBitmap m_bitmap;
};

// Thumbnail first, the icon when there is none.
class CFileImageGetter : private noncopyable {
public:
    virtual ~CFileImageGetter() = default;
    // Fills data with the image of path at size; 1 when there is one, else 0 (data is
    // then empty). Virtual for shells that make thumbnails this machine's does not.
    virtual int GetImage(LPCWSTR path, SIZE size, CFileImageGetterData& data) const;

private:
    ThumbnailGetter m_thumbnails;
    FileIconGetter m_icons;
};

}  // namespace UShell
