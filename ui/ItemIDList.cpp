#include "ui/ItemIDList.h"

#include <string>

#include "foundation/ComApartment.h"
#include "foundation/ComPtr.h"
#include "ui/ShellFunctions.h"

namespace UShell {

ItemIDListCreator::ItemIDListCreator() : m_apartment(Com::EnsureThreadApartment()) {}

LPITEMIDLIST ItemIDListCreator::Create(LPCWSTR path) const {
    if (!path || !*path)
        return nullptr;
    if (LPITEMIDLIST list = FromPath(path))
        return list;
    if (LPITEMIDLIST list = FromDesktopFolder(path))
        return list;
    if (LPITEMIDLIST list = FromSimplePath(path))
        return list;
    return FromShellPath(path);
}

void ItemIDListCreator::Free(LPITEMIDLIST list) const {
    if (!list)
        return;
    if (m_free)
        m_free(list);
    else
        ::CoTaskMemFree(list);
}

LPITEMIDLIST ItemIDListCreator::FromPath(LPCWSTR path) const {
    return m_createFromPath ? m_createFromPath(path) : nullptr;
}

LPITEMIDLIST ItemIDListCreator::FromDesktopFolder(LPCWSTR path) const {
    ComPtr<IShellFolder> desktop;
    if (!m_desktopFolder || FAILED(m_desktopFolder(desktop.Receive())) || !desktop)
        return nullptr;
    LPITEMIDLIST list = nullptr;
    // The folder takes the name as writable text.
    std::wstring name(path);
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &list, nullptr)))
        list = nullptr;
    return list;
}

LPITEMIDLIST ItemIDListCreator::FromSimplePath(LPCWSTR path) {
    UShell::SHSimpleIDListFromPath simple;
    return simple ? simple(path) : nullptr;
}

LPITEMIDLIST ItemIDListCreator::FromShellPath(LPCWSTR path) {
    UShell::SHILCreateFromPath create;
    LPITEMIDLIST list = nullptr;
    if (!create || FAILED(create(path, &list, nullptr)))
        return nullptr;
    return list;
}

}  // namespace UShell

namespace UShell {

HRESULT GetUIObjectOf(LPCITEMIDLIST list, const UShell::ILFindLastID& findLastID, REFIID riid, void** object) {
    *object = nullptr;
    UShell::SHBindToParent bindToParent;
    if (!list || !findLastID || !bindToParent)
        return E_NOTIMPL;
    LPCITEMIDLIST last = findLastID(list);
    ComPtr<IShellFolder> parent;
    HRESULT hr = bindToParent(list, IID_IShellFolder, parent.ReceiveVoid(), nullptr);
    if (FAILED(hr) || !parent || !last)
        return FAILED(hr) ? hr : E_FAIL;
    return parent->GetUIObjectOf(nullptr, 1, &last, riid, nullptr, object);
}

}  // namespace UShell
