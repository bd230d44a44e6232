#pragma once
// Links in the file system: junctions, symbolic links and mount points, which lead from
// one place to another. Windows marks them as reparse points of a name-surrogate kind.
// Wine shows a Unix symbolic link to a folder as a reparse point without a tag, and one to
// a file not at all; there, the only sure sign is that the path the system arrives at (the
// final path of an opened handle) is not the path that was asked for.
#include <windows.h>

#include "framework/CString.h"

namespace Links {

// 1 when find data or attributes with this reparse tag describe a link: a reparse point
// of a name-surrogate kind, or one whose kind the system does not tell (tag 0). Other
// reparse points (cloud placeholders, deduplicated files) hold their own data.
int IsLinkReparsePoint(DWORD attributes, DWORD reparseTag);

// The final path of an open handle, in the "\\?\C:\dir" or "\\?\UNC\srv\share\dir"
// form; empty when the system cannot tell (or lacks the function).
CString GetFinalPath(HANDLE handle);

// The final path of the place path leads to (every link on the way followed); empty
// when it cannot be opened or told.
CString GetRealPath(const CString& path);

// folder + "\" + name, with one backslash between them.
CString JoinPath(const CString& folder, const CString& name);

// 1 when both name the same place (compared without regard to case).
int IsSamePath(const CString& a, const CString& b);
// 1 when ancestor is path itself or one of its parent folders.
int IsSameOrAncestor(const CString& ancestor, const CString& path);

}  // namespace Links
