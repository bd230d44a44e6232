#pragma once
// The extension's part of Explorer's drop menu (the menu of a right-button drag): when
// it is offered, and how its two items go in beside Explorer's own copy and move items.
#include <windows.h>

#include <vector>

#include "framework/CString.h"

namespace ShellEx {

// Command ids of Explorer's own items in its drop menu.
inline constexpr UINT kExplorerCopyCommand = 1;
inline constexpr UINT kExplorerMoveCommand = 2;

// The dropped items: sources in the order of the drop data, the folder they were dropped
// on (empty when it has no file-system path).
struct DropData {
    std::vector<CString> sources;
    CString destination;
};

// The program is installed beside the extension, there is something to copy somewhere,
// and nothing comes out of a recycle bin (whose items only Explorer restores properly).
// Needs COM on the calling thread.
bool ShouldOffer(const DropData& drop, const CString& programPath);

// True when the drop crosses drives: a source on another drive letter than the
// destination, or a destination that does not start with a drive letter.
bool CrossesDrives(const DropData& drop);

// Puts the items in at position and, where Explorer's default is its copy (or its move
// across drives), makes ours the default. Returns the count of items put in: the copy
// item (command firstCommand), the move item (firstCommand + 1), each only where Explorer
// has its own and its id is within the range Explorer gave (up to lastCommand), and a
// separator after them.
UINT AddDropMenuItems(HMENU menu, UINT position, UINT firstCommand, UINT lastCommand, bool crossesDrives,
                      const CString& copyText, const CString& moveText);

}  // namespace ShellEx
