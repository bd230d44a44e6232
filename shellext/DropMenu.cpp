#include "shellext/DropMenu.h"

#include "foundation/Paths.h"

namespace ShellEx {

namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

wchar_t Lower(wchar_t c) {
    CharLowerBuffW(&c, 1);
    return c;
}

bool HasCommand(HMENU menu, UINT command) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) && info.wID == command) return true;
    }
    return false;
}

bool DefaultIs(HMENU menu, UINT command) { return GetMenuDefaultItem(menu, FALSE, 0) == command; }

bool InsertText(HMENU menu, UINT position, UINT command, const CString& text) {
    CString copy = text;  // the item takes a writable pointer
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    item.fType = MFT_STRING;
    item.fState = 0;
    item.wID = command;
    item.dwTypeData = copy.GetBuffer();
    return InsertMenuItemW(menu, position, TRUE, &item) != FALSE;
}

bool InsertSeparator(HMENU menu, UINT position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_TYPE;
    item.fType = MFT_SEPARATOR;
    item.fState = MFS_DISABLED;
    return InsertMenuItemW(menu, position, TRUE, &item) != FALSE;
}

}  // namespace

bool ShouldOffer(const DropData& drop, const CString& programPath) {
    if (programPath.IsEmpty() || GetFileAttributesW(programPath) == INVALID_FILE_ATTRIBUTES) return false;
    if (drop.sources.empty() || drop.destination.IsEmpty()) return false;
    for (const CString& source : drop.sources)
        if (IsInRecycleBinFolder(source) == 1 || HasRecycleBinAncestor(source) == 1) return false;
    return true;
}

bool CrossesDrives(const DropData& drop) {
    if (drop.destination.IsEmpty() || !IsLetter(drop.destination[0])) return true;
    const wchar_t target = Lower(drop.destination[0]);
    for (const CString& source : drop.sources)
        if (source.IsEmpty() || Lower(source[0]) != target) return true;
    return false;
}

UINT AddDropMenuItems(HMENU menu, UINT position, UINT firstCommand, UINT lastCommand, bool crossesDrives,
                      const CString& copyText, const CString& moveText) {
    UINT added = 0;
    bool hasNewDefault = false;
    UINT newDefault = 0;
    if (firstCommand <= lastCommand && HasCommand(menu, kExplorerCopyCommand) &&
        InsertText(menu, position, firstCommand, copyText)) {
        ++added;
        if (DefaultIs(menu, kExplorerCopyCommand)) {
            hasNewDefault = true;
            newDefault = position;
        }
        ++position;
    }
    if (firstCommand < lastCommand && HasCommand(menu, kExplorerMoveCommand) &&
        InsertText(menu, position, firstCommand + 1, moveText)) {
        ++added;
        if (crossesDrives && DefaultIs(menu, kExplorerMoveCommand)) {
            hasNewDefault = true;
            newDefault = position;
        }
        ++position;
    }
    if (added > 0 && InsertSeparator(menu, position)) ++added;
    if (hasNewDefault) SetMenuDefaultItem(menu, newDefault, TRUE);
    return added;
}

}  // namespace ShellEx
