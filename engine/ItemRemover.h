#pragma once
// Deletes files and removes folders by name, but only the object the name stands for
// itself. A link is removed as the link, never by way of what it leads to: the object is
// opened as itself and must be found at its own place (its final path is its parent's
// final path and its name). Wine opens every Unix symbolic link as its target and deletes
// or renames the target through the link's name; there a link is left where it is.
#include <windows.h>

#include "foundation/DynamicFunction.h"
#include "framework/CString.h"

namespace Swiftlet {

class ItemRemover {
public:
    enum Result {
        kFailed = 0,     // the system refused; GetLastError tells why
        kRemoved = 1,
        kNotItself = 2,  // the name leads elsewhere (a link the system cannot open as itself)
    };

    ItemRemover();
    ItemRemover(const ItemRemover&) = delete;
    ItemRemover& operator=(const ItemRemover&) = delete;

    // Deletes a file. A read-only mark that stands in the way is lifted, and put back when
    // the deletion fails all the same.
    Result RemoveFile(const CString& path);
    // Removes an empty folder (read-only or not), or a link to a folder as the link.
    Result RemoveFolder(const CString& path);
    // 1 when path opens as the object it names, so that renaming or removing it by name
    // acts on that object; 0 when it leads elsewhere or cannot be opened.
    int OpensAsItself(const CString& path);

private:
    Result Remove(const CString& path, bool folder);
    Result RemoveOpened(HANDLE handle);
    Result RemoveByName(const CString& path, bool folder);
    // 1 when the handle, opened as itself, is the object found at path's place.
    int IsAtItsPlace(HANDLE handle, const CString& path);
    CString ParentRealPath(const CString& path);

    using ReOpenFileType = HANDLE(WINAPI*)(HANDLE, DWORD, DWORD, DWORD);

    // A handle of path opened as itself with the access a deletion needs, or
    // INVALID_HANDLE_VALUE; *itself 0 when path leads elsewhere.
    HANDLE OpenForRemoval(const CString& path, int* itself);

    DLL::DynamicFunction<DLL::SetFileInformationByHandleType> m_setInformation;
    DLL::DynamicFunction<ReOpenFileType> m_reopen;
    CString m_parent;      // the folder whose final path was looked up last
    CString m_parentReal;  // and that final path (empty: unknown)
};

}  // namespace Swiftlet
