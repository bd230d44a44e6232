#pragma once
// Item identifier lists: how the shell names a file for its folders, menus and images.
#include <windows.h>
#include <shlobj.h>

#include "foundation/DynamicFunction.h"

namespace UShell {

// Makes the item identifier list of a path, trying four ways in turn (a later system
// gives the first, older ones the others), and frees lists.
class ItemIDListCreator : private noncopyable {
public:
    // Opens COM on the calling (user-interface) thread, which the shell's objects need.
    ItemIDListCreator();

    // The path's list, or null when no way gives one; freed with Free.
    LPITEMIDLIST Create(LPCWSTR path) const;
    void Free(LPITEMIDLIST list) const;

    // The four ways, in the order Create tries them; each null when it fails.
    LPITEMIDLIST FromPath(LPCWSTR path) const;
    LPITEMIDLIST FromDesktopFolder(LPCWSTR path) const;
    static LPITEMIDLIST FromSimplePath(LPCWSTR path);
    static LPITEMIDLIST FromShellPath(LPCWSTR path);

private:
    // First: COM is open before the shell functions below are bound.
    bool m_apartment;
    UShell::ILCreateFromPathW m_createFromPath;
    UShell::ILFree m_free;
    UShell::SHGetDesktopFolder m_desktopFolder;
};

// A list made by ItemIDListCreator, freed at the end of a scope.
class ItemIDList : private noncopyable {
public:
    ItemIDList(const ItemIDListCreator& creator, LPCWSTR path) : m_creator(creator), m_list(creator.Create(path)) {}
    ~ItemIDList() { m_creator.Free(m_list); }
    LPITEMIDLIST Get() const { return m_list; }
    explicit operator bool() const { return m_list != nullptr; }

private:
    const ItemIDListCreator& m_creator;
    LPITEMIDLIST m_list;
};

}  // namespace UShell

namespace UShell {

// The shell object riid of the last item of list, asked of the item's parent folder
// (IContextMenu, IExtractImage...); fails when any step fails.
HRESULT GetUIObjectOf(LPCITEMIDLIST list, const UShell::ILFindLastID& findLastID, REFIID riid, void** object);

}  // namespace UShell
